// The overview window: layout, geometry of the rows on the scale, the ruler, colours,
// hints, and what a double click does; checked on the row model and on the drawn window.

#include "engine/database.h"
#include "engine/session.h"
#include "overview/hint_pauses.h"
#include "overview/paint_box.h"
#include "overview/ruler.h"
#include "overview/tape_rows_view.h"
#include "overview_fixture.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <functional>

namespace {

const QColor kCurrentFree(255, 214, 102);
const QColor kOtherFree(152, 221, 152);
const QColor kSp(135, 178, 230);
const QColor kLp(232, 150, 122);

qint64 stored(const QColor& c) {
    return storedRgb(c.red(), c.green(), c.blue());
}

void setSampleColours(OverviewFixture& f) {
    f.setColours(stored(kCurrentFree), stored(kOtherFree), stored(kSp), stored(kLp));
}

QColor pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

bool isDark(const QColor& c) {
    return c.lightness() < 100;
}

// Dark pixels in a rectangle: text or lines drawn there.
int darkPixels(const QImage& image, const QRect& rect) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += isDark(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

QImage grabRows(TBaandOversigtForm& form) {
    return form.RowsView->grab().toImage();
}

// Runs openTapeOverview and, once its window is up, calls act with it from the event loop.
// act must close the window. Returns false when no overview came up.
bool whileOverviewShows(OverviewFixture& f, const std::function<void(TBaandOversigtForm&)>& act) {
    bool came = false;
    auto tries = std::make_shared<int>(0);
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TBaandOversigtForm*>(QApplication::activeModalWidget());
        if (!form) {
            if (++*tries > 500)
                timer.stop();
            return;
        }
        timer.stop();
        came = true;
        act(*form);
    });
    timer.start();
    openTapeOverview(*f.dataBox, *f.progress, nullptr);
    return came;
}

QPoint centreOf(const overview::OverviewRow& row, const overview::Segment& segment) {
    return row.panelRect(segment).center();
}

} // namespace

class TestOverviewWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowLayout_data();
    void windowLayout();
    void progressWindowLayout();
    void scaleOf600Minutes();
    void rulerOf600Minutes();
    void minutesText_data();
    void minutesText();
    void hintOfAPanel();
    void hintsShowAtOnceWhileOverviewIsUp();
    void doubleClickOnRecordingSelectsIt();
    void doubleClickOnFreeBlockDoesNothing();
    void failedComputationShowsNoOverview();
    void emptyCatalogueGivesNoRows();
    void noScaleGivesNoRows();
    void emptySettingsPaintBlack();
    void coloursComeFromTheSettings();
    void labelsLieBeneathPanels();
    void longTitleIsCutAtPanelEdges();
    void manyRowsScroll();
};

void TestOverviewWindow::windowLayout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry"); // an empty size: only the position counts
    QTest::addColumn<QString>("text");
    QTest::newRow("Panel1") << "Panel1" << QRect(0, 0, 670, 41) << "";
    QTest::newRow("Label1") << "Label1" << QRect(0, 16, 0, 0) << "Bånd";
    QTest::newRow("PaintBox1") << "PaintBox1" << QRect(32, 12, 585, 29) << "";
    QTest::newRow("Label2") << "Label2" << QRect(624, 12, 0, 0) << "Fri";
    QTest::newRow("Label3") << "Label3" << QRect(624, 24, 0, 0) << "blok";
    QTest::newRow("ScrollBox") << "ScrollBox" << QRect(0, 41, 670, 377) << "";
    QTest::newRow("Panel2") << "Panel2" << QRect(0, 418, 670, 41) << "";
    QTest::newRow("BitBtn2") << "BitBtn2" << QRect(12, 8, 75, 25) << "Luk";
    QTest::newRow("Panel3") << "Panel3" << QRect(188, 4, 53, 13) << "";
    QTest::newRow("Panel4") << "Panel4" << QRect(188, 20, 53, 13) << "";
    QTest::newRow("Panel5") << "Panel5" << QRect(380, 4, 53, 13) << "";
    QTest::newRow("Panel6") << "Panel6" << QRect(380, 20, 53, 13) << "";
    QTest::newRow("legend current") << "Label4" << QRect(244, 4, 0, 0) << "Aktuelle frie blok";
    QTest::newRow("legend other") << "Label5" << QRect(244, 20, 0, 0) << "Anden fri blok";
    QTest::newRow("legend SP") << "Label6" << QRect(436, 4, 0, 0) << "Post optaget med SP";
    QTest::newRow("legend LP") << "Label7" << QRect(436, 20, 0, 0) << "Post optaget med LP";
}

void TestOverviewWindow::windowLayout() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    OverviewFixture f;
    QVERIFY(f.open());
    TBaandOversigtForm form(*f.dataBox, *f.progress);

    QCOMPARE(form.windowTitle(), QStringLiteral("Find et bånd"));
    QCOMPARE(form.size(), QSize(670, 459));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    auto* widget = form.findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->pos(), geometry.topLeft());
    if (!geometry.size().isEmpty())
        QCOMPARE(widget->size(), geometry.size());
    if (auto* label = qobject_cast<QLabel*>(widget))
        QCOMPARE(label->text(), text);
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), text);
        QCOMPARE(button->toolTip(), QStringLiteral("Afslut båndoversigt"));
    }
    if (name == u"Label1" || name == u"Label2" || name == u"Label3")
        QVERIFY(widget->font().bold());
    QVERIFY(form.ScrollBox->verticalScrollBar()->hasTracking());
}

void TestOverviewWindow::progressWindowLayout() {
    TProgressBarForm progress;
    QCOMPARE(progress.size(), QSize(385, 173));
    QCOMPARE(progress.minimumSize(), progress.maximumSize());
    QCOMPARE(progress.windowTitle(), QStringLiteral("Beregner noget"));
    QCOMPARE(progress.Label4->text(), QStringLiteral("Beregner noget"));
    QCOMPARE(progress.Label4->pos(), QPoint(42, 24));
    QCOMPARE(progress.Label4->width(), 301);
    QVERIFY(progress.Label4->alignment() & Qt::AlignHCenter);
    QVERIFY(progress.Label4->font().bold());
    QCOMPARE(progress.Label4->font().pointSize(), 20);
    QCOMPARE(progress.ProgressBar1->geometry(), QRect(42, 108, 301, 45));
    QCOMPARE(progress.ProgressBar1->minimum(), 0);
    QCOMPARE(progress.ProgressBar1->maximum(), 100);
    QCOMPARE(progress.Label1->text(), QStringLiteral("0%"));
    QCOMPARE(progress.Label2->text(), QStringLiteral("50%"));
    QCOMPARE(progress.Label3->text(), QStringLiteral("100%"));
    for (QLabel* scale : {progress.Label1, progress.Label2, progress.Label3})
        QCOMPARE(scale->y(), 92);
    QCOMPARE(progress.Label1->x(), 42);
    QCOMPARE(progress.Label3->geometry().right() + 1, 42 + 301);
    QVERIFY(qAbs(progress.Label2->geometry().center().x() - (42 + 150)) <= 1);
    QVERIFY(!(progress.windowFlags() & Qt::WindowSystemMenuHint));
    QVERIFY(!(progress.windowFlags() & Qt::WindowCloseButtonHint));
}

void TestOverviewWindow::scaleOf600Minutes() {
    OverviewFixture f;
    setSampleColours(f);
    f.addTape(QStringLiteral("T"), 600);
    f.addRecording(QStringLiteral("T"), minutes(0), minutes(120));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(f.rows().scale(), 0.975);
    const overview::Segment recording = f.row(0).segments.at(0);
    QCOMPARE(recording.left, 30);
    QCOMPARE(recording.width, 117);
    const overview::Segment free = f.row(0).segments.at(1);
    QCOMPARE(free.left, 30 + 117);
    QCOMPARE(free.width, 468);

    form.show();
    const QImage image = grabRows(form);
    // Raised bevel: light top and left edges, shadow on the right and at the bottom.
    QCOMPARE(pixel(image, 29, 10), form.RowsView->palette().color(QPalette::Window));
    QCOMPARE(pixel(image, 30, 10), QColor(Qt::white));
    QCOMPARE(pixel(image, 35, 0), QColor(Qt::white));
    QCOMPARE(pixel(image, 35, 10), kSp);
    QCOMPARE(pixel(image, 145, 10), kSp);
    QCOMPARE(pixel(image, 146, 10), QColor(128, 128, 128));
    QCOMPARE(pixel(image, 35, 19), QColor(128, 128, 128));
    QCOMPARE(pixel(image, 35, 20), form.RowsView->palette().color(QPalette::Window));
    QCOMPARE(pixel(image, 147, 10), QColor(Qt::white));
    QCOMPARE(pixel(image, 150, 10), kCurrentFree);
    QCOMPARE(pixel(image, 613, 10), kCurrentFree);
    QCOMPARE(pixel(image, 614, 10), QColor(128, 128, 128));
    // The caption "Fri" in the middle of the free block.
    QVERIFY(darkPixels(image, QRect(147 + 234 - 15, 2, 30, 16)) > 0);
}

void TestOverviewWindow::rulerOf600Minutes() {
    const overview::RulerLayout ruler = overview::rulerLayout(585, 600);
    QCOMPARE(ruler.labels.size(), std::size_t(21));
    for (std::size_t i = 0; i < ruler.labels.size(); ++i) {
        const int m = int(i) * 30;
        QCOMPARE(ruler.labels[i].text, overview::minutesText(m));
        QCOMPARE(ruler.labels[i].x, int(std::nearbyint(m * (585.0 / 600))));
    }
    QCOMPARE(ruler.labels.front().text, QStringLiteral("00:00"));
    QCOMPARE(ruler.labels.back().text, QStringLiteral("10:00"));
    QCOMPARE(ruler.labels.back().x, 585); // just beyond the visible ruler
    // A tick every 2 minutes (1.95 pixels) from x = 2 while x stays within 585.
    QCOMPARE(ruler.ticks.size(), std::size_t(299));
    QCOMPARE(ruler.ticks[0], 2);
    QCOMPARE(ruler.ticks[1], 4);
    QCOMPARE(ruler.ticks.back(), 583); // 2 + 298 × 1.95

    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 600);
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    form.show();
    const QImage image = form.PaintBox1->grab().toImage();
    QVERIFY(isDark(pixel(image, 2, 20)));
    QVERIFY(isDark(pixel(image, 300, 20)));
    QVERIFY(!isDark(pixel(image, 1, 20)));
    for (int y = 15; y <= 19; ++y)
        QVERIFY(isDark(pixel(image, 2, y)));
    QVERIFY(!isDark(pixel(image, 2, 14)));
    QVERIFY(!isDark(pixel(image, 3, 17)));
    QVERIFY(isDark(pixel(image, 4, 17)));
    // Label text above the ticks at 00:00 and at 05:00 (x = 292).
    QVERIFY(darkPixels(image, QRect(0, 1, 25, 13)) > 0);
    QVERIFY(darkPixels(image, QRect(292, 1, 25, 13)) > 0);
}

void TestOverviewWindow::minutesText_data() {
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "00:00";
    QTest::newRow("95") << 95 << "01:35";
    QTest::newRow("600") << 600 << "10:00";
    QTest::newRow("6000") << 6000 << "100:00";
}

void TestOverviewWindow::minutesText() {
    QFETCH(int, minutes);
    QFETCH(QString, text);
    QCOMPARE(overview::minutesText(minutes), text);
}

void TestOverviewWindow::hintOfAPanel() {
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 180);
    f.addRecording(QStringLiteral("T"), minutes(90), minutes(45));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    const overview::OverviewRow& row = f.row(0);
    QCOMPARE(describe(row), QStringLiteral("1:0+90 3:90+45 2:135+45"));
    QCOMPARE(row.segments[1].hint(), QStringLiteral("Start: 01:30  Længde: 00:45  Stop: 02:15"));
    QCOMPARE(row.segments[0].hint(), QStringLiteral("Start: 00:00  Længde: 01:30  Stop: 01:30"));

    // The hint of the panel under the mouse, found in the rows.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint at = centreOf(row, row.segments[1]);
    QHelpEvent help(QEvent::ToolTip, at, form.RowsView->mapToGlobal(at));
    QApplication::sendEvent(form.RowsView, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Start: 01:30  Længde: 00:45  Stop: 02:15"));
    // No panel there, no hint.
    const QPoint label(5, 5);
    QHelpEvent none(QEvent::ToolTip, label, form.RowsView->mapToGlobal(label));
    QApplication::sendEvent(form.RowsView, &none);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestOverviewWindow::hintsShowAtOnceWhileOverviewIsUp() {
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 180);
    f.addRecording(QStringLiteral("T"), minutes(90), minutes(45));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    setApplicationHintPauses(kOverviewHintPauses);
    const QPoint at = centreOf(f.row(0), f.row(0).segments[1]);
    QTest::mouseMove(form.RowsView, at);
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 2000);
    const QString shown = QToolTip::text();
    // Up longer than the usual 2.5 seconds.
    QTest::qWait(3000);
    const bool stillUp = QToolTip::isVisible();
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QCOMPARE(shown, QStringLiteral("Start: 01:30  Længde: 00:45  Stop: 02:15"));
    QVERIFY(stillUp);

    // The usual timings: the button's hint goes again after 2.5 seconds.
    setApplicationHintPauses(kStandardHintPauses);
    QTest::mouseMove(form.BitBtn2, QPoint(10, 10));
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), QStringLiteral("Afslut båndoversigt"), 3000);
    QVERIFY(QToolTip::isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 6000);
}

void TestOverviewWindow::doubleClickOnRecordingSelectsIt() {
    OverviewFixture f;
    f.addTape(QStringLiteral("A"), 60);
    f.addTape(QStringLiteral("B"), 300);
    f.addRecording(QStringLiteral("A"), minutes(0), minutes(30));
    const qint64 wanted = f.addRecording(QStringLiteral("B"), minutes(0), minutes(60),
                                         QStringLiteral("LP"), QStringLiteral("Målet"));
    QVERIFY(f.open());
    engine::Field& id = f.dataBox->VideoTable().fieldByName(QStringLiteral("VideoAutoInc"));
    QVERIFY(id.asInteger() != wanted);

    setApplicationHintPauses(kStandardHintPauses);
    HintPauses whileUp;
    QPointer<TBaandOversigtForm> overview;
    const bool came = whileOverviewShows(f, [&](TBaandOversigtForm& form) {
        overview = &form;
        whileUp = applicationHintPauses();
        // B's 240 free minutes are the largest block: its row comes first.
        const overview::OverviewRow row = form.rows().row(0);
        QPoint at(-1, -1);
        if (row.tapeName == u"B" && row.segments.size() == 2)
            at = centreOf(row, row.segments[0]);
        QTest::mouseDClick(form.RowsView, Qt::LeftButton, Qt::NoModifier, at);
        if (form.isVisible())
            form.reject(); // the double click failed; the check below tells
    });

    QVERIFY(came);
    QCOMPARE(whileUp, kOverviewHintPauses);
    QCOMPARE(applicationHintPauses(), kStandardHintPauses);
    QCOMPARE(id.asInteger(), wanted);
    QCOMPARE(f.dataBox->VideoTable().fieldByName(QStringLiteral("Titel1")).asString(),
             QStringLiteral("Målet"));
    // Released once pending events are handled.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(overview.isNull());
    QVERIFY(!f.progress->isVisible());
}

void TestOverviewWindow::doubleClickOnFreeBlockDoesNothing() {
    OverviewFixture f;
    f.addTape(QStringLiteral("A"), 120);
    f.addRecording(QStringLiteral("A"), minutes(0), minutes(30));
    QVERIFY(f.open());
    engine::Table& video = f.dataBox->VideoTable();
    const qint64 before = video.fieldByName(QStringLiteral("VideoAutoInc")).asInteger();

    bool stayedOpen = false;
    const bool came = whileOverviewShows(f, [&](TBaandOversigtForm& form) {
        const overview::OverviewRow row = form.rows().row(0);
        QTest::mouseDClick(form.RowsView, Qt::LeftButton, Qt::NoModifier,
                           centreOf(row, row.segments.back()));
        // And on a label, where there is no panel.
        QTest::mouseDClick(form.RowsView, Qt::LeftButton, Qt::NoModifier, QPoint(630, 8));
        // Nor does Escape close it: only "Luk", the system menu or a recording.
        QTest::keyClick(&form, Qt::Key_Escape);
        QCoreApplication::processEvents();
        stayedOpen = form.isVisible();
        QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
    });

    QVERIFY(came);
    QVERIFY(stayedOpen);
    QCOMPARE(video.fieldByName(QStringLiteral("VideoAutoInc")).asInteger(), before);
}

void TestOverviewWindow::failedComputationShowsNoOverview() {
    OverviewFixture f;
    f.addTape(QStringLiteral("A"), 60);
    QVERIFY(f.open());
    // Someone else's transaction on the catalogue: the computation cannot start its own.
    std::shared_ptr<engine::Database> db =
        f.catalogue.session().database(QString::fromUtf8(schema::kAlias));
    db->execute(QStringLiteral("BEGIN"));
    setApplicationHintPauses(kStandardHintPauses);
    bool came = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* form = qobject_cast<TBaandOversigtForm*>(QApplication::activeModalWidget())) {
            came = true;
            form->reject();
        }
    });
    timer.start(10);
    openTapeOverview(*f.dataBox, *f.progress, nullptr);
    timer.stop();
    db->execute(QStringLiteral("ROLLBACK"));

    QVERIFY(!came);
    QCOMPARE(f.messages.texts().size(), 1); // the error, in the standard error display
    QVERIFY(!f.progress->isVisible());
    QCOMPARE(applicationHintPauses(), kStandardHintPauses);
    QVERIFY(!f.dataBox->BaandTable().isEditing());
}

void TestOverviewWindow::emptyCatalogueGivesNoRows() {
    OverviewFixture f;
    QVERIFY(f.open());
    int rows = -1;
    QSize painted;
    const bool came = whileOverviewShows(f, [&](TBaandOversigtForm& form) {
        rows = form.rows().rowCount();
        painted = form.grab().size();
        QTest::mouseClick(form.BitBtn2, Qt::LeftButton);
    });
    QVERIFY(came);
    QCOMPARE(rows, 0);
    QCOMPARE(painted, QSize(670, 459));
    QVERIFY(!f.progress->isVisible());
    QVERIFY(f.progress->ProgressBar1->maximum() >= 0);
}

void TestOverviewWindow::noScaleGivesNoRows() {
    // 20 seconds free before a recording of nothing on a tape of no length: an entry, but
    // no scale to draw it on.
    OverviewFixture f;
    f.addTape(QStringLiteral("Nul"), 0);
    f.addRecording(QStringLiteral("Nul"), minutes(0, 20), minutes(0));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    QCOMPARE(form.entries(), QStringList{QStringLiteral("00:00:20Nul")});
    QCOMPARE(form.scaleMaximum(), 0);
    QCOMPARE(f.rows().rowCount(), 0);
    form.show();
    QVERIFY(!form.grab().isNull());
    const QImage ruler = form.PaintBox1->grab().toImage();
    QCOMPARE(darkPixels(ruler, QRect(0, 0, 585, 15)), 0); // no ticks, no labels
}

void TestOverviewWindow::emptySettingsPaintBlack() {
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 100);
    f.addRecording(QStringLiteral("T"), minutes(0), minutes(40), QStringLiteral("SP"), QString());
    f.addRecording(QStringLiteral("T"), minutes(40), minutes(20), QStringLiteral("LP"), QString());
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    form.show();

    for (quint8 kind = 1; kind <= 4; ++kind)
        QCOMPARE(f.rows().kindColour(kind), QColor(Qt::black));
    for (QFrame* legend : {form.Panel3, form.Panel4, form.Panel5, form.Panel6})
        QCOMPARE(legend->palette().color(QPalette::Window), QColor(Qt::black));
    const QImage image = grabRows(form);
    QCOMPARE(pixel(image, 40, 10), QColor(Qt::black));  // SP
    QCOMPARE(pixel(image, 300, 10), QColor(Qt::black)); // LP
    QCOMPARE(pixel(image, 500, 3), QColor(Qt::black));  // free
}

void TestOverviewWindow::coloursComeFromTheSettings() {
    OverviewFixture f;
    f.setColours(stored(kCurrentFree), stored(kOtherFree), 255, stored(kLp));
    f.addTape(QStringLiteral("T"), 100);
    f.addRecording(QStringLiteral("T"), minutes(10), minutes(40), QStringLiteral("SP"), QString());
    f.addRecording(QStringLiteral("T"), minutes(60), minutes(20), QStringLiteral("LP"), QString());
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    form.show();

    QCOMPARE(form.Panel3->palette().color(QPalette::Window), kCurrentFree);
    QCOMPARE(form.Panel4->palette().color(QPalette::Window), kOtherFree);
    QCOMPARE(form.Panel5->palette().color(QPalette::Window), QColor(Qt::red)); // 255 is red
    QCOMPARE(form.Panel6->palette().color(QPalette::Window), kLp);
    // Rows: 20 free at the end, then 10 at the start... the first row stands for 20.
    QCOMPARE(describe(f.row(0)), QStringLiteral("2:0+10 3:10+40 2:50+10 4:60+20 1:80+20"));
    // Sampled above the captions.
    const double scale = 5.85;
    const QImage image = grabRows(form);
    QCOMPARE(pixel(image, 30 + int(5 * scale), 2), kOtherFree);
    QCOMPARE(pixel(image, 30 + int(15 * scale), 2), QColor(Qt::red));
    QCOMPARE(pixel(image, 30 + int(65 * scale), 2), kLp);
    QCOMPARE(pixel(image, 30 + int(90 * scale), 2), kCurrentFree);
}

void TestOverviewWindow::labelsLieBeneathPanels() {
    OverviewFixture f;
    setSampleColours(f);
    f.addTape(QStringLiteral("WWWWWWWWWW"), 100);
    f.addRecording(QStringLiteral("WWWWWWWWWW"), minutes(0), minutes(50), QStringLiteral("SP"),
                   QString());
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    form.show();

    const overview::OverviewRow& row = f.row(0);
    QCOMPARE(row.freeLabelLeft, 620); // the rows area's width less 50
    QCOMPARE(row.freeLabel, QStringLiteral("00:50"));
    const QImage image = grabRows(form);
    // The tape name shows before the strip and is hidden under the first panel.
    QVERIFY(darkPixels(image, QRect(3, 3, 26, 13)) > 0);
    QCOMPARE(darkPixels(image, QRect(31, 1, 100, 18)), 0);
    // The free-time label right of the strip.
    QVERIFY(darkPixels(image, QRect(620, 3, 30, 13)) > 0);
    QCOMPARE(darkPixels(image, QRect(616, 3, 3, 13)), 0);
}

void TestOverviewWindow::longTitleIsCutAtPanelEdges() {
    OverviewFixture f;
    setSampleColours(f);
    f.addTape(QStringLiteral("T"), 100);
    f.addRecording(QStringLiteral("T"), minutes(90), minutes(10), QStringLiteral("SP"),
                   QStringLiteral("En meget lang titel der ikke kan være i sit felt"));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    form.show();

    const overview::OverviewRow& row = f.row(0);
    const overview::Segment& free = row.segments.at(0);
    const overview::Segment& recording = row.segments.at(1);
    QCOMPARE(recording.left, 30 + 526); // 526.5 to even
    QCOMPARE(recording.width, 58);      // 58.5 to even
    const QImage image = grabRows(form);
    // Title pixels inside the panel, none on the free block to its left (drawn before it)
    // nor on the background to its right.
    const QRect inside(recording.left + 1, 1, recording.width - 2, 18);
    QVERIFY(darkPixels(image, inside) > 0);
    QCOMPARE(darkPixels(image, QRect(free.left + free.width - 60, 1, 58, 18)), 0);
    QCOMPARE(darkPixels(image, QRect(recording.left + recording.width, 0, 4, 20)), 0);
}

void TestOverviewWindow::manyRowsScroll() {
    OverviewFixture f;
    for (int i = 0; i < 40; ++i)
        f.addTape(QStringLiteral("T%1").arg(i, 2, 10, QLatin1Char('0')), 100 + i);
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QCOMPARE(f.rows().rowCount(), 40);
    QCOMPARE(f.row(39).top, 39 * 25);
    QScrollBar* bar = form.ScrollBox->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->maximum(), 40 * 25 - form.ScrollBox->viewport()->height());
    // About fifteen rows at once.
    QVERIFY(form.ScrollBox->viewport()->height() / 25 >= 14);
    bar->setValue(bar->maximum());
    const QImage bottom = form.ScrollBox->viewport()->grab().toImage();
    const int lastTop = 39 * 25 - bar->value();
    QVERIFY(darkPixels(bottom, QRect(3, lastTop + 3, 26, 13)) > 0); // "T00", the last row
}

QTEST_MAIN(TestOverviewWindow)
#include "tst_overview_window.moc"

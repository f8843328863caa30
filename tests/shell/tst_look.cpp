// What the user reads, started as the program starts: every window in the one application
// font, the widest values in full, the record count in full, Qt's own texts in Danish while
// the message boxes keep their texts, and dates in Danish on a machine that speaks English.

#include "data/schema.h"
#include "engine/database.h"
#include "engine/datetime.h"
#include "framework/db_edit.h"
#include "framework/db_grid.h"
#include "framework/db_text.h"
#include "main_window_fixture.h"
#include "registers/BaandFormUnit.h"
#include "registers/OpsaetningFormUnit.h"
#include "registers/SkuespillerFormUnit.h"
#include "search/GenerelSearchFormUnit.h"
#include "search/SkuespillerSearchFormUnit.h"
#include "shell/application_setup.h"

#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionFrame>
#include <QToolButton>

namespace {

double minutes(int m) {
    return engine::msecsToTimeFraction(qint64(m) * 60000);
}

double day(int y, int m, int d) {
    return engine::dateToDayNumber(QDate(y, m, d));
}

// The widest text of `length` characters written with `characters`, in the application font.
QString widest(const QString& characters, int length) {
    const QFontMetrics metrics(QApplication::font());
    QChar wide = characters.front();
    for (QChar c : characters) {
        if (metrics.horizontalAdvance(c) > metrics.horizontalAdvance(wide))
            wide = c;
    }
    return QString(length, wide);
}

// A tape name of 10 characters, as wide as capital letters and digits make it.
QString widestTapeName() {
    return widest(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ0123456789"), 10);
}

// The first recording (by title) lies on the widest tape and has a September date; forty
// more fill the result windows past their height. Actor 1 plays in all of them.
void fillCatalogue(TempCatalogue& catalogue) {
    catalogue.appendRow(schema::tapes(), {{"BaandNavn", widestTapeName()}, {"Baandlaengde", 600}});
    catalogue.appendRow(schema::tapes(), {{"BaandNavn", "A1"}, {"Baandlaengde", 600}});
    appendActor(catalogue, QStringLiteral("Ingrid"), QStringLiteral("Bergman"),
                {{"Fodtdato", day(1915, 8, 29)}, {"Doddato", day(1982, 8, 29)}});
    appendActor(catalogue, QStringLiteral("Max"), QStringLiteral("von Sydow"),
                {{"Fodtdato", day(1929, 4, 10)}, {"Doddato", day(2020, 3, 8)}});
    for (int i = 0; i <= 40; ++i) {
        catalogue.appendRow(
            schema::recordings(),
            {{"Titel1", i == 0 ? QStringLiteral("Alien")
                               : QStringLiteral("Blade %1").arg(i, 2, 10, QLatin1Char('0'))},
             {"Baandnummer", i == 0 ? widestTapeName() : QStringLiteral("A1")},
             {"Starttid", minutes(10 * i)},
             {"SpilletidSPLP", minutes(10)},
             {"SpilletidSP", minutes(10)},
             {"Hastighed", "SP"},
             {"Optagetdato", day(2008, 9, 28)},
             {"SkuespillereListe", "*1**2*"}});
    }
}

// A recording count written straight into the catalogue, in one go.
void fillRecordings(TempCatalogue& catalogue, int count) {
    engine::Database db(catalogue.directory());
    engine::StoredTable& recordings = db.table(schema::recordings().fileName);
    db.transaction([&] {
        engine::Statement& st = db.cached(
            QStringLiteral("INSERT INTO %1 (Titel1) VALUES (?)").arg(recordings.qualifiedName()));
        for (int i = 0; i < count; ++i) {
            engine::StatementUse use(st);
            st.bind(1, QStringLiteral("Titel %1").arg(i));
            st.step();
        }
    });
}

// Columns of a grid too narrow for what they hold, and a horizontal scroll bar.
QStringList cutCells(framework::DBGrid* grid, const QStringList& fields) {
    QStringList cut;
    const auto& columns = grid->columns();
    for (int c = 0; c < int(columns.size()); ++c) {
        if (!fields.contains(columns[std::size_t(c)].fieldName))
            continue;
        int needed = 0;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            needed = std::max(needed, grid->sizeHintForIndex(grid->model()->index(row, c)).width());
        if (needed > grid->columnWidth(c))
            cut << QStringLiteral("%1 needs %2, is %3")
                       .arg(columns[std::size_t(c)].fieldName)
                       .arg(needed)
                       .arg(grid->columnWidth(c));
    }
    if (grid->horizontalScrollBar()->isVisible())
        cut << QStringLiteral("horizontal scroll bar");
    return cut;
}

// An edit box whose text does not show in full.
QStringList cutEdit(QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    const QRect contents =
        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit) -
        edit->textMargins();
    const int room = contents.width() - 2 * 2; // the edit's own margin on either side
    const int needed = edit->fontMetrics().horizontalAdvance(edit->text());
    if (needed <= room)
        return {};
    return {QStringLiteral("%1 \"%2\" needs %3, has %4")
                .arg(edit->objectName(), edit->text())
                .arg(needed)
                .arg(room)};
}

QStringList cutLabel(QLabel* label) {
    if (label->sizeHint().width() <= label->width())
        return {};
    return {QStringLiteral("%1 \"%2\" needs %3, is %4")
                .arg(label->objectName(), label->text())
                .arg(label->sizeHint().width())
                .arg(label->width())};
}

// Every text a window or menu shows the user.
QStringList textsOf(QWidget* w) {
    QStringList texts{w->windowTitle()};
    for (QLabel* l : w->findChildren<QLabel*>())
        texts << l->text();
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
        texts << b->text() << b->toolTip();
    for (QAction* a : w->actions())
        texts << a->text().section(u'\t', 0, 0);
    texts.removeAll(QString());
    return texts;
}

// Runs fn on the next modal dialog of type W, then closes the dialog.
template <typename W> QPointer<QTimer> whileShown(std::function<void(W*)> fn) {
    return onNextModal<W>([fn](W* w) {
        QTest::qWait(20); // laid out and painted
        fn(w);
        if (w->isVisible())
            static_cast<QDialog*>(w)->done(QDialog::Rejected);
    });
}

struct SeenBox {
    QString caption;
    QStringList buttons;
};

// Answers the next real message boxes, one answer (a button's caption) each, and records
// what each showed.
void answerBoxes(const QStringList& answers, std::vector<SeenBox>& seen) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    auto last = std::make_shared<QPointer<QMessageBox>>();
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == *last) {
            if ((*waited += 10) > 5000)
                timer->deleteLater();
            return;
        }
        *last = box;
        SeenBox shown{box->windowTitle(), {}};
        for (QAbstractButton* b : box->buttons())
            shown.buttons << b->text();
        const QString answer = answers.value(int(seen.size()));
        seen.push_back(shown);
        if (seen.size() >= std::size_t(answers.size()))
            timer->deleteLater();
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == answer)
                return b->click();
        }
        box->reject();
    });
    timer->start();
}

} // namespace

class TestLook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void widestValuesShowInFull_data();
    void widestValuesShowInFull();
    void statusBarHoldsTheCount_data();
    void statusBarHoldsTheCount();
    void qtTextsInDanish_data();
    void qtTextsInDanish();
    void messageBoxesKeepTheirTexts_data();
    void messageBoxesKeepTheirTexts();
    void datesInDanish();
};

void TestLook::initTestCase() {
    // The machine speaks English.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setUpApplication();
}

void TestLook::widestValuesShowInFull_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "MainForm";
    QTest::newRow("actor register") << "SkuespillerForm";
    QTest::newRow("tapes editor") << "BaandForm";
    QTest::newRow("general search") << "GenerelSearchForm";
    QTest::newRow("actor search") << "SkuespillerSearchForm";
}

void TestLook::widestValuesShowInFull() {
    QFETCH(QString, window);
    TempCatalogue catalogue;
    fillCatalogue(catalogue);
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    TMainForm& f = *main.form;
    QStringList cut;
    QFont windowFont;
    const QStringList tapeAndDates{"Baandnummer", "BaandNavn", "Fodtdato", "Doddato"};
    if (window == QLatin1String("MainForm")) {
        windowFont = f.font();
        QVERIFY(main.recordings().locate(QStringLiteral("Titel1"), QStringLiteral("Alien"), false));
        cut << cutEdit(f.BaandnavnEdit) << cutEdit(f.OptagetdatoEdit);
        QCOMPARE(f.BaandnavnEdit->text(), widestTapeName());
        f.PageControl1->setCurrentWidget(f.SkuespillereSide);
        QTRY_VERIFY(!f.DBText3->text().isEmpty());
        cut << cutLabel(f.DBText3) << cutLabel(f.DBText4);
    } else if (window == QLatin1String("SkuespillerForm")) {
        whileShown<TSkuespillerForm>([&](TSkuespillerForm* w) {
            windowFont = w->font();
            cut << cutCells(w->DBGrid1, tapeAndDates);
        });
        f.Skuespillere1->trigger();
    } else if (window == QLatin1String("BaandForm")) {
        whileShown<TBaandForm>([&](TBaandForm* w) {
            windowFont = w->font();
            cut << cutCells(w->DBGrid1, tapeAndDates);
        });
        f.Bnd1->trigger();
    } else {
        const bool actors = window == QLatin1String("SkuespillerSearchForm");
        QTest::mouseClick(actors ? f.RadioBSkuespiller : f.RadioBTitel, Qt::LeftButton);
        QTest::keyClicks(f.Sogetext, actors ? QStringLiteral("bergman") : QStringLiteral("a"));
        whileShown<SearchResultForm>([&](SearchResultForm* w) {
            windowFont = w->font();
            cut << cutCells(w->DBGrid1, tapeAndDates);
            if (!w->DBGrid1->verticalScrollBar()->isVisible())
                cut << QStringLiteral("(not enough hits to scroll)");
        });
        QTest::keyClick(f.Sogetext, Qt::Key_Return);
    }
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(windowFont, QApplication::font());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

void TestLook::statusBarHoldsTheCount_data() {
    QTest::addColumn<int>("recordings");
    QTest::addColumn<QString>("text");
    QTest::newRow("100,000 recordings") << 100000 << "Antal poster: 100000";
    // Told as the data module tells it: the catalogue numbers its recordings with 32 bits.
    QTest::newRow("the largest count") << -1 << "Antal poster: 2147483647";
}

void TestLook::statusBarHoldsTheCount() {
    QFETCH(int, recordings);
    QFETCH(QString, text);
    TempCatalogue catalogue;
    if (recordings > 0)
        fillRecordings(catalogue, recordings);
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    if (recordings < 0)
        Q_EMIT main.box().statusBarTextChanged(text);
    QLabel* panel = main.form->StatusPanel1;
    QCOMPARE(panel->text(), text);
    const QStringList cut = cutLabel(panel);
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

void TestLook::qtTextsInDanish_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<QStringList>("english");
    QTest::newRow("context menu of an edit box")
        << "context menu"
        << QStringList{"&Undo", "&Redo", "Cu&t", "&Copy", "&Paste", "Delete", "Select All"};
    QTest::newRow("colour dialog") << "colour dialog"
                                   << QStringList{"Select Color",
                                                  "&Basic colors",
                                                  "&Custom colors",
                                                  "&Add to Custom Colors",
                                                  "&Pick Screen Color",
                                                  "Cancel",
                                                  "Hu&e:",
                                                  "&Red:",
                                                  "&Green:",
                                                  "Bl&ue:"};
    QTest::newRow("picture dialog")
        << "picture dialog"
        << QStringList{"Look in:",  "File &name:", "Files of type:",   "&Open",
                       "Cancel",    "Back",        "Parent Directory", "Create New Folder",
                       "List View", "Detail View"};
}

void TestLook::qtTextsInDanish() {
    QFETCH(QString, what);
    QFETCH(QStringList, english);
    TempCatalogue catalogue;
    // "Vælg billede" acts on the actor shown: the register must show one.
    catalogue.appendRow(schema::actors(), {{QStringLiteral("Fornavn"), QStringLiteral("Bodil")},
                                           {QStringLiteral("Efternavn"), QStringLiteral("Kjer")}});
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    TMainForm& f = *main.form;
    QStringList shown;
    if (what == QLatin1String("context menu")) {
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, timer, [&shown, timer] {
            if (QWidget* menu = QApplication::activePopupWidget()) {
                timer->stop();
                timer->deleteLater();
                shown = textsOf(menu);
                menu->close();
            }
        });
        timer->start();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                f.Sogetext->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(f.Sogetext, &event);
    } else if (what == QLatin1String("colour dialog")) {
        whileShown<TOpsaetningForm>([&](TOpsaetningForm* settings) {
            whileShown<QColorDialog>([&](QColorDialog* dialog) { shown = textsOf(dialog); });
            QTest::mouseClick(settings->Panel1, Qt::LeftButton);
        });
        f.Noget1->trigger();
    } else {
        whileShown<TSkuespillerForm>([&](TSkuespillerForm* actors) {
            whileShown<QFileDialog>([&](QFileDialog* dialog) { shown = textsOf(dialog); });
            QTest::mouseClick(actors->BitBtn1, Qt::LeftButton);
        });
        f.Skuespillere1->trigger();
    }
    QTRY_VERIFY(!shown.isEmpty());
    QTRY_VERIFY(!QApplication::activeModalWidget() && !QApplication::activePopupWidget());
    QStringList stillEnglish;
    for (const QString& text : english) {
        if (shown.contains(text))
            stillEnglish << text;
    }
    QCOMPARE(stillEnglish, QStringList());
}

void TestLook::messageBoxesKeepTheirTexts_data() {
    QTest::addColumn<int>("recordings");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("delete asks") << 1 << QStringList{"No"} << "Bekræft sletning"
                                 << QStringList{"Yes", "No"};
    // Deleting in an empty catalogue: asked, then the dataset layer's error.
    QTest::newRow("error") << 0 << QStringList{"Yes", "OK"} << "Error" << QStringList{"OK"};
    QTest::newRow("grid delete asks")
        << -1 << QStringList{"Cancel"} << "Confirm" << QStringList{"OK", "Cancel"};
}

void TestLook::messageBoxesKeepTheirTexts() {
    QFETCH(int, recordings);
    QFETCH(QStringList, answers);
    QFETCH(QString, caption);
    QFETCH(QStringList, buttons);
    TempCatalogue catalogue;
    fillRecordings(catalogue, std::max(recordings, 0));
    appendActor(catalogue, QStringLiteral("Ingrid"), QStringLiteral("Bergman"));
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    std::vector<SeenBox> seen;
    if (recordings >= 0) {
        answerBoxes(answers, seen);
        QTest::mouseClick(main.form->SpeedButton3, Qt::LeftButton);
    } else {
        whileShown<TSkuespillerForm>([&](TSkuespillerForm* actors) {
            answerBoxes(answers, seen);
            actors->DBGrid1->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(actors->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
        });
        main.form->Skuespillere1->trigger();
    }
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(seen.size(), std::size_t(answers.size()));
    QCOMPARE(seen.back().caption, caption);
    QCOMPARE(seen.back().buttons, buttons);
}

void TestLook::datesInDanish() {
    TempCatalogue catalogue;
    catalogue.appendRow(schema::recordings(),
                        {{"Titel1", "Breaking the Waves"}, {"Optagetdato", day(1996, 12, 26)}});
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    QCOMPARE(main.form->OptagetdatoEdit->text(), QStringLiteral("26 december 1996"));
}

QTEST_MAIN(TestLook)
#include "tst_look.moc"

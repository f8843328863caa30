#include "engine/error.h"
#include "framework/report_renderer.h"
#include "pdf_text.h"

#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QtTest>

using namespace framework::report;

namespace {

// Page body 277 mm: header 20 + 24 rows of 10 + footer 10 leaves 7 mm, too little for
// a 25th row.
constexpr int kRowsPerPage = 24;

const FontSpec kTimes{QStringLiteral("Times New Roman"), 11, false};
const FontSpec kArial{QStringLiteral("Arial"), 10, false};

struct Fixture {
    ReportLayout layout;
    int row = 0; // the row the detail band shows

    Fixture() {
        layout.title = QStringLiteral("Test");
        layout.pageHeader.height = 20;
        layout.pageHeader.addText(40, 1, QStringLiteral("Kopf"),
                                  FontSpec{QStringLiteral("Times New Roman"), 24, true});
        layout.pageHeader.addLine(0, 15, 190, 4);
        layout.detail.height = 10;
        layout.detail.addField(3, 0, kTimes, [this](const PageContext&) {
            return QStringLiteral("Row%1").arg(row, 4, 10, QLatin1Char('0'));
        });
        layout.detail.addField(
            100, 0, kTimes, [this](const PageContext&) { return QString::number(row); }, 20,
            Qt::AlignRight);
        layout.pageFooter.height = 10;
        layout.pageFooter.addText(150, 2, QStringLiteral("Side"), kArial);
        layout.pageFooter.addField(165, 2, kArial, [](const PageContext& page) {
            return QString::number(page.pageNumber);
        });
    }

    int render(const QString& file, int rows) {
        QPdfWriter writer(file);
        row = 0;
        return renderReport(layout, writer, [&] { return ++row <= rows; });
    }
};

} // namespace

class TestReportRenderer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (pdfToolsMissing())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void noRowsNoPages() {
        QTemporaryDir dir;
        Fixture fixture;
        const QString file = dir.filePath(QStringLiteral("empty.pdf"));
        QCOMPARE(fixture.render(file, 0), 0);
        QVERIFY(!QFile::exists(file)); // the device was never opened
    }

    void paging_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("pages");
        QTest::newRow("one row") << 1 << 1;
        QTest::newRow("a full page") << kRowsPerPage << 1;
        QTest::newRow("one row over") << kRowsPerPage + 1 << 2;
        QTest::newRow("three pages") << 2 * kRowsPerPage + 3 << 3;
        QTest::newRow("three full pages") << 3 * kRowsPerPage << 3;
    }

    // Every page has the header first and "Side n" last, and the rows run on from page to
    // page in order, none lost and none repeated.
    void paging() {
        QFETCH(int, rows);
        QFETCH(int, pages);
        QTemporaryDir dir;
        Fixture fixture;
        const QString file = dir.filePath(QStringLiteral("report.pdf"));
        QCOMPARE(fixture.render(file, rows), pages);

        const QStringList text = pdfPages(file);
        QCOMPARE(text.size(), pages);
        int expected = 1;
        for (int p = 0; p < pages; ++p) {
            const QStringList lines = pageLines(text[p]);
            QVERIFY2(lines.size() >= 3, qPrintable(text[p]));
            QCOMPARE(lines.first(), QStringLiteral("Kopf"));
            QCOMPARE(words(lines.last()),
                     (QStringList{QStringLiteral("Side"), QString::number(p + 1)}));
            for (int i = 1; i < lines.size() - 1; ++i) {
                QCOMPARE(
                    words(lines[i]),
                    (QStringList{QStringLiteral("Row%1").arg(expected, 4, 10, QLatin1Char('0')),
                                 QString::number(expected)}));
                ++expected;
            }
            if (p < pages - 1)
                QCOMPARE(lines.size() - 2, kRowsPerPage); // only the last page is short
        }
        QCOMPARE(expected - 1, rows);
    }

    // Positions are millimetres from the band's corner inside the 10 mm margins; the
    // footer sits at the bottom of the page; a right-aligned field ends at its box's edge.
    void placement() {
        QTemporaryDir dir;
        Fixture fixture;
        const QString file = dir.filePath(QStringLiteral("report.pdf"));
        QCOMPARE(fixture.render(file, 3), 1);
        const QVector<PdfWord> found = pdfWords(file);

        constexpr double kTolerance = 1.0;
        const PdfWord* title = findWord(found, QStringLiteral("Kopf"));
        QVERIFY(title);
        QVERIFY(qAbs(title->box.left() - 50.0) < kTolerance);

        const PdfWord* row2 = findWord(found, QStringLiteral("Row0002"));
        QVERIFY(row2);
        QVERIFY(qAbs(row2->box.left() - 13.0) < kTolerance);
        QVERIFY2(row2->box.top() > 10 + 20 + 10 - kTolerance && row2->box.bottom() < 10 + 20 + 20,
                 qPrintable(QStringLiteral("%1 %2").arg(row2->box.top()).arg(row2->box.bottom())));

        const PdfWord* number2 = findWord(found, QStringLiteral("2"));
        QVERIFY(number2);
        QVERIFY(qAbs(number2->box.right() - 130.0) < kTolerance);

        const PdfWord* side = findWord(found, QStringLiteral("Side"));
        QVERIFY(side);
        QVERIFY(qAbs(side->box.left() - 160.0) < kTolerance);
        QVERIFY(side->box.top() > 297 - 10 - 10 && side->box.bottom() < 297 - 10);
    }

    // A field that fails ends the report with its error; the device is closed again.
    void failingRowEndsReport() {
        QTemporaryDir dir;
        Fixture fixture;
        fixture.layout.detail.addField(50, 0, kTimes, [&fixture](const PageContext&) {
            if (fixture.row == 5)
                throw engine::Error(QStringLiteral("broken row"));
            return QString();
        });
        QPdfWriter writer(dir.filePath(QStringLiteral("report.pdf")));
        int row = 0;
        QVERIFY_THROWS_EXCEPTION(engine::Error, renderReport(fixture.layout, writer, [&] {
                                     fixture.row = ++row;
                                     return row <= 10;
                                 }));
    }
};

QTEST_MAIN(TestReportRenderer)
#include "tst_report_renderer.moc"

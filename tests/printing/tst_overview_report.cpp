#include "../data/databox_fixture.h"
#include "../framework/pdf_text.h"
#include "fake_printer_service.h"
#include "printing/PrintOversigtRepUnit.h"
#include "printing/PrintOversigtUnit.h"

#include <QAbstractButton>
#include <QDate>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {

const QString kSelect = QStringLiteral("SELECT * FROM \"Spolebox.db\"");

struct Recording {
    QString title;
    QString tape;
    int startSeconds;
    int index;
    QString category;
    int group; // 0: none

    QString startText() const {
        return QTime(0, 0).addSecs(startSeconds).toString(QStringLiteral("hh:mm:ss"));
    }
    // The detail line as pdftotext lays it out, blanks collapsed.
    QString line() const {
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(title, tape, startText(), QString::number(index), category);
    }
};

// The report's two windows on a temporary catalogue.
struct Overview {
    DataboxFixture data;
    FakePrinterService printers{{{QStringLiteral("Laser"), true}}};
    std::unique_ptr<TPrintOversigtRepForm> report;
    std::unique_ptr<TPrintOversigtForm> form;

    Overview() {
        if (!data.ok())
            return;
        report = std::make_unique<TPrintOversigtRepForm>(*data.box);
        form = std::make_unique<TPrintOversigtForm>(*data.box, *report, printers);
    }

    void addGroups(const QStringList& names) {
        engine::Table& groups = data.box->GruppeTable();
        for (const QString& name : names) {
            groups.append();
            groups.fieldByName(QStringLiteral("Gruppenavn")).setAsString(name);
            groups.post();
        }
    }

    void add(const Recording& r) {
        QVariantMap values{{QStringLiteral("Titel1"), r.title},
                           {QStringLiteral("Baandnummer"), r.tape},
                           {QStringLiteral("Starttid"), hms(0, 0, r.startSeconds)},
                           {QStringLiteral("Indexnummer"), r.index},
                           {QStringLiteral("Kategori"), r.category}};
        if (r.group > 0)
            values.insert(QStringLiteral("Gruppe"), r.group);
        data.catalogue.appendRow(schema::recordings(), values);
    }

    // The query text for the ticks and sort order set in the options window.
    QStringList queryFromForm() {
        report->QuickRep1BeforePrint(form->choice());
        return report->Query1.sql();
    }
};

QString pdfTitle(const QString& file) {
    QProcess tool;
    tool.start(QStringLiteral("pdfinfo"), {file});
    if (!tool.waitForFinished(30000))
        return QString();
    const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(u'\n');
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("Title:")))
            return line.mid(6).trimmed();
    }
    return QString();
}

QString today() {
    return QDate::currentDate().toString(QStringLiteral("dd-MM-yyyy"));
}

} // namespace

class TestOverviewReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Groups 1 and 3 ticked and sorted by tape: exactly the four lines.
    void queryFromOptions() {
        Overview o;
        QVERIFY(o.data.ok());
        o.addGroups(
            {QStringLiteral("Spillefilm"), QStringLiteral("Musik"), QStringLiteral("Dokumentar")});
        o.form->show();
        o.form->CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
        o.form->RadioGroup1->findChild<QAbstractButton*>(QStringLiteral("RadioGroup1Item1"))
            ->click();
        QCOMPARE(o.queryFromForm(), (QStringList{kSelect, QStringLiteral("WHERE gruppe=1"),
                                                 QStringLiteral("OR gruppe=3"),
                                                 QStringLiteral("ORDER BY baandnummer")}));
    }

    void queryText_data() {
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<int>("sortIndex");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("no group ticked, by title")
            << QStringList{} << 0 << QStringList{kSelect, QStringLiteral("ORDER BY titel1")};
        QTest::newRow("one group, by category")
            << QStringList{QStringLiteral("Musik")} << 2
            << QStringList{kSelect, QStringLiteral("WHERE gruppe=2"),
                           QStringLiteral("ORDER BY kategori")};
        QTest::newRow("all groups, list order")
            << QStringList{QStringLiteral("Dokumentar"), QStringLiteral("Spillefilm"),
                           QStringLiteral("Musik")}
            << 0
            << QStringList{kSelect, QStringLiteral("WHERE gruppe=3"), QStringLiteral("OR gruppe=1"),
                           QStringLiteral("OR gruppe=2"), QStringLiteral("ORDER BY titel1")};
        QTest::newRow("name found without regard to case")
            << QStringList{QStringLiteral("DOKUMENTAR")} << 1
            << QStringList{kSelect, QStringLiteral("WHERE gruppe=3"),
                           QStringLiteral("ORDER BY baandnummer")};
        QTest::newRow("no sort item") << QStringList{QStringLiteral("Spillefilm")} << -1
                                      << QStringList{kSelect, QStringLiteral("WHERE gruppe=1")};
    }

    void queryText() {
        QFETCH(QStringList, ticked);
        QFETCH(int, sortIndex);
        QFETCH(QStringList, lines);
        Overview o;
        QVERIFY(o.data.ok());
        o.addGroups(
            {QStringLiteral("Spillefilm"), QStringLiteral("Musik"), QStringLiteral("Dokumentar")});
        o.report->QuickRep1BeforePrint(OversigtChoice{ticked, sortIndex});
        QCOMPARE(o.report->Query1.sql(), lines);
    }

    void emptyGroupsTable() {
        Overview o;
        QVERIFY(o.data.ok());
        o.form->show();
        QCOMPARE(o.form->CheckListBox1->count(), 0);
        QCOMPARE(o.queryFromForm(), (QStringList{kSelect, QStringLiteral("ORDER BY titel1")}));
    }

    // Two groups whose names differ only in case: either gives the first one's number.
    void namesDifferingInCase() {
        Overview o;
        QVERIFY(o.data.ok());
        o.addGroups({QStringLiteral("Musik"), QStringLiteral("Film"), QStringLiteral("FILM")});
        o.form->show();
        QCOMPARE(o.form->CheckListBox1->count(), 3);
        o.form->CheckListBox1->item(0)->setCheckState(Qt::Unchecked);
        o.form->CheckListBox1->item(1)->setCheckState(Qt::Unchecked);
        QCOMPARE(o.queryFromForm(), (QStringList{kSelect, QStringLiteral("WHERE gruppe=2"),
                                                 QStringLiteral("ORDER BY titel1")}));
    }

    // A selection without recordings gives no pages (and no file); the query is closed.
    void noRowsNoPages() {
        Overview o;
        QVERIFY(o.data.ok());
        o.addGroups({QStringLiteral("Spillefilm"), QStringLiteral("Musik")});
        o.add({QStringLiteral("Vertigo"), QStringLiteral("B1"), 0, 1, QStringLiteral("Drama"), 2});
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("empty.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        QCOMPARE(o.report->generate(OversigtChoice{{QStringLiteral("Spillefilm")}, 0}, printer), 0);
        QVERIFY(!QFile::exists(file));
        QVERIFY(!o.report->Query1.isActive());
    }

    void readBack_data() {
        QTest::addColumn<int>("sortIndex");
        QTest::newRow("by title") << 0;
        QTest::newRow("by tape") << 1;
        QTest::newRow("by category") << 2;
    }

    // The report printed to PDF and read back: on every page the title, the headings with
    // the print date and "Side" with the page number; the chosen groups' recordings, every
    // one, in the query's order; those of no group or an unknown group left out.
    void readBack() {
        QFETCH(int, sortIndex);
        if (pdfToolsMissing())
            QSKIP("pdftotext (poppler-utils) is not installed");
        Overview o;
        QVERIFY(o.data.ok());
        o.addGroups({QStringLiteral("Spillefilm"), QStringLiteral("Musik")});
        const QStringList categories{QStringLiteral("Komedie"), QStringLiteral("Drama"),
                                     QStringLiteral("Børnefilm")};
        QVector<Recording> listed;
        for (int i = 1; i <= 60; ++i) {
            // Titles in an order of their own, unlike the order of insertion.
            const int t = (i * 37) % 61;
            const Recording r{QStringLiteral("Film nr %1").arg(t, 3, 10, QLatin1Char('0')),
                              QStringLiteral("Bånd%1").arg(i % 7),
                              i * 97,
                              i * 8,
                              categories[i % 3],
                              1 + i % 2};
            o.add(r);
            listed.append(r);
        }
        o.add({QStringLiteral("Uden gruppe"), QStringLiteral("X1"), 60, 1, QString(), 0});
        o.add({QStringLiteral("Ukendt gruppe"), QStringLiteral("X2"), 60, 2, QString(), 99});

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("oversigt.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        o.report->print(
            OversigtChoice{{QStringLiteral("Spillefilm"), QStringLiteral("Musik")}, sortIndex},
            printer);
        QVERIFY(!o.report->Query1.isActive());
        QCOMPARE(pdfTitle(file), QStringLiteral("Spolebox - Oversigt"));

        const QStringList pages = pdfPages(file);
        QCOMPARE(pages.size(), 2); // 46 rows fit on a page
        QStringList rows;
        for (int p = 0; p < pages.size(); ++p) {
            const QStringList lines = pageLines(pages[p]);
            QVERIFY(lines.size() > 3);
            QCOMPARE(lines[0], QStringLiteral("Video Bånd Oversigt"));
            QCOMPARE(words(lines[1]),
                     (QStringList{QStringLiteral("Titel"), QStringLiteral("1"),
                                  QStringLiteral("Bånd"), QStringLiteral("Starttid"),
                                  QStringLiteral("Index"), QStringLiteral("Kategori"), today()}));
            QCOMPARE(words(lines.last()),
                     (QStringList{QStringLiteral("Side"), QString::number(p + 1)}));
            for (int i = 2; i < lines.size() - 1; ++i)
                rows << words(lines[i]).join(u' ');
        }
        QCOMPARE(rows.size(), listed.size());

        // Each row printed is a recording as stored, and the sort column is in order
        // (titles, tapes and categories here sort alike in Danish and by code).
        QStringList expected;
        QStringList keys;
        for (const QString& row : rows) {
            auto match = std::find_if(listed.cbegin(), listed.cend(),
                                      [&row](const Recording& r) { return r.line() == row; });
            QVERIFY2(match != listed.cend(), qPrintable(row));
            keys << (sortIndex == 0   ? match->title
                     : sortIndex == 1 ? match->tape
                                      : match->category);
        }
        for (const Recording& r : listed)
            expected << r.line();
        QStringList sortedRows = rows;
        std::sort(sortedRows.begin(), sortedRows.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(sortedRows, expected);
        QStringList sortedKeys = keys;
        std::sort(sortedKeys.begin(), sortedKeys.end());
        QCOMPARE(keys, sortedKeys);
    }

    // The items stand where the layout puts them, inside the 10 mm margins.
    void placement() {
        if (pdfToolsMissing())
            QSKIP("pdftotext (poppler-utils) is not installed");
        Overview o;
        QVERIFY(o.data.ok());
        o.add({QStringLiteral("Vertigo"), QStringLiteral("B1"), 5400, 123, QStringLiteral("Drama"),
               0});
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("oversigt.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        QCOMPARE(o.report->generate(OversigtChoice{{}, 0}, printer), 1);
        const QVector<PdfWord> found = pdfWords(file);

        // Left edge (or right edge for the right-aligned index) and top of each item, in
        // millimetres from the page's corner: the band's place plus the item's place.
        constexpr double kHeader = 10, kDetail = 10 + 24.1, kFooter = 297 - 10 - 7.4;
        struct Expected {
            QString text;
            double x;
            double top;
            bool rightEdge = false;
        };
        const QVector<Expected> expected{
            {QStringLiteral("Video"), 10 + 56.9, kHeader + 1.1},
            {QStringLiteral("Titel"), 10 + 2.9, kHeader + 16.9},
            {QStringLiteral("Bånd"), 10 + 77.8, kHeader + 16.9},
            {QStringLiteral("Starttid"), 10 + 100.3, kHeader + 16.9},
            {QStringLiteral("Index"), 10 + 113.0, kHeader + 16.9},
            {QStringLiteral("Kategori"), 10 + 126.7, kHeader + 16.9},
            {today(), 10 + 170.7, kHeader + 16.9},
            {QStringLiteral("Vertigo"), 10 + 2.9, kDetail},
            {QStringLiteral("B1"), 10 + 77.8, kDetail},
            {QStringLiteral("01:30:00"), 10 + 100.3, kDetail},
            {QStringLiteral("123"), 10 + 113.0 + 8.7, kDetail, true},
            {QStringLiteral("Drama"), 10 + 126.7, kDetail},
            {QStringLiteral("Side"), 10 + 163.8, kFooter + 2.1},
            // A word space right of its place at 171.2 mm, so as not to touch "Side".
            {QStringLiteral("1"), 10 + 172.2, kFooter + 2.1},
        };
        for (const Expected& e : expected) {
            const PdfWord* word = nullptr;
            for (const PdfWord& w : found) {
                if (w.text == e.text && qAbs(w.box.top() - e.top) < 1.5)
                    word = &w;
            }
            QVERIFY2(word, qPrintable(e.text));
            const double x = e.rightEdge ? word->box.right() : word->box.left();
            QVERIFY2(qAbs(x - e.x) < 1.0,
                     qPrintable(QStringLiteral("%1 at %2").arg(e.text).arg(x)));
        }
        // The title is the largest text.
        QVERIFY(findWord(found, QStringLiteral("Video"))->box.height() >
                2 * findWord(found, QStringLiteral("Vertigo"))->box.height());
    }
};

QTEST_MAIN(TestOverviewReport)
#include "tst_overview_report.moc"

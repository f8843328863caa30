// The free-time computation: which free blocks every tape has, how they are listed and
// sorted, the scale maximum, and the rows of segments built from the list.

#include "engine/collation.h"
#include "engine/database.h"
#include "engine/session.h"
#include "overview/free_time_computation.h"
#include "overview_fixture.h"

#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QProgressBar>
#include <algorithm>
#include <random>

using overview::kCurrentFree;
using overview::kOtherFree;
using overview::kRecordingLP;
using overview::kRecordingSP;
using overview::Minutes;

namespace {

// The overview computed the plain way, as the algorithm is written: the recordings read
// tape by tape through a master link on the tapes table, each row's tape found by a locate.
// Overlaps are treated as the overview treats them (no free block, the cover kept).
struct Literal {
    QStringList entries;
    Minutes scaleMaximum = 0;
    QStringList rows; // "name label kind:start+length/caption/tag ..."
};

Literal computeLiterally(OverviewFixture& f) {
    Literal result;
    engine::Table& tapes = f.dataBox->BaandTable();
    engine::Table video(f.catalogue.session());
    video.setAliasName(QString::fromUtf8(schema::kAlias));
    video.setTableName(schema::recordings().fileName);
    video.setIndexName(QStringLiteral("SecBaandnrStarttid"));
    video.setMasterLink(&tapes, QStringLiteral("BaandNavn"));
    video.open();
    auto text = [](engine::Table& t, const char* name) {
        return t.fieldByName(QString::fromUtf8(name)).asString();
    };
    auto number = [](engine::Table& t, const char* name) {
        return t.fieldByName(QString::fromUtf8(name)).asFloat();
    };

    tapes.first();
    video.first();
    while (!tapes.eof()) {
        const QString name = text(tapes, "BaandNavn");
        const qint64 length = qint64(number(tapes, "Baandlaengde"));
        if (length > result.scaleMaximum)
            result.scaleMaximum = Minutes(length);
        double end = 0;
        for (; !video.eof(); video.next()) {
            const double start = number(video, "Starttid");
            const QString gap =
                start - end > 0 ? overview::freeTimeText(start - end) : QStringLiteral("00:00:00");
            if (gap != u"00:00:00")
                result.entries << gap + name;
            end = std::max(end, start + number(video, "SpilletidSP"));
        }
        double finalGap = length / 1440.0 - end;
        if (finalGap < 0) {
            result.scaleMaximum = std::max(result.scaleMaximum, tapetime::minuteValue(end));
            finalGap = 0;
        }
        if (overview::freeTimeText(finalGap) != u"00:00:00")
            result.entries << overview::freeTimeText(finalGap) + name;
        tapes.next();
    }
    // The platform's sorted list: ascending, letter case ignored.
    std::stable_sort(
        result.entries.begin(), result.entries.end(),
        [](const QString& a, const QString& b) { return engine::danishCompare(a, b) < 0; });

    if (result.scaleMaximum == 0)
        return result;
    for (qsizetype i = result.entries.size() - 1; i >= 0; --i) {
        const QString& entry = result.entries.at(i);
        const QString label = entry.left(5);
        if (!tapes.locate(QStringLiteral("baandnavn"), entry.mid(8, 10), true))
            return {};
        QStringList words{text(tapes, "BaandNavn"), label};
        auto free = [&](int at, int minutes) {
            const int kind = overview::minutesText(minutes) == label ? 1 : 2;
            words << QStringLiteral("%1:%2+%3/Fri/0").arg(kind).arg(at).arg(minutes);
        };
        int pos = 0;
        for (video.first(); !video.eof(); video.next()) {
            const int s = tapetime::minuteValue(number(video, "Starttid"));
            const int l = tapetime::minuteValue(number(video, "SpilletidSP"));
            if (s - pos > 0)
                free(pos, s - pos);
            words << QStringLiteral("%1:%2+%3/%4/%5")
                         .arg(text(video, "Hastighed") == u"SP" ? 3 : 4)
                         .arg(s)
                         .arg(l)
                         .arg(text(video, "Titel1"))
                         .arg(text(video, "VideoAutoInc"));
            pos = std::max(pos, s + l);
        }
        const int length = int(number(tapes, "Baandlaengde"));
        if (length > pos)
            free(pos, length - pos);
        result.rows << words.join(u' ');
    }
    return result;
}

QString describeFully(const overview::TapeRows& rows, const overview::OverviewRow& row) {
    QStringList words{row.tapeName, row.freeLabel};
    for (const overview::Segment& s : row.segments)
        words << QStringLiteral("%1:%2+%3/%4/%5")
                     .arg(s.kind)
                     .arg(s.start)
                     .arg(s.length)
                     .arg(rows.caption(s))
                     .arg(rows.tag(s));
    return words.join(u' ');
}

} // namespace

class TestFreeTime : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tapeWithoutRecordingsIsOneFreeBlock_data();
    void tapeWithoutRecordingsIsOneFreeBlock();
    void fullTapeIsNotListed();
    void everyFreeBlockHasItsRow();
    void blocksOfEqualLengthAreBothCurrent();
    void equalFreeTimesInDescendingNameOrder();
    void tapeOfLengthZeroIsNotListed();
    void halfMinuteGaps_data();
    void halfMinuteGaps();
    void speedOtherThanSpIsLp_data();
    void speedOtherThanSpIsLp();
    void overrunRaisesTheScale();
    void overrunOnTapeOfLengthZero();
    void recordingsFollowTapeNameInAnyCase();
    void sameNameInOtherCaseShowsTheFirstTape();
    void overlappingRecordingsStayInTheirRow();
    void freeTimeTextIgnoresTimeFormats();
    void progressWindowDuringAndAfter();
    void leavesTablesAsTheComputationEnds();
    void computationAloneMatchesTheAlgorithm_data();
    void computationAloneMatchesTheAlgorithm();
};

void TestFreeTime::tapeWithoutRecordingsIsOneFreeBlock_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("label");
    QTest::newRow("130 minutes") << 130 << "02:10:00A12"
                                 << "02:10";
    QTest::newRow("one minute") << 1 << "00:01:00A12"
                                << "00:01";
    QTest::newRow("longest tape") << 600 << "10:00:00A12"
                                  << "10:00";
}

void TestFreeTime::tapeWithoutRecordingsIsOneFreeBlock() {
    QFETCH(int, length);
    QFETCH(QString, entry);
    QFETCH(QString, label);
    OverviewFixture f;
    f.addTape(QStringLiteral("A12"), length);
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(form.entries(), QStringList{entry});
    QCOMPARE(form.scaleMaximum(), length);
    QCOMPARE(f.rows().rowCount(), 1);
    QCOMPARE(f.row(0).tapeName, QStringLiteral("A12"));
    QCOMPARE(f.row(0).freeLabel, label);
    QCOMPARE(describe(f.row(0)), QStringLiteral("1:0+%1").arg(length));
    QCOMPARE(f.rows().caption(f.row(0).segments.front()), QStringLiteral("Fri"));
    QCOMPARE(f.rows().tag(f.row(0).segments.front()), 0);
    QVERIFY(f.messages.texts().isEmpty());
}

void TestFreeTime::fullTapeIsNotListed() {
    OverviewFixture f;
    f.addTape(QStringLiteral("Fuld"), 120);
    f.addTape(QStringLiteral("Tom"), 60);
    f.addRecording(QStringLiteral("Fuld"), minutes(0), minutes(60));
    f.addRecording(QStringLiteral("Fuld"), minutes(60), minutes(60));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(form.entries(), QStringList{QStringLiteral("01:00:00Tom")});
    QCOMPARE(f.rows().rowCount(), 1);
    QCOMPARE(f.row(0).tapeName, QStringLiteral("Tom"));
    QCOMPARE(form.scaleMaximum(), 120);
}

void TestFreeTime::everyFreeBlockHasItsRow() {
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 300);
    f.addRecording(QStringLiteral("T"), minutes(10), minutes(60), QStringLiteral("SP"),
                   QStringLiteral("Første"));
    f.addRecording(QStringLiteral("T"), minutes(100), minutes(60), QStringLiteral("LP"),
                   QStringLiteral("Anden"));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(form.entries(), (QStringList{"00:10:00T", "00:30:00T", "02:20:00T"}));
    QCOMPARE(f.rows().rowCount(), 3);
    // The largest block first; in each row the block it stands for is the current one.
    QCOMPARE(f.row(0).freeLabel, QStringLiteral("02:20"));
    QCOMPARE(describe(f.row(0)), QStringLiteral("2:0+10 3:10+60 2:70+30 4:100+60 1:160+140"));
    QCOMPARE(f.row(1).freeLabel, QStringLiteral("00:30"));
    QCOMPARE(describe(f.row(1)), QStringLiteral("2:0+10 3:10+60 1:70+30 4:100+60 2:160+140"));
    QCOMPARE(f.row(2).freeLabel, QStringLiteral("00:10"));
    QCOMPARE(describe(f.row(2)), QStringLiteral("1:0+10 3:10+60 2:70+30 4:100+60 2:160+140"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(f.row(i).top, 25 * i);

    const overview::Segment first = f.row(0).segments[1];
    QCOMPARE(f.rows().caption(first), QStringLiteral("Første"));
    QVERIFY(f.rows().tag(first) > 0);
    QCOMPARE(f.rows().caption(f.row(0).segments[3]), QStringLiteral("Anden"));
    QCOMPARE(f.rows().tag(f.row(0).segments[3]), f.rows().tag(first) + 1);
}

void TestFreeTime::blocksOfEqualLengthAreBothCurrent() {
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 200);
    f.addRecording(QStringLiteral("T"), minutes(30), minutes(140));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(form.entries(), (QStringList{"00:30:00T", "00:30:00T"}));
    QCOMPARE(f.rows().rowCount(), 2);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(describe(f.row(i)), QStringLiteral("1:0+30 3:30+140 1:170+30"));
}

void TestFreeTime::equalFreeTimesInDescendingNameOrder() {
    OverviewFixture f;
    for (const char* name : {"b2", "A1", "Æ1", "z1", "C3"})
        f.addTape(QString::fromUtf8(name), 60);
    f.addTape(QStringLiteral("D4"), 90);
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    // Sorted without regard to letter case, Danish letters after Z.
    QCOMPARE(form.entries(), (QStringList{"01:00:00A1", "01:00:00b2", "01:00:00C3", "01:00:00z1",
                                          QString::fromUtf8("01:00:00Æ1"), "01:30:00D4"}));
    QStringList names;
    for (const overview::OverviewRow& row : f.allRows())
        names << row.tapeName;
    QCOMPARE(names, (QStringList{"D4", QString::fromUtf8("Æ1"), "z1", "C3", "b2", "A1"}));
}

void TestFreeTime::tapeOfLengthZeroIsNotListed() {
    OverviewFixture f;
    f.addTape(QStringLiteral("Nul"), 0);
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QVERIFY(form.entries().isEmpty());
    QCOMPARE(form.scaleMaximum(), 0);
    QCOMPARE(f.rows().rowCount(), 0);
    QVERIFY(!f.progress->isVisible());
}

void TestFreeTime::halfMinuteGaps_data() {
    QTest::addColumn<int>("firstLength"); // minutes, from 0:00
    QTest::addColumn<int>("secondStart"); // seconds
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("rows"); // label, then segments, per row

    // 10:30 rounds to minute 10 (an exact half to even): the 30 seconds get no panel.
    QTest::newRow("rounded away") << 10 << 630 << QStringList{"00:00:30T", "00:09:30T"}
                                  << QStringList{"00:09 3:0+10 3:10+10 2:20+10",
                                                 "00:00 3:0+10 3:10+10 2:20+10"};
    // 11:30 rounds to minute 12: a free minute whose hh:mm is not the row's 00:00.
    QTest::newRow("rounded up") << 11 << 690 << QStringList{"00:00:30T", "00:08:30T"}
                                << QStringList{"00:08 3:0+11 2:11+1 3:12+10 1:22+8",
                                               "00:00 3:0+11 2:11+1 3:12+10 2:22+8"};
}

void TestFreeTime::halfMinuteGaps() {
    QFETCH(int, firstLength);
    QFETCH(int, secondStart);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, rows);
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 30);
    f.addRecording(QStringLiteral("T"), minutes(0), minutes(firstLength));
    f.addRecording(QStringLiteral("T"), minutes(0, secondStart), minutes(10));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(form.entries(), entries);
    QStringList built;
    for (const overview::OverviewRow& row : f.allRows())
        built << row.freeLabel + u' ' + describe(row);
    QCOMPARE(built, rows);
}

void TestFreeTime::speedOtherThanSpIsLp_data() {
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("kind");
    QTest::newRow("SP") << "SP" << int(kRecordingSP);
    QTest::newRow("LP") << "LP" << int(kRecordingLP);
    QTest::newRow("empty") << "" << int(kRecordingLP);
    QTest::newRow("lower case sp") << "sp" << int(kRecordingLP);
    QTest::newRow("Sp") << "Sp" << int(kRecordingLP);
}

void TestFreeTime::speedOtherThanSpIsLp() {
    QFETCH(QString, speed);
    QFETCH(int, kind);
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 100);
    f.addRecording(QStringLiteral("T"), minutes(0), minutes(40), speed);
    QVERIFY(f.open());
    f.compute();

    QCOMPARE(f.rows().rowCount(), 1);
    QCOMPARE(describe(f.row(0)), QStringLiteral("%1:0+40 1:40+60").arg(kind));
}

void TestFreeTime::overrunRaisesTheScale() {
    OverviewFixture f;
    f.addTape(QStringLiteral("Lang"), 180);
    f.addTape(QStringLiteral("Kort"), 120);
    f.addRecording(QStringLiteral("Lang"), minutes(10), minutes(180));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    // The tape that is overrun has no final free block.
    QCOMPARE(form.entries(), (QStringList{"00:10:00Lang", "02:00:00Kort"}));
    QCOMPARE(form.scaleMaximum(), 190);
    QCOMPARE(f.rows().scaleMaximum(), 190);
    QCOMPARE(describe(f.row(1)), QStringLiteral("1:0+10 3:10+180"));
    // Every row is drawn to the longer scale; the recording ends beyond its tape's end.
    const double scale = 585.0 / 190;
    const overview::Segment recording = f.row(1).segments[1];
    QCOMPARE(recording.left, 30 + qRound(10 * scale));
    QCOMPARE(recording.width, qRound(180 * scale));
    QVERIFY(recording.left + recording.width > 30 + qRound(180 * scale));
    QCOMPARE(f.row(0).segments[0].width, qRound(120 * scale));
}

void TestFreeTime::overrunOnTapeOfLengthZero() {
    OverviewFixture f;
    f.addTape(QStringLiteral("Nul"), 0);
    f.addRecording(QStringLiteral("Nul"), minutes(5), minutes(10));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(form.entries(), QStringList{QStringLiteral("00:05:00Nul")});
    QCOMPARE(form.scaleMaximum(), 15);
    QCOMPARE(describe(f.row(0)), QStringLiteral("1:0+5 3:5+10"));
}

void TestFreeTime::recordingsFollowTapeNameInAnyCase() {
    OverviewFixture f;
    f.addTape(QStringLiteral("abc"), 100);
    f.addRecording(QStringLiteral("ABC"), minutes(0), minutes(40));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QCOMPARE(form.entries(), QStringList{QStringLiteral("01:00:00abc")});
    QCOMPARE(f.row(0).tapeName, QStringLiteral("abc"));
    QCOMPARE(describe(f.row(0)), QStringLiteral("3:0+40 1:40+60"));
}

void TestFreeTime::sameNameInOtherCaseShowsTheFirstTape() {
    OverviewFixture f;
    f.addTape(QStringLiteral("abc"), 100);
    f.addTape(QStringLiteral("ABC"), 50);
    f.addRecording(QStringLiteral("Abc"), minutes(0), minutes(40));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    // Both tapes hold the recording; each lists its own free block.
    QCOMPARE(form.entries(), (QStringList{"00:10:00ABC", "01:00:00abc"}));
    // A row finds its tape by name, letter case ignored: the first of the two.
    QCOMPARE(f.row(0).tapeName, QStringLiteral("abc"));
    QCOMPARE(describe(f.row(0)), QStringLiteral("3:0+40 1:40+60"));
    QCOMPARE(f.row(1).tapeName, QStringLiteral("abc"));
    QCOMPARE(f.row(1).freeLabel, QStringLiteral("00:10"));
    QCOMPARE(describe(f.row(1)), QStringLiteral("3:0+40 2:40+60"));
}

void TestFreeTime::overlappingRecordingsStayInTheirRow() {
    // Old data that the recording rules would refuse today.
    OverviewFixture f;
    f.addTape(QStringLiteral("T"), 100);
    f.addRecording(QStringLiteral("T"), minutes(0), minutes(50));
    f.addRecording(QStringLiteral("T"), minutes(20), minutes(10)); // inside the first
    f.addRecording(QStringLiteral("T"), minutes(40), minutes(30)); // over the first's end
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    // An overlap is no free time, and a recording inside another does not end the cover.
    QCOMPARE(form.entries(), QStringList{QStringLiteral("00:30:00T")});
    QCOMPARE(describe(f.row(0)), QStringLiteral("3:0+50 3:20+10 3:40+30 1:70+30"));
    // Left and width are rounded each on its own: a panel may end one pixel further.
    const overview::OverviewRow row = f.row(0);
    for (const overview::Segment& s : row.segments) {
        QVERIFY(s.left >= 30);
        QVERIFY(s.left + s.width <= 30 + 585 + 1);
    }
}

void TestFreeTime::freeTimeTextIgnoresTimeFormats() {
    const QLocale previousLocale;
    const QString previousFormat = engine::formatSettings().longTimeFormat;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    engine::formatSettings().longTimeFormat = QStringLiteral("h:nn");
    OverviewFixture f;
    f.addTape(QStringLiteral("X"), 65);
    const bool opened = f.open();
    const QStringList entries = opened ? f.compute().entries() : QStringList();
    QLocale::setDefault(previousLocale);
    engine::formatSettings().longTimeFormat = previousFormat;

    QVERIFY(opened);
    QCOMPARE(entries, QStringList{QStringLiteral("01:05:00X")});
}

void TestFreeTime::progressWindowDuringAndAfter() {
    OverviewFixture f;
    f.addTape(QStringLiteral("A"), 60);
    f.addTape(QStringLiteral("B"), 120);
    f.addTape(QStringLiteral("C"), 180);
    f.addRecording(QStringLiteral("A"), minutes(0), minutes(30));
    f.addRecording(QStringLiteral("C"), minutes(30), minutes(60));
    QVERIFY(f.open());

    // Look at the progress window whenever the bar moves.
    struct Seen {
        bool visible;
        QString caption;
        QString message;
        int maximum;
        int value;
    };
    std::vector<Seen> seen;
    QProgressBar* bar = f.progress->ProgressBar1;
    QObject::connect(bar, &QProgressBar::valueChanged, f.progress.get(), [&](int value) {
        seen.push_back({f.progress->isVisible(), f.progress->windowTitle(),
                        f.progress->Label4->text(), bar->maximum(), value});
    });
    QCOMPARE(f.progress->windowTitle(), QStringLiteral("Beregner noget"));
    QCOMPARE(f.progress->Label4->text(), QStringLiteral("Beregner noget"));
    TBaandOversigtForm& form = f.compute();

    // Pass 1 puts the bar on the record number of each tape with recordings: A and C.
    QStringList computing;
    QStringList building;
    for (const Seen& s : seen) {
        QVERIFY(s.visible);
        QCOMPARE(s.caption, QStringLiteral("Opretter skema"));
        const QString step = QStringLiteral("%1/%2").arg(s.value).arg(s.maximum);
        if (s.message == u"Beregner fri tid")
            computing << step;
        else if (s.message == u"Opretter skema")
            building << step;
        else
            QFAIL(qPrintable(s.message));
    }
    QCOMPARE(computing, (QStringList{"1/3", "3/3"}));
    // Pass 2 starts the bar at 0 and counts the rows up to its maximum, entries less one.
    QCOMPARE(building, (QStringList{"0/3", "1/3", "2/3", "3/3"}));

    QCOMPARE(form.entries().size(), 4);
    QVERIFY(!f.progress->isVisible());
    QCOMPARE(f.progress->ProgressBar1->maximum(), 3);
    QCOMPARE(f.progress->ProgressBar1->value(), 3);
}

void TestFreeTime::leavesTablesAsTheComputationEnds() {
    OverviewFixture f;
    f.addTape(QStringLiteral("A"), 60);
    f.addTape(QStringLiteral("B"), 30);
    f.addTape(QStringLiteral("C"), 10);
    f.addRecording(QStringLiteral("C"), minutes(0), minutes(10));
    QVERIFY(f.open());
    TBaandOversigtForm& form = f.compute();

    QVERIFY(!form.VideoTable2().isActive());
    QCOMPARE(form.ListBox1->model()->rowCount(), 2);
    QCOMPARE(form.ListBox1->model()->index(0, 0).data().toString(), QStringLiteral("00:30:00B"));
    QVERIFY(form.ListBox1->isHidden());
    // The tapes table stands on the tape of the last row built, the smallest block.
    QCOMPARE(f.dataBox->BaandTable().fieldByName(QStringLiteral("BaandNavn")).asString(),
             QStringLiteral("B"));
    // VideoTable2 follows the tapes table again: B has no recordings.
    form.VideoTable2().open();
    QCOMPARE(form.VideoTable2().recordCount(), 0);
    f.dataBox->BaandTable().last();
    QCOMPARE(form.VideoTable2().recordCount(), 1);
    form.VideoTable2().close();
}

void TestFreeTime::computationAloneMatchesTheAlgorithm_data() {
    QTest::addColumn<int>("seed");
    for (int seed : {1, 2, 3})
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestFreeTime::computationAloneMatchesTheAlgorithm() {
    QFETCH(int, seed);
    std::mt19937 random{std::uint32_t(seed)};
    auto below = [&](int n) { return int(random() % std::uint32_t(n)); };
    // Names that differ only in letter case, Danish letters, and a name with no tape.
    const QStringList names{"a1",
                            "A1",
                            "b2",
                            QString::fromUtf8("Æ3"),
                            QString::fromUtf8("æ3"),
                            QString::fromUtf8("ø4"),
                            "c5",
                            "D6",
                            "e7",
                            "F8"};
    const QStringList speeds{"SP", "LP", "", "sp"};
    OverviewFixture f;
    for (int t = 0; t < 14; ++t) {
        const int length = below(4) == 0 ? 0 : 30 * below(21);
        f.addTape(names.at(below(names.size() - 1)), length);
    }
    QList<QVariantMap> recordings;
    for (const QString& tape : names) {
        int seconds = 0;
        for (int k = below(8); k > 0; --k) {
            // Gaps of nothing, of seconds, of minutes; recordings of no length too.
            const int gaps[] = {0, 0, 30, 20, 60 * below(40)};
            const int gap = gaps[below(5)];
            const int length = below(5) == 0 ? 0 : 60 * (1 + below(90));
            seconds += gap;
            QVariantMap values;
            values[QStringLiteral("Baandnummer")] = below(3) == 0 ? tape.toUpper() : tape;
            values[QStringLiteral("Starttid")] = minutes(0, seconds);
            values[QStringLiteral("SpilletidSP")] = minutes(0, length);
            values[QStringLiteral("Hastighed")] = speeds.at(below(4));
            values[QStringLiteral("Titel1")] = QStringLiteral("Titel %1").arg(below(1000));
            recordings << values;
            seconds += length;
        }
    }
    // Written in a shuffled order, so that the rows' ids do not follow the index.
    std::shuffle(recordings.begin(), recordings.end(), random);
    for (const QVariantMap& values : recordings)
        f.catalogue.appendRow(schema::recordings(), values);
    QVERIFY(f.open());

    // The computation alone, without a window: the data module's tapes and the recordings
    // in the order of their index.
    engine::Table& tapes = f.dataBox->BaandTable();
    engine::Database& catalogue =
        *f.catalogue.session().database(QString::fromUtf8(schema::kAlias));
    const overview::FreeTimeResult result =
        overview::computeFreeTime(overview::readFreeTimeInput(tapes, catalogue));
    QStringList built;
    for (int i = 0; i < result.rows.rowCount(); ++i)
        built << describeFully(result.rows, result.rows.row(i));
    const QString lastTape =
        result.lastRowTape < 0
            ? QString()
            : tapes.rowValue(result.lastRowTape, tapes.fieldIndex(QStringLiteral("BaandNavn")))
                  .toString();
    const Literal literal = computeLiterally(f);

    QCOMPARE(result.entries.texts(), literal.entries);
    QCOMPARE(result.scaleMaximum, literal.scaleMaximum);
    QCOMPARE(built, literal.rows);
    if (!literal.rows.isEmpty())
        QCOMPARE(lastTape, literal.rows.last().section(u' ', 0, 0));
}

QTEST_MAIN(TestFreeTime)
#include "tst_free_time.moc"

// The free-time computation: which free blocks every tape has, how they are listed and
// sorted, the scale maximum, and the rows of segments built from the list.

#include "overview_fixture.h"

#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QProgressBar>

using overview::kCurrentFree;
using overview::kOtherFree;
using overview::kRecordingLP;
using overview::kRecordingSP;

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
    void overlappingRecordingsStayInTheirRow();
    void freeTimeTextIgnoresTimeFormats();
    void progressWindowDuringAndAfter();
    void leavesTablesAsTheComputationEnds();
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
    QCOMPARE(f.row(0).segments.front().caption, QStringLiteral("Fri"));
    QCOMPARE(f.row(0).segments.front().tag, 0);
    QVERIFY(f.unexpectedMessages.isEmpty());
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

    const overview::Segment& first = f.row(0).segments[1];
    QCOMPARE(first.caption, QStringLiteral("Første"));
    QVERIFY(first.tag > 0);
    QCOMPARE(f.row(0).segments[3].caption, QStringLiteral("Anden"));
    QCOMPARE(f.row(0).segments[3].tag, first.tag + 1);
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
    for (const overview::OverviewRow& row : f.rows().rows())
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
    for (const overview::OverviewRow& row : f.rows().rows())
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
    const overview::Segment& recording = f.row(1).segments[1];
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
    for (const overview::Segment& s : f.row(0).segments) {
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

    // The tapes table moves while the window computes: look at the progress window then.
    struct Seen {
        bool visible;
        QString caption;
        QString message;
        int maximum;
        int value;
    };
    std::vector<Seen> seen;
    QObject::connect(
        &f.dataBox->BaandSource(), &framework::DataSource::dataChange, f.progress.get(), [&] {
            seen.push_back({f.progress->isVisible(), f.progress->windowTitle(),
                            f.progress->Label4->text(), f.progress->ProgressBar1->maximum(),
                            f.progress->ProgressBar1->value()});
        });
    QCOMPARE(f.progress->windowTitle(), QStringLiteral("Beregner noget"));
    TBaandOversigtForm& form = f.compute();

    QVERIFY(!seen.empty());
    const Seen& computing = seen.front();
    QVERIFY(computing.visible);
    QCOMPARE(computing.caption, QStringLiteral("Opretter skema"));
    QCOMPARE(computing.message, QStringLiteral("Beregner fri tid"));
    QCOMPARE(computing.maximum, 3);
    // A's recording put the bar on A's record number before the table moved on.
    bool sawTapeOne = false;
    for (const Seen& s : seen)
        sawTapeOne = sawTapeOne || (s.message == u"Beregner fri tid" && s.value == 1);
    QVERIFY(sawTapeOne);
    // The last move comes from building the rows.
    const Seen& building = seen.back();
    QVERIFY(building.visible);
    QCOMPARE(building.message, QStringLiteral("Opretter skema"));

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
}

QTEST_MAIN(TestFreeTime)
#include "tst_free_time.moc"

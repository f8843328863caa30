// Tape time of recordings: minute values, the SP tape time, the proposed start time and
// the check before every post (tape registered, no overlap, overrun confirmed).
#include "../framework/modal_box_answer.h"
#include "data/tape_time.h"
#include "databox_fixture.h"

#include <QTest>

using framework::MessageButton;
using framework::MessageIcon;

namespace {

const QString kTapeMissing = QStringLiteral("Bånd navn er ikke oprettet...");
const QString kOverlap = QStringLiteral("Der er overlappende tider..");

QString overrun(int minutes) {
    return QStringLiteral("Optagelsen er %1 minut(ter) længere end båndet.. Er dette i orden?")
        .arg(minutes);
}

// "start+length" pairs of recordings already on a tape, e.g. "0:00+1:00".
using Layout = QStringList;

double parseTime(const QString& text) {
    return *engine::parseTime(text);
}

} // namespace

class TapeTimeTest : public QObject {
    Q_OBJECT

    // Writes the layout's recordings onto tape straight into the table (past the rules).
    static void lay(DataboxFixture& f, const QString& tape, const Layout& layout) {
        for (const QString& entry : layout) {
            const QStringList parts = entry.split(u'+');
            f.writeRecording({{QStringLiteral("Baandnummer"), tape},
                              {QStringLiteral("Starttid"), parseTime(parts[0])},
                              {QStringLiteral("SpilletidSPLP"), parseTime(parts[1])},
                              {QStringLiteral("SpilletidSP"), parseTime(parts[1])},
                              {QStringLiteral("Hastighed"), QStringLiteral("SP")}});
        }
    }

private Q_SLOTS:
    void minuteValue_data() {
        QTest::addColumn<int>("msecs");
        QTest::addColumn<int>("minutes");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("half a minute to even 0") << 30000 << 0;
        QTest::newRow("1.5 to even 2") << 90000 << 2;
        QTest::newRow("2.5 to even 2") << 150000 << 2;
        QTest::newRow("59.5 to even 60") << 3570000 << 60;
        QTest::newRow("just below half") << 29999 << 0;
        QTest::newRow("just above half") << 30001 << 1;
        QTest::newRow("an hour") << 3600000 << 60;
        QTest::newRow("23:59") << (23 * 60 + 59) * 60000 << 1439;
    }
    void minuteValue() {
        QFETCH(int, msecs);
        QFETCH(int, minutes);
        QCOMPARE(int(tapetime::minuteValue(engine::msecsToTimeFraction(msecs))), minutes);
    }

    void minuteValueIsSixteenBits() {
        // A sum of two times past 45.5 days would wrap; real values stay below 2880.
        QCOMPARE(int(tapetime::minuteValue(65536.0 / 1440.0)), 0);
        QCOMPARE(int(tapetime::minuteValue(2.0)), 2880);
    }

    // The derivation as it runs on every post of a recording.
    void tapeTimeOnPost_data() {
        QTest::addColumn<QString>("playing");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("expected"); // h:mm:ss, or "" for empty
        QTest::newRow("1:31 LP") << "1:31"
                                 << "LP"
                                 << "00:46:00";
        QTest::newRow("1:30 LP") << "1:30"
                                 << "LP"
                                 << "00:45:00";
        QTest::newRow("1:31 SP") << "1:31"
                                 << "SP"
                                 << "01:31:00";
        QTest::newRow("1:31 lp is not LP") << "1:31"
                                           << "lp"
                                           << "01:31:00";
        QTest::newRow("1:31 Lp is not LP") << "1:31"
                                           << "Lp"
                                           << "01:31:00";
        QTest::newRow("1:31 no speed") << "1:31"
                                       << ""
                                       << "01:31:00";
        QTest::newRow("0:01 LP rounds up") << "0:01"
                                           << "LP"
                                           << "00:01:00";
        QTest::newRow("2:59 LP") << "2:59"
                                 << "LP"
                                 << "01:30:00";
        QTest::newRow("empty at LP is 0:00") << ""
                                             << "LP"
                                             << "00:00:00";
        QTest::newRow("empty at SP stays empty") << ""
                                                 << "SP"
                                                 << "";
    }
    void tapeTimeOnPost() {
        QFETCH(QString, playing);
        QFETCH(QString, speed);
        QFETCH(QString, expected);
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 600);
        f.startRecording(QStringLiteral("T1"), QStringLiteral("0:00"), playing, speed);
        QVERIFY(f.post());
        QVERIFY(f.messages.shown.empty());
        // Read back from the file, not from the buffer.
        f.video().refresh();
        QCOMPARE(f.field(QStringLiteral("SpilletidSP")), expected);
    }

    void proposal_data() {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("empty tape") << Layout{} << "00:00:00";
        QTest::newRow("unbroken run") << Layout{"0:00+1:00", "1:00+1:00"} << "02:00:00";
        QTest::newRow("first at 0:10") << Layout{"0:10+0:30"} << "00:00:00";
        QTest::newRow("first gap wins") << Layout{"0:00+1:00", "1:30+0:30"} << "01:00:00";
        QTest::newRow("stored out of order") << Layout{"1:00+1:00", "0:00+1:00"} << "02:00:00";
        QTest::newRow("past the tape's end") << Layout{"0:00+1:30"} << "01:30:00";
        QTest::newRow("overlapping run") << Layout{"0:00+1:00", "0:30+1:00"} << "01:30:00";
        QTest::newRow("later gap never proposed")
            << Layout{"0:00+0:20", "0:20+0:10", "1:00+0:10", "2:00+0:10"} << "00:30:00";
        // A zero-length recording may share its start with another; the run goes on past both.
        QTest::newRow("zero length stored after its neighbour")
            << Layout{"0:30+0:30", "0:30+0:00", "0:00+0:30"} << "01:00:00";
        QTest::newRow("zero length stored before its neighbour")
            << Layout{"0:30+0:00", "0:30+0:30", "0:00+0:30"} << "01:00:00";
    }
    void proposal() {
        QFETCH(Layout, layout);
        QFETCH(QString, proposal);
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("A"), 60);
        f.addTape(QStringLiteral("T1"), 60);
        f.addTape(QStringLiteral("Z"), 60);
        lay(f, QStringLiteral("T1"), layout);
        // Recordings of the neighbouring tapes play no part.
        lay(f, QStringLiteral("A"), {QStringLiteral("0:00+3:00")});
        lay(f, QStringLiteral("Z"), {QStringLiteral("0:00+4:00")});
        QVERIFY(f.box->baandnavnexist(QStringLiteral("T1")));
        QCOMPARE(f.box->findstarttid(), proposal);
        QVERIFY(!f.box->VideoTableBaand().isActive());
        // A proposal never lies inside a recording: one posted there passes the check.
        f.startRecording(QStringLiteral("T1"), proposal, QStringLiteral("0:01"));
        QVERIFY(f.post());
        QVERIFY(!f.messages.texts().contains(kOverlap));
    }

    void proposalIgnoresLetterCaseOfTapeNames() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("Å1"), 180);
        lay(f, QStringLiteral("å1"), {QStringLiteral("0:00+1:00")});
        lay(f, QStringLiteral("Å1"), {QStringLiteral("1:00+0:15")});
        QVERIFY(f.box->baandnavnexist(QStringLiteral("å1")));
        QCOMPARE(f.tapes().fieldByName(QStringLiteral("BaandNavn")).asString(),
                 QStringLiteral("Å1"));
        QCOMPARE(f.box->findstarttid(), QStringLiteral("01:15:00"));
    }

    void proposalWithoutTapes() {
        DataboxFixture f;
        QVERIFY(f.ok());
        QVERIFY(!f.box->baandnavnexist(QStringLiteral("T1")));
        QCOMPARE(f.box->findstarttid(), QStringLiteral("00:00:00"));
    }

    void tapeLookup() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("B2"), 60);
        f.addTape(QStringLiteral("C3"), 60);
        QVERIFY(f.box->baandnavnexist(QStringLiteral("b2")));
        QCOMPARE(f.tapes().fieldByName(QStringLiteral("BaandNavn")).asString(),
                 QStringLiteral("B2"));
        // Not found: the tapes table stays where it was.
        QVERIFY(!f.box->baandnavnexist(QStringLiteral("B")));
        QVERIFY(!f.box->baandnavnexist(QString()));
        QCOMPARE(f.tapes().fieldByName(QStringLiteral("BaandNavn")).asString(),
                 QStringLiteral("B2"));
    }

    // The check as every post runs it.
    void check_data() {
        QTest::addColumn<int>("tapeLength");
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("playing");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("answer"); // to the overrun question
        QTest::addColumn<bool>("posted");
        QTest::addColumn<QStringList>("messages");
        const int yes = int(MessageButton::Yes);
        const int no = int(MessageButton::No);
        QTest::newRow("beside an existing one") << 240 << Layout{"0:00+1:00"} << "1:00"
                                                << "0:30"
                                                << "SP" << yes << true << QStringList{};
        QTest::newRow("reaching into the next one") << 240 << Layout{"1:00+1:00"} << "0:00"
                                                    << "1:00"
                                                    << "SP" << yes << true << QStringList{};
        QTest::newRow("starting inside") << 240 << Layout{"0:00+1:00"} << "0:50"
                                         << "0:20"
                                         << "SP" << yes << false << QStringList{kOverlap};
        QTest::newRow("starting in its last minute")
            << 240 << Layout{"0:00+1:00"} << "0:59"
            << "0:01"
            << "SP" << yes << false << QStringList{kOverlap};
        QTest::newRow("ending one minute into the next")
            << 240 << Layout{"1:00+1:00"} << "0:00"
            << "1:01"
            << "SP" << yes << false << QStringList{kOverlap};
        QTest::newRow("covering another") << 240 << Layout{"1:00+0:30"} << "0:00"
                                          << "3:00"
                                          << "SP" << yes << false << QStringList{kOverlap};
        QTest::newRow("zero length at another's start") << 240 << Layout{"0:30+0:30"} << "0:30"
                                                        << "0:00"
                                                        << "SP" << yes << true << QStringList{};
        QTest::newRow("onto a zero-length one") << 240 << Layout{"0:30+0:00"} << "0:30"
                                                << "0:30"
                                                << "SP" << yes << false << QStringList{kOverlap};
        QTest::newRow("same start, same length") << 240 << Layout{"0:30+0:30"} << "0:30"
                                                 << "0:30"
                                                 << "SP" << yes << false << QStringList{kOverlap};
        QTest::newRow("ends at the tape's end") << 180 << Layout{} << "0:00"
                                                << "3:00"
                                                << "SP" << yes << true << QStringList{};
        QTest::newRow("overrun accepted") << 180 << Layout{} << "0:00"
                                          << "3:05"
                                          << "SP" << yes << true << QStringList{overrun(5)};
        QTest::newRow("overrun declined") << 180 << Layout{} << "0:00"
                                          << "3:05"
                                          << "SP" << no << false << QStringList{overrun(5)};
        QTest::newRow("overrun after others") << 180 << Layout{"0:00+2:00"} << "2:00"
                                              << "1:30"
                                              << "SP" << no << false << QStringList{overrun(30)};
        QTest::newRow("overlap is not asked about overrun")
            << 60 << Layout{"0:00+0:30"} << "0:10"
            << "1:00"
            << "SP" << yes << false << QStringList{kOverlap};
        QTest::newRow("LP halves the tape time") << 60 << Layout{} << "0:00"
                                                 << "1:59"
                                                 << "LP" << yes << true << QStringList{};
        QTest::newRow("LP odd minutes round up") << 45 << Layout{} << "0:00"
                                                 << "1:31"
                                                 << "LP" << no << false << QStringList{overrun(1)};
        QTest::newRow("lower-case lp is SP") << 60 << Layout{} << "0:00"
                                             << "1:59"
                                             << "lp" << no << false << QStringList{overrun(59)};
        QTest::newRow("zero-length tape") << 0 << Layout{} << "0:00"
                                          << "0:00"
                                          << "SP" << no << true << QStringList{};
        QTest::newRow("start past the end") << 60 << Layout{} << "2:00"
                                            << "0:00"
                                            << "SP" << no << false << QStringList{overrun(60)};
    }
    void check() {
        QFETCH(int, tapeLength);
        QFETCH(Layout, layout);
        QFETCH(QString, start);
        QFETCH(QString, playing);
        QFETCH(QString, speed);
        QFETCH(int, answer);
        QFETCH(bool, posted);
        QFETCH(QStringList, messages);
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), tapeLength);
        f.addTape(QStringLiteral("T2"), 600);
        lay(f, QStringLiteral("T1"), layout);
        lay(f, QStringLiteral("T2"), {QStringLiteral("0:00+10:00")}); // another tape: no part
        const int before = f.video().recordCount();
        f.messages.answers.push_back(MessageButton(answer));
        f.startRecording(QStringLiteral("T1"), start, playing, speed);
        QCOMPARE(f.post(), posted);
        QCOMPARE(f.messages.texts(), messages);
        QCOMPARE(f.video().recordCount(), before + (posted ? 1 : 0));
        QCOMPARE(f.video().state(),
                 posted ? engine::DatasetState::Browse : engine::DatasetState::Insert);
    }

    void messageKinds() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 60);
        lay(f, QStringLiteral("T1"), {QStringLiteral("0:00+0:30")});

        f.startRecording(QStringLiteral("X9"), QStringLiteral("0:30"), QStringLiteral("0:10"));
        QVERIFY(!f.post());
        f.setTimes(QStringLiteral("T1"), QStringLiteral("0:20"), QStringLiteral("0:10"));
        QVERIFY(!f.post());
        f.messages.answers.push_back(MessageButton::No);
        f.setTimes(QStringLiteral("T1"), QStringLiteral("0:30"), QStringLiteral("0:40"));
        QVERIFY(!f.post());

        QCOMPARE(f.messages.shown.size(), std::size_t(3));
        for (std::size_t i = 0; i < 2; ++i) {
            const auto& m = f.messages.shown[i];
            QCOMPARE(m.caption, QStringLiteral("Fejl..."));
            QCOMPARE(m.icon, MessageIcon::Warning);
            QVERIFY(m.buttons == std::vector<MessageButton>{MessageButton::Ok});
        }
        QCOMPARE(f.messages.shown[0].text, kTapeMissing);
        QCOMPARE(f.messages.shown[1].text, kOverlap);
        const auto& question = f.messages.shown[2];
        QCOMPARE(question.caption, QStringLiteral("Error"));
        QCOMPARE(question.icon, MessageIcon::Error);
        QCOMPARE(question.text, overrun(10));
        QVERIFY((question.buttons ==
                 std::vector<MessageButton>{MessageButton::Yes, MessageButton::No}));
    }

    void tapeNotRegistered_data() {
        QTest::addColumn<QStringList>("tapes");
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown name") << QStringList{"T1"} << "T2";
        QTest::newRow("empty name") << QStringList{"T1"} << "";
        QTest::newRow("no tapes at all") << QStringList{} << "T1";
        QTest::newRow("prefix of a tape") << QStringList{"T10"} << "T1";
    }
    void tapeNotRegistered() {
        QFETCH(QStringList, tapes);
        QFETCH(QString, name);
        DataboxFixture f;
        QVERIFY(f.ok());
        for (const QString& t : tapes)
            f.addTape(t, 180);
        QSignalSpy focus(f.box.get(), &TDataBox::focusBaandnavnEdit);
        f.startRecording(name, QStringLiteral("0:00"), QStringLiteral("1:00"));
        f.video().fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Vertigo"));
        QVERIFY(!f.post());
        QCOMPARE(f.messages.texts(), QStringList{kTapeMissing});
        QCOMPARE(focus.count(), 1);
        QCOMPARE(f.video().state(), engine::DatasetState::Insert);
        QCOMPARE(f.field(QStringLiteral("Titel1")), QStringLiteral("Vertigo"));
        QCOMPARE(f.catalogue.rowCount(schema::recordings()), 0);
    }

    // Baandnummer and BaandNavn are one key whatever the letter case.
    void tapeNameLetterCase_data() {
        QTest::addColumn<QString>("tape");
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("posted");
        QTest::newRow("posted in lower case") << "A1"
                                              << "A1"
                                              << "a1";
        QTest::newRow("existing in lower case") << "A1"
                                                << "a1"
                                                << "A1";
        QTest::newRow("tape in lower case") << "a1"
                                            << "A1"
                                            << "A1";
        QTest::newRow("Danish letters") << "ÆØÅ"
                                        << "æøå"
                                        << "Æøå";
    }
    void tapeNameLetterCase() {
        QFETCH(QString, tape);
        QFETCH(QString, existing);
        QFETCH(QString, posted);
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(tape, 180);
        lay(f, existing, {QStringLiteral("0:00+1:00")});
        f.startRecording(posted, QStringLiteral("0:30"), QStringLiteral("1:00"));
        QVERIFY(!f.post());
        QCOMPARE(f.messages.texts(), QStringList{kOverlap});
        f.messages.clear();
        f.setTimes(posted, QStringLiteral("1:00"), QStringLiteral("1:00"));
        QVERIFY(f.post());
        QVERIFY(f.messages.shown.empty());
        QCOMPARE(f.field(QStringLiteral("Baandnummer")), posted); // stored as typed
        // The check leaves the tapes table on the recording's tape.
        QCOMPARE(f.tapes().fieldByName(QStringLiteral("BaandNavn")).asString(), tape);
    }

    void editingKeepsItsOwnPlace() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 180);
        const qint64 first =
            f.addRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("1:00"));
        const qint64 second =
            f.addRecording(QStringLiteral("T1"), QStringLiteral("1:00"), QStringLiteral("1:00"));
        QVERIFY(first && second);
        QVERIFY(f.video().locate(QStringLiteral("VideoAutoInc"), first, false));
        f.video().edit();
        f.video().fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Ny titel"));
        QVERIFY(f.post()); // not compared with itself
        f.video().edit();
        f.video().fieldByName(QStringLiteral("Starttid")).setText(QStringLiteral("0:10"));
        QVERIFY(!f.post()); // now it reaches into the second one
        f.video().fieldByName(QStringLiteral("SpilletidSPLP")).setText(QStringLiteral("0:50"));
        QVERIFY(f.post());
        QCOMPARE(f.messages.texts(), QStringList{kOverlap});
    }

    void refusedPostCorrectedAndPostedAgain() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 180);
        QVERIFY(
            f.addRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("1:00")));
        QSignalSpy focus(f.box.get(), &TDataBox::focusBaandnavnEdit);
        f.startRecording(QStringLiteral("T1"), QStringLiteral("0:50"), QStringLiteral("1:31"),
                         QStringLiteral("LP"));
        QVERIFY(!f.post());
        QCOMPARE(focus.count(), 1);
        QCOMPARE(f.video().state(), engine::DatasetState::Insert);
        QVERIFY(f.video().modified());
        QCOMPARE(f.field(QStringLiteral("Starttid")), QStringLiteral("00:50:00"));
        QCOMPARE(f.field(QStringLiteral("SpilletidSP")), QStringLiteral("00:46:00")); // derived
        f.video().fieldByName(QStringLiteral("Starttid")).setText(QStringLiteral("1:00"));
        QVERIFY(f.post());
        QCOMPARE(focus.count(), 1);
        QCOMPARE(f.catalogue.rowCount(schema::recordings()), 2);
        QCOMPARE(f.messages.texts(), QStringList{kOverlap});
    }

    // The overrun question in a real message box, answered by the user.
    void overrunQuestionInRealBox_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("posted");
        QTest::newRow("Yes") << "Yes" << true;
        QTest::newRow("No") << "No" << false;
        QTest::newRow("Escape") << "" << false;
    }
    void overrunQuestionInRealBox() {
        QFETCH(QString, answer);
        QFETCH(bool, posted);
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 180);
        f.startRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("3:05"));
        bool result = false;
        std::shared_ptr<SeenBox> seen;
        {
            framework::ScopedMessageHandler realBoxes{framework::MessageHandler()};
            seen = answerNextBox(answer);
            result = f.post();
        }
        QVERIFY(seen->seen);
        QCOMPARE(result, posted);
        QCOMPARE(seen->objectName, QStringLiteral("MessageBox"));
        QCOMPARE(seen->caption, QStringLiteral("Error"));
        QCOMPARE(seen->text, overrun(5));
        QCOMPARE(seen->icon, QMessageBox::Critical);
        QVERIFY(seen->applicationModal);
        QCOMPARE(seen->buttons.size(), 2);
        QVERIFY(seen->buttons.contains(QStringLiteral("Yes")));
        QVERIFY(seen->buttons.contains(QStringLiteral("No")));
        QCOMPARE(f.catalogue.rowCount(schema::recordings()), posted ? 1 : 0);
    }
};

QTEST_MAIN(TapeTimeTest)
#include "tst_tape_time.moc"

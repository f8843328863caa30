// The data module's rules on table events: the record count after posts and deletes, the
// refusal to delete a tape that recordings name, the cast filter of the actors table and
// the post that every move of the recordings table causes.
#include "data/cast_filter.h"
#include "databox_fixture.h"

#include <QRandomGenerator>
#include <QTest>

using framework::MessageButton;
using framework::MessageIcon;

namespace {

const QString kOverlap = QStringLiteral("Der er overlappende tider..");
const QString kTapeInUse =
    QStringLiteral("Der er inskrevet poster på dette bånd. Slet disse poster før båndet slettes.");

using Ids = QList<qint64>;

// The actors SkuespillerTable2 shows, in its order.
Ids castShown(TDataBox& box) {
    engine::Table& actors = box.SkuespillerTable2();
    const int id = actors.fieldIndex(QStringLiteral("SkuespillerAutoInc"));
    Ids ids;
    for (int row = 0; row < actors.recordCount(); ++row)
        ids << actors.rowValue(row, id).toLongLong();
    return ids;
}

// Actors 1..count, their last names sorting against their ids (actor 112 before actor 5).
void addActors(TempCatalogue& catalogue, int count) {
    for (int i = 1; i <= count; ++i) {
        catalogue.appendRow(schema::actors(),
                            {{QStringLiteral("Fornavn"), QStringLiteral("F%1").arg(i)},
                             {QStringLiteral("Efternavn"), QStringLiteral("N%1").arg(1000 - i)},
                             {QStringLiteral("SkuespillerAutoIncStr"), QString::number(i)}});
    }
}

qint64 currentId(DataboxFixture& f) {
    return f.video().fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
}

bool tapeExists(DataboxFixture& f, const QString& name) {
    auto tapes = f.catalogue.openTable(schema::tapes());
    return tapes->locate(QStringLiteral("BaandNavn"), name, false);
}

} // namespace

class TableRulesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordCountInStatusBar() {
        DataboxFixture f;
        QVERIFY(f.ok());
        QCOMPARE(f.box->statusBarText(), QStringLiteral("Antal poster: 0"));
        QSignalSpy status(f.box.get(), &TDataBox::statusBarTextChanged);
        f.addTape(QStringLiteral("T1"), 180);

        QVERIFY(
            f.addRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("1:00")));
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("Antal poster: 1"));
        QCOMPARE(f.box->statusBarText(), QStringLiteral("Antal poster: 1"));

        // Inserting, cancelling and a refused post leave the count alone.
        f.startRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("0:30"));
        QCOMPARE(status.count(), 1);
        QVERIFY(!f.post());
        f.video().cancel();
        f.video().edit();
        f.video().fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("x"));
        f.video().cancel();
        QCOMPARE(status.count(), 1);

        // Editing and posting writes it again.
        f.video().edit();
        f.video().fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Psycho"));
        QVERIFY(f.post());
        QCOMPARE(status.count(), 2);
        QCOMPARE(f.box->statusBarText(), QStringLiteral("Antal poster: 1"));

        f.video().deleteRecord();
        QCOMPARE(status.count(), 3);
        QCOMPARE(f.box->statusBarText(), QStringLiteral("Antal poster: 0"));
    }

    void tapeDeleteRefusedWhileNamed_data() {
        QTest::addColumn<QString>("tape");
        QTest::addColumn<QString>("named");
        QTest::newRow("same name") << "A1"
                                   << "A1";
        QTest::newRow("named in lower case") << "A1"
                                             << "a1";
        QTest::newRow("tape in lower case") << "a1"
                                            << "A1";
        QTest::newRow("Danish letters") << "BÅND"
                                        << "bånd";
    }
    void tapeDeleteRefusedWhileNamed() {
        QFETCH(QString, tape);
        QFETCH(QString, named);
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("A0"), 180);
        f.addTape(tape, 180);
        f.addTape(QStringLiteral("Z9"), 180);
        // The named recording sorts first; the current one is another.
        QVERIFY(f.addRecording(named, QStringLiteral("0:00"), QStringLiteral("1:00")));
        const qint64 current =
            f.addRecording(QStringLiteral("Z9"), QStringLiteral("0:00"), QStringLiteral("1:00"));
        QVERIFY(current);
        QVERIFY(f.box->baandnavnexist(tape));
        QVERIFY_THROWS_EXCEPTION(engine::Abort, f.tapes().deleteRecord());
        QCOMPARE(f.messages.texts(), QStringList{kTapeInUse});
        const auto& m = f.messages.shown.front();
        QCOMPARE(m.caption, QStringLiteral("Error"));
        QCOMPARE(m.icon, MessageIcon::Error);
        QVERIFY(m.buttons == std::vector<MessageButton>{MessageButton::Ok});
        QVERIFY(tapeExists(f, tape));
        QCOMPARE(f.tapes().recordCount(), 3);
        QCOMPARE(currentId(f), current); // the main window's recording did not change
    }

    void tapeDeleteWhenNotNamed() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("A1"), 180);
        f.addTape(QStringLiteral("B1"), 180);
        f.addTape(QStringLiteral("C1"), 180);
        QVERIFY(
            f.addRecording(QStringLiteral("A1"), QStringLiteral("0:00"), QStringLiteral("1:00")));
        const qint64 current =
            f.addRecording(QStringLiteral("C1"), QStringLiteral("0:00"), QStringLiteral("1:00"));
        QVERIFY(
            f.addRecording(QStringLiteral("C1"), QStringLiteral("1:00"), QStringLiteral("1:00")));
        QVERIFY(f.video().locate(QStringLiteral("VideoAutoInc"), current, false));
        const int row = f.video().recNo();
        QVERIFY(f.box->baandnavnexist(QStringLiteral("B1")));
        f.tapes().deleteRecord();
        QVERIFY(f.messages.shown.empty());
        QVERIFY(!tapeExists(f, QStringLiteral("B1")));
        QCOMPARE(currentId(f), current);
        QCOMPARE(f.video().recNo(), row);
    }

    void tapeDeleteWithOverlappingUnpostedChanges() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 180);
        f.addTape(QStringLiteral("X1"), 180);
        QVERIFY(
            f.addRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("1:00")));
        const qint64 current =
            f.addRecording(QStringLiteral("T1"), QStringLiteral("1:00"), QStringLiteral("1:00"));
        f.video().edit();
        f.video().fieldByName(QStringLiteral("Starttid")).setText(QStringLiteral("0:30"));
        QVERIFY(f.box->baandnavnexist(QStringLiteral("X1")));
        QVERIFY_THROWS_EXCEPTION(engine::Abort, f.tapes().deleteRecord());
        QCOMPARE(f.messages.texts(), QStringList{kOverlap});
        QVERIFY(tapeExists(f, QStringLiteral("X1")));
        // The recording keeps the user's input, unwritten.
        QCOMPARE(f.video().state(), engine::DatasetState::Edit);
        QCOMPARE(currentId(f), current);
        QCOMPARE(f.field(QStringLiteral("Starttid")), QStringLiteral("00:30:00"));
        auto stored = f.catalogue.openTable(schema::recordings());
        QVERIFY(stored->locate(QStringLiteral("VideoAutoInc"), current, false));
        QCOMPARE(stored->fieldByName(QStringLiteral("Starttid")).asString(),
                 QStringLiteral("01:00:00"));
    }

    void tapeDeletePostsPendingRecordingFirst() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 180);
        f.addTape(QStringLiteral("X1"), 180);
        QVERIFY(
            f.addRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("1:00")));
        // A new recording on X1, not posted yet: posting it first makes the tape named.
        f.startRecording(QStringLiteral("X1"), QStringLiteral("0:00"), QStringLiteral("1:00"));
        f.video().fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Ny"));
        QVERIFY(f.box->baandnavnexist(QStringLiteral("X1")));
        QVERIFY_THROWS_EXCEPTION(engine::Abort, f.tapes().deleteRecord());
        QCOMPARE(f.messages.texts(), QStringList{kTapeInUse});
        QCOMPARE(f.video().state(), engine::DatasetState::Browse);
        QCOMPARE(f.field(QStringLiteral("Titel1")), QStringLiteral("Ny")); // still current
        QCOMPARE(f.catalogue.rowCount(schema::recordings()), 2);

        // A new recording on another tape is posted and stays current while the tape goes.
        // Posting it moves the tapes table to T1: the delete must still hit Y1.
        f.addTape(QStringLiteral("Y1"), 180);
        f.startRecording(QStringLiteral("T1"), QStringLiteral("1:00"), QStringLiteral("1:00"));
        f.video().fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Nyere"));
        QVERIFY(f.box->baandnavnexist(QStringLiteral("Y1")));
        f.tapes().deleteRecord();
        QVERIFY(!tapeExists(f, QStringLiteral("Y1")));
        QVERIFY(tapeExists(f, QStringLiteral("T1")));
        QVERIFY(tapeExists(f, QStringLiteral("X1")));
        QCOMPARE(f.field(QStringLiteral("Titel1")), QStringLiteral("Nyere"));
        QCOMPARE(f.catalogue.rowCount(schema::recordings()), 3);
    }

    void tapeDeleteWithEmptyRecordings() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 180);
        QVERIFY(f.box->baandnavnexist(QStringLiteral("T1")));
        f.tapes().deleteRecord();
        QVERIFY(f.messages.shown.empty());
        QCOMPARE(f.tapes().recordCount(), 0);
    }

    // Moving the recordings table posts pending changes through the rules.
    void moveWithRefusedPost() {
        DataboxFixture f;
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 180);
        QVERIFY(
            f.addRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("1:00")));
        QSignalSpy focus(f.box.get(), &TDataBox::focusBaandnavnEdit);
        f.startRecording(QStringLiteral("T1"), QStringLiteral("0:30"), QStringLiteral("1:00"));
        QVERIFY_THROWS_EXCEPTION(engine::Abort, f.video().first());
        QCOMPARE(focus.count(), 1);
        QCOMPARE(f.video().state(), engine::DatasetState::Insert);
        QCOMPARE(f.messages.texts(), QStringList{kOverlap});
        f.video().fieldByName(QStringLiteral("Starttid")).setText(QStringLiteral("1:00"));
        f.video().first();
        QCOMPARE(f.video().recordCount(), 2);
    }

    // The literal test and the one the filter uses agree on any text.
    void castFilterMatchesLiteralTest_data() {
        QTest::addColumn<QString>("list");
        QTest::newRow("empty") << "";
        QTest::newRow("one") << "*12*";
        QTest::newRow("two") << "*5**112*";
        QTest::newRow("no asterisks") << "12";
        QTest::newRow("single stars") << "*1*2*";
        QTest::newRow("leading zero") << "*05*";
        QTest::newRow("letters") << "*abc**7*";
        QTest::newRow("stars only") << "***";
        QTest::newRow("negative") << "*-1*";
        QTest::newRow("open end") << "*3**4";
    }
    void castFilterMatchesLiteralTest() {
        QFETCH(QString, list);
        CastFilter filter;
        filter.setList(list);
        for (qint64 id = 0; id <= 200; ++id)
            QCOMPARE(filter.accepts(id), CastFilter::acceptsLiterally(list, id));
        filter.setList(QStringLiteral("*199*"));
        QVERIFY(filter.accepts(199));
    }

    void castFilterRandomLists() {
        QRandomGenerator random(4711);
        const QString alphabet = QStringLiteral("*0123456789*a");
        CastFilter filter;
        for (int round = 0; round < 2000; ++round) {
            QString list;
            const int length = int(random.bounded(20));
            for (int i = 0; i < length; ++i)
                list += alphabet.at(int(random.bounded(alphabet.size())));
            filter.setList(list);
            for (qint64 id = 0; id < 120; ++id) {
                if (filter.accepts(id) != CastFilter::acceptsLiterally(list, id))
                    QFAIL(qPrintable(QStringLiteral("%1 in %2").arg(id).arg(list)));
            }
        }
    }

    void castOfCurrentRecording_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<Ids>("shown"); // in last-name order
        QTest::newRow("5 and 112") << "*5**112*" << Ids{112, 5};
        QTest::newRow("12 is not 112") << "*112*" << Ids{112};
        QTest::newRow("12") << "*12*" << Ids{12};
        QTest::newRow("empty") << "" << Ids{};
        QTest::newRow("unknown actor") << "*500*" << Ids{};
        QTest::newRow("newest first") << "*11**1**12*" << Ids{12, 11, 1};
    }
    void castOfCurrentRecording() {
        QFETCH(QString, list);
        QFETCH(Ids, shown);
        DataboxFixture f;
        QVERIFY(f.catalogue.isValid());
        addActors(f.catalogue, 112);
        f.box.reset();
        f.box = std::make_unique<TDataBox>(f.catalogue.session(), f.programDir());
        QVERIFY(f.ok());
        QCOMPARE(castShown(*f.box), Ids{}); // no current recording
        f.addTape(QStringLiteral("T1"), 180);
        f.startRecording(QStringLiteral("T1"), QStringLiteral("0:00"), QStringLiteral("1:00"));
        QCOMPARE(castShown(*f.box), Ids{});
        // The unposted cast list counts at once.
        f.video().fieldByName(QStringLiteral("SkuespillereListe")).setAsString(list);
        QCOMPARE(castShown(*f.box), shown);
        QVERIFY(f.post());
        QCOMPARE(castShown(*f.box), shown);
    }

    void castFollowsTheCurrentRecording() {
        DataboxFixture f;
        QVERIFY(f.catalogue.isValid());
        addActors(f.catalogue, 20);
        f.box.reset();
        f.box = std::make_unique<TDataBox>(f.catalogue.session(), f.programDir());
        QVERIFY(f.ok());
        f.addTape(QStringLiteral("T1"), 600);
        struct Recording {
            QString start, cast;
        };
        for (const Recording& r : {Recording{"0:00", "*3**1*"}, Recording{"1:00", "*2*"},
                                   Recording{"2:00", ""}, Recording{"3:00", "*2*"}}) {
            f.startRecording(QStringLiteral("T1"), r.start, QStringLiteral("1:00"));
            f.video().fieldByName(QStringLiteral("SkuespillereListe")).setAsString(r.cast);
            QVERIFY(f.post());
        }
        f.video().first();
        QCOMPARE(castShown(*f.box), (Ids{3, 1}));
        f.video().next();
        QCOMPARE(castShown(*f.box), Ids{2});
        f.video().next();
        QCOMPARE(castShown(*f.box), Ids{});
        f.video().prior();
        QCOMPARE(castShown(*f.box), Ids{2});

        // An actor added elsewhere shows up at the next move, even between two recordings
        // with the same cast.
        const qint64 added = f.catalogue.appendRow(
            schema::actors(), {{QStringLiteral("Efternavn"), QStringLiteral("A")}});
        f.video().edit();
        f.video()
            .fieldByName(QStringLiteral("SkuespillereListe"))
            .setAsString(QStringLiteral("*2**%1*").arg(added));
        QVERIFY(f.post());
        f.video().last();
        f.video().edit();
        f.video()
            .fieldByName(QStringLiteral("SkuespillereListe"))
            .setAsString(QStringLiteral("*2**%1*").arg(added));
        QVERIFY(f.post());
        QCOMPARE(castShown(*f.box), (Ids{added, 2}));
        auto actors = f.catalogue.openTable(schema::actors());
        QVERIFY(actors->locate(QStringLiteral("SkuespillerAutoInc"), added, false));
        actors->edit();
        actors->fieldByName(QStringLiteral("Efternavn")).setAsString(QStringLiteral("Z"));
        actors->post();
        f.video().setRecNo(2);
        QCOMPARE(castShown(*f.box), (Ids{2, added}));
    }
};

QTEST_MAIN(TableRulesTest)
#include "tst_table_rules.moc"

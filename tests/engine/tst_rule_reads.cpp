// A post reads what its rule reads and writes its row in one transaction. Whatever the
// rule does meanwhile, every change is on disk when the call that made it returns, and
// a change by another program between the rule's reads and the write does not refuse it.

#include "engine/collation.h"
#include "engine/database.h"
#include "engine_fixture.h"

#include <functional>
#include <sqlite3.h>

using namespace engine;
using fixture::Catalogue;

namespace {

// Another program writing one table file of the catalogue through SQLite.
void writeAsAnotherProgram(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    QCOMPARE(
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    registerSqlFunctions(db);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
    QCOMPARE(rc, SQLITE_OK);
}

QStringList onDisk(const Catalogue& catalogue, const TableDef& def, const char* field) {
    auto session = catalogue.newSession();
    Table table(*session);
    table.setAliasName(fixture::kAlias);
    table.setTableName(def.fileName);
    table.open();
    return fixture::column(table, QString::fromUtf8(field));
}

} // namespace

class TestRuleReads : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void postWithRule_data();
    void postWithRule();
    void detailRowsFollowTheFile_data();
    void detailRowsFollowTheFile();
};

void TestRuleReads::postWithRule_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("refuses");
    QTest::addColumn<QStringList>("recordings"); // titles on disk afterwards
    QTest::addColumn<QStringList>("tapes");      // tape names on disk afterwards
    QTest::newRow("reads only") << "read" << false << QStringList{"A", "New"} << QStringList{"T1"};
    QTest::newRow("posts a tape, then lets the post go on")
        << "post tape" << false << QStringList{"A", "New"} << QStringList{"T1", "T2"};
    QTest::newRow("posts a tape, then refuses")
        << "post tape" << true << QStringList{"A"} << QStringList{"T1", "T2"};
    QTest::newRow("another program adds a recording after the rule read")
        << "other program" << false << QStringList{"A", "New", "Other"} << QStringList{"T1"};
    QTest::newRow("opens a table not opened before")
        << "open table" << false << QStringList{"A", "New"} << QStringList{"T1"};
}

void TestRuleReads::postWithRule() {
    QFETCH(QString, rule);
    QFETCH(bool, refuses);
    QFETCH(QStringList, recordings);
    QFETCH(QStringList, tapes);
    Catalogue cat;
    auto tapeTable = cat.open(fixture::tapes());
    fixture::appendRow(*tapeTable, {{"BaandNavn", "T1"}, {"Baandlaengde", 180}});
    auto videos = cat.open(fixture::recordings(), QStringLiteral("SecBaandnrStarttid"));
    fixture::addRecording(*videos, QStringLiteral("T1"), 0, QStringLiteral("A"));

    QStringList tapesAfterRule;
    videos->beforePost = [&](Table&) {
        // The rule reads, as the tape-time check does: the tape, and its recordings.
        QVERIFY(tapeTable->locate(QStringLiteral("BaandNavn"), QStringLiteral("t1"), true));
        auto others = cat.open(fixture::recordings(), QStringLiteral("SecBaandnrStarttid"));
        QCOMPARE(fixture::column(*others, QStringLiteral("Titel1")).size(), 1);
        if (rule == u"post tape") {
            fixture::appendRow(*tapeTable, {{"BaandNavn", "T2"}, {"Baandlaengde", 240}});
            tapesAfterRule = onDisk(cat, fixture::tapes(), "BaandNavn");
        } else if (rule == u"other program") {
            writeAsAnotherProgram(cat.dataDir() + QStringLiteral("/Spolebox.DB"),
                                  "INSERT INTO Spolebox (Titel1, Baandnummer) VALUES "
                                  "('Other', 'T1')");
        } else if (rule == u"open table") {
            auto groups = cat.open(schema::groups());
            QVERIFY(groups->isActive());
        }
        if (refuses)
            engine::abort();
    };
    videos->append();
    fixture::setValues(*videos,
                       {{"Baandnummer", "T1"}, {"Starttid", 60 / 1440.0}, {"Titel1", "New"}});
    try {
        videos->post();
        QVERIFY(!refuses);
    } catch (const Abort&) {
        QVERIFY(refuses);
        videos->cancel();
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message() + u' ' + e.detail()));
    }
    if (rule == u"post tape") // on disk when its post returned, before the rule ended
        QCOMPARE(tapesAfterRule, (QStringList{"T1", "T2"}));
    QStringList titles = onDisk(cat, fixture::recordings(), "Titel1");
    titles.sort();
    QCOMPARE(titles, recordings);
    QCOMPARE(onDisk(cat, fixture::tapes(), "BaandNavn"), tapes);
    // The table goes on reading and writing as before.
    videos->beforePost = nullptr;
    fixture::addRecording(*videos, QStringLiteral("T1"), 120, QStringLiteral("Later"));
    QCOMPARE(onDisk(cat, fixture::recordings(), "Titel1").size(), recordings.size() + 1);
}

// A detail reads its rows with their keys; an edit still starts from the row as the file
// holds it, whoever changed it since.
void TestRuleReads::detailRowsFollowTheFile_data() {
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("titleInEdit"); // empty: the edit is refused
    QTest::newRow("changed by another program") << "UPDATE Spolebox SET Titel1 = 'Changed' "
                                                   "WHERE Titel1 = 'B'"
                                                << "Changed";
    QTest::newRow("deleted by another program") << "DELETE FROM Spolebox WHERE Titel1 = 'B'"
                                                << "";
}

void TestRuleReads::detailRowsFollowTheFile() {
    QFETCH(QString, elsewhere);
    QFETCH(QString, titleInEdit);
    Catalogue cat;
    auto tapes = cat.open(fixture::tapes());
    fixture::appendRow(*tapes, {{"BaandNavn", "T1"}, {"Baandlaengde", 180}});
    auto videos = cat.open(fixture::recordings(), QStringLiteral("SecBaandnrStarttid"));
    for (const char* title : {"A", "B", "C"})
        fixture::addRecording(*videos, QStringLiteral("T1"), int(videos->recordCount()) * 30,
                              QString::fromUtf8(title));
    Table detail(cat.session());
    detail.setAliasName(fixture::kAlias);
    detail.setTableName(fixture::recordings().fileName);
    detail.setIndexName(QStringLiteral("SecBaandnrStarttid"));
    detail.setFieldDefs(schema::fieldsOf(fixture::recordings(),
                                         {QStringLiteral("Titel1"), QStringLiteral("Starttid")}));
    detail.setMasterLink(tapes.get(), QStringLiteral("BaandNavn"));
    detail.open();
    QCOMPARE(fixture::column(detail, QStringLiteral("Titel1")), (QStringList{"A", "B", "C"}));

    writeAsAnotherProgram(cat.dataDir() + QStringLiteral("/Spolebox.DB"),
                          elsewhere.toUtf8().constData());
    detail.setRecNo(2);
    if (titleInEdit.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(Error, detail.edit());
        QCOMPARE(fixture::column(detail, QStringLiteral("Titel1")), (QStringList{"A", "C"}));
        return;
    }
    detail.edit();
    QCOMPARE(detail.fieldByName(QStringLiteral("Titel1")).asString(), titleInEdit);
    detail.fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Mine"));
    detail.post();
    QCOMPARE(fixture::column(detail, QStringLiteral("Titel1")), (QStringList{"A", "Mine", "C"}));
    QCOMPARE(onDisk(cat, fixture::recordings(), "Titel1"), (QStringList{"A", "Mine", "C"}));
}

QTEST_GUILESS_MAIN(TestRuleReads)
#include "tst_rule_reads.moc"

// A catalogue another program holds, or whose table files may not be written: the user is
// told in Danish what happened and what to do, the technical text stays with the error, and
// nothing typed is lost.

#include "engine/collation.h"
#include "engine/database.h"
#include "engine_fixture.h"
#include "ordinary_user.h"

#include <QDir>
#include <functional>
#include <sqlite3.h>

using namespace engine;
using fixture::Catalogue;

namespace {

const QString kLocked = QStringLiteral("Kataloget er låst af et andet program. Prøv igen om lidt.");

// Another program with one table file of the catalogue open through SQLite.
class OtherProgram {
public:
    explicit OtherProgram(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        registerSqlFunctions(m_db);
    }
    ~OtherProgram() { sqlite3_close_v2(m_db); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool exec(const char* sql) {
        return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    sqlite3* m_db = nullptr;
};

void addTape(Table& tapes, const char* name, int length) {
    fixture::appendRow(tapes, {{"BaandNavn", name}, {"Baandlaengde", length}});
}

QStringList tapesOnDisk(const Catalogue& catalogue) {
    auto session = catalogue.newSession();
    Table table(*session);
    table.setAliasName(fixture::kAlias);
    table.setTableName(fixture::tapes().fileName);
    table.open();
    QStringList rows;
    for (table.first(); !table.eof(); table.next())
        rows << table.fieldByName(QStringLiteral("BaandNavn")).asString() + u'/' +
                    table.fieldByName(QStringLiteral("Baandlaengde")).asString();
    return rows;
}

// The change each case makes to a table of tapes A1/180 and B1/240, and what it leaves.
struct Change {
    std::function<void(Table&)> start; // begins the change (or the reading) on the table
    std::function<void(Table&)> finish;
    QStringList after; // the tapes on disk once it went through
};

Change changeNamed(const QString& name) {
    const auto noStart = [](Table&) {};
    if (name == u"edit")
        return Change{[](Table& t) {
                          t.first();
                          t.edit();
                          t.fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(200);
                      },
                      [](Table& t) { t.post(); }, QStringList{"A1/200", "B1/240"}};
    if (name == u"insert")
        return Change{[](Table& t) {
                          t.append();
                          t.fieldByName(QStringLiteral("BaandNavn")).setAsString("C1");
                          t.fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(300);
                      },
                      [](Table& t) { t.post(); }, QStringList{"A1/180", "B1/240", "C1/300"}};
    if (name == u"delete")
        return Change{[](Table& t) { t.last(); }, [](Table& t) { t.deleteRecord(); },
                      QStringList{"A1/180"}};
    return Change{noStart, [](Table& t) { t.refresh(); }, QStringList{"A1/180", "B1/240"}};
}

} // namespace

class TestCatalogueAccess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lockedByAnotherProgram_data();
    void lockedByAnotherProgram();
    void openedWhileHeldAlone();
    void readOnlyTableFile_data();
    void readOnlyTableFile();
};

void TestCatalogueAccess::lockedByAnotherProgram_data() {
    QTest::addColumn<QString>("change");
    QTest::newRow("post an edit") << "edit";
    QTest::newRow("post a new row") << "insert";
    QTest::newRow("delete") << "delete";
}

void TestCatalogueAccess::lockedByAnotherProgram() {
    QFETCH(QString, change);
    Catalogue cat;
    auto tapes = cat.open(fixture::tapes());
    addTape(*tapes, "A1", 180);
    addTape(*tapes, "B1", 240);
    const Change todo = changeNamed(change);
    todo.start(*tapes);
    const auto typed = [&] {
        return tapes->isEditing() ? tapes->fieldByName("BaandNavn").asString() + u'/' +
                                        tapes->fieldByName("Baandlaengde").asString()
                                  : QString();
    };
    const QString typedBefore = typed();

    auto other = std::make_unique<OtherProgram>(cat.dataDir() + QStringLiteral("/Bånd.db"));
    QVERIFY(other->exec("BEGIN IMMEDIATE"));
    try {
        todo.finish(*tapes);
        QFAIL("went through while the other program wrote to the table");
    } catch (const Error& e) {
        QCOMPARE(e.message(), kLocked);
        QVERIFY2(e.detail().contains(QStringLiteral("locked")), qPrintable(e.detail()));
    }
    // Nothing typed is lost, and it goes through once the other program lets go.
    QCOMPARE(typed(), typedBefore);
    other.reset();
    todo.finish(*tapes);
    QCOMPARE(tapesOnDisk(cat), todo.after);
}

// A program that keeps a table file to itself keeps even readers out.
void TestCatalogueAccess::openedWhileHeldAlone() {
    Catalogue cat;
    auto other = std::make_unique<OtherProgram>(cat.dataDir() + QStringLiteral("/Bånd.db"));
    QVERIFY(other->exec("PRAGMA locking_mode = EXCLUSIVE") && other->exec("BEGIN EXCLUSIVE") &&
            other->exec("INSERT INTO \"Bånd\" VALUES ('A1', 180)"));
    try {
        cat.open(fixture::tapes());
        QFAIL("opened while the other program held the table");
    } catch (const Error& e) {
        QCOMPARE(e.message(), kLocked);
        QVERIFY2(e.detail().contains(QStringLiteral("locked")), qPrintable(e.detail()));
    }
    QVERIFY(other->exec("COMMIT"));
    other.reset();
    QCOMPARE(fixture::column(*cat.open(fixture::tapes()), QStringLiteral("BaandNavn")),
             QStringList{"A1"});
}

void TestCatalogueAccess::readOnlyTableFile_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("openedBefore"); // the table file has been opened by the program
    QTest::newRow("post an edit") << "edit" << true;
    QTest::newRow("post a new row") << "insert" << true;
    QTest::newRow("delete") << "delete" << true;
    QTest::newRow("post an edit, file never opened before") << "edit" << false;
    QTest::newRow("read again") << "refresh" << true;
}

void TestCatalogueAccess::readOnlyTableFile() {
    QFETCH(QString, change);
    QFETCH(bool, openedBefore);
    Catalogue cat;
    const QString path = cat.dataDir() + QStringLiteral("/Bånd.db");
    {
        OtherProgram writer(path);
        QVERIFY(writer.exec("INSERT INTO \"Bånd\" VALUES ('A1', 180), ('B1', 240)"));
    }
    if (openedBefore)
        QCOMPARE(tapesOnDisk(cat), (QStringList{"A1/180", "B1/240"}));
    QVERIFY(makeReadOnly(path));

    AsOrdinaryUser user(cat.dataDir());
    QVERIFY2(user.permissionsHold(), "no ordinary user to run as");
    auto session = cat.newSession();
    std::shared_ptr<Database> database = session->database(fixture::kAlias);
    QVERIFY(database->table(QStringLiteral("Bånd.db")).readOnly);
    QVERIFY(!database->table(QStringLiteral("Kategori.db")).readOnly);

    auto tapes = cat.open(fixture::tapes(), {}, session.get());
    const Change todo = changeNamed(change);
    todo.start(*tapes);
    const bool changing = tapes->isEditing() || change == u"delete";
    try {
        todo.finish(*tapes);
        QVERIFY2(!changing, "a change went through to a read-only file");
    } catch (const Error& e) {
        QVERIFY(changing);
        QVERIFY2(e.message().contains(QStringLiteral("\"Bånd.db\" er skrivebeskyttet")),
                 qPrintable(e.message()));
        QVERIFY2(!e.detail().isEmpty(), "no technical text");
    }
    QCOMPARE(tapesOnDisk(cat), (QStringList{"A1/180", "B1/240"}));
    QCOMPARE(tapes->isEditing(), change == u"edit" || change == u"insert");
}

QTEST_GUILESS_MAIN(TestCatalogueAccess)
#include "tst_catalogue_access.moc"

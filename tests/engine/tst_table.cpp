// Tables of a real catalogue: opening, the cursor, index order, bookmarks, refresh, locate,
// changes with their handlers, auto-increment numbers, master links, filters, notices.

#include "engine/collation.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/table.h"
#include "engine_fixture.h"

#include <QFile>
#include <QTest>
#include <sqlite3.h>

using engine::ChangeKind;
using engine::DatasetState;
using engine::Table;
using fixture::addRecording;
using fixture::appendRow;
using fixture::Catalogue;

namespace {

// Rows of a table as another program sees them on disk: a fresh session, read afresh.
int rowsOnDisk(const Catalogue& catalogue, const engine::TableDef& def) {
    auto session = catalogue.newSession();
    Table table(*session);
    table.setAliasName(fixture::kAlias);
    table.setTableName(def.fileName);
    table.open();
    return table.recordCount();
}

QStringList columnOnDisk(const Catalogue& catalogue, const engine::TableDef& def,
                         const QString& index, const QString& fieldName) {
    auto session = catalogue.newSession();
    Table table(*session);
    table.setAliasName(fixture::kAlias);
    table.setTableName(def.fileName);
    table.setIndexName(index);
    table.open();
    return fixture::column(table, fieldName);
}

QString title(const Table& table) {
    return table.fieldByName(QStringLiteral("Titel1")).asString();
}

const QString kRecIndex = QStringLiteral("SecBaandnrStarttid");

} // namespace

class TestTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase();
    void emptyTableCursor();
    void cursorMoves();
    void indexOrder();
    void tableWithoutIndexKeepsEntryOrder();
    void keyChangeMovesRow_data();
    void keyChangeMovesRow();
    void editOfRowDeletedElsewhere_data();
    void editOfRowDeletedElsewhere();
    void postOfRowDeletedElsewhere_data();
    void postOfRowDeletedElsewhere();
    void refusedCommitLeavesTableUsable();
    void bookmarks();
    void refreshSeesOtherTablesRows_data();
    void refreshSeesOtherTablesRows();
    void locate_data();
    void locate();
    void locateEndsPendingEdit_data();
    void locateEndsPendingEdit();
    void locateWithRefusedPostKeepsInput();
    void editPostCancel();
    void insertAppendDelete();
    void refusedPostWritesNothing_data();
    void refusedPostWritesNothing();
    void refusedDeleteKeepsRow();
    void afterHandlers();
    void handlersMayChangeTheRow();
    void autoIncrementNeverReused();
    void masterLink();
    void filterExpression_data();
    void filterExpression();
    void filteredRowLeavesViewAfterPost();
    void filterCallback();
    void editOfOtherFieldsKeepsPlace_data();
    void editOfOtherFieldsKeepsPlace();
    void changeNotices();
    void openFails_data();
    void openFails();
    void tableFileFoundRegardlessOfCase_data();
    void tableFileFoundRegardlessOfCase();

private:
    std::unique_ptr<Catalogue> m_locateCatalogue;
    std::unique_ptr<Table> m_locateTable;
};

void TestTable::cleanupTestCase() {
    m_locateTable.reset();
    m_locateCatalogue.reset();
}

void TestTable::emptyTableCursor() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(t->recordCount(), 0);
    QVERIFY(t->isEmpty());
    QVERIFY(t->eof());
    QVERIFY(t->bof());
    QCOMPARE(t->recNo(), 0);
    t->next();
    t->prior();
    t->last();
    QVERIFY(t->eof() && t->bof());
    QCOMPARE(t->bookmark(), engine::Bookmark(0));
    QVERIFY(t->fieldByName(QStringLiteral("Titel1")).isNull());
}

void TestTable::cursorMoves() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    for (int i = 1; i <= 5; ++i)
        addRecording(*t, QStringLiteral("A"), i * 10, QStringLiteral("T%1").arg(i));
    QCOMPARE(t->recordCount(), 5);

    t->first();
    QCOMPARE(t->recNo(), 1);
    QVERIFY(t->bof());
    QVERIFY(!t->eof());
    QCOMPARE(title(*t), QStringLiteral("T1"));

    for (int i = 2; i <= 5; ++i) {
        t->next();
        QCOMPARE(t->recNo(), i);
        QVERIFY(!t->eof());
        QVERIFY(!t->bof());
    }
    QCOMPARE(title(*t), QStringLiteral("T5"));
    t->next(); // past the end: stays on the last row
    QVERIFY(t->eof());
    QCOMPARE(t->recNo(), 5);
    QCOMPARE(title(*t), QStringLiteral("T5"));

    t->prior();
    QVERIFY(!t->eof());
    QCOMPARE(t->recNo(), 4);
    QCOMPARE(title(*t), QStringLiteral("T4"));

    t->first();
    t->prior(); // before the start: stays on the first row
    QVERIFY(t->bof());
    QCOMPARE(t->recNo(), 1);

    t->last();
    QVERIFY(t->eof());
    QVERIFY(!t->bof());
    QCOMPARE(t->recNo(), 5);

    t->setRecNo(3);
    QCOMPARE(t->recNo(), 3);
    QCOMPARE(title(*t), QStringLiteral("T3"));
    QVERIFY(!t->eof() && !t->bof());
}

void TestTable::indexOrder() {
    // Text in Danish order without regard to case (Æ, Ø, Å after Z), then the start time.
    Catalogue cat;
    const QStringList expected = {
        QStringLiteral("a10"), QStringLiteral("A30"), QStringLiteral("B1"), QStringLiteral("b5"),
        QStringLiteral("z1"),  QStringLiteral("Æ1"),  QStringLiteral("ø1"), QStringLiteral("Å1")};
    {
        auto t = cat.open(fixture::recordings(), kRecIndex);
        addRecording(*t, QStringLiteral("b"), 5, QStringLiteral("b5"));
        addRecording(*t, QStringLiteral("A"), 30, QStringLiteral("A30"));
        addRecording(*t, QStringLiteral("Å"), 1, QStringLiteral("Å1"));
        addRecording(*t, QStringLiteral("Æ"), 1, QStringLiteral("Æ1"));
        addRecording(*t, QStringLiteral("ø"), 1, QStringLiteral("ø1"));
        addRecording(*t, QStringLiteral("z"), 1, QStringLiteral("z1"));
        addRecording(*t, QStringLiteral("a"), 10, QStringLiteral("a10"));
        addRecording(*t, QStringLiteral("B"), 1, QStringLiteral("B1"));
        // The order kept while posting...
        QCOMPARE(fixture::column(*t, QStringLiteral("Titel1")), expected);
    }
    // ...is the order read from the file.
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel1")),
             expected);
}

void TestTable::tableWithoutIndexKeepsEntryOrder() {
    Catalogue cat;
    auto t = cat.open(fixture::categories());
    const QStringList names = {QStringLiteral("Western"), QStringLiteral("Action"),
                               QStringLiteral("Drama")};
    for (const QString& name : names)
        appendRow(*t, {{"Kategori", name}});
    QCOMPARE(fixture::column(*t, QStringLiteral("Kategori")), names);
    QCOMPARE(columnOnDisk(cat, fixture::categories(), {}, QStringLiteral("Kategori")), names);
}

void TestTable::keyChangeMovesRow_data() {
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("tape");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("recNo");

    QTest::newRow("later start") << "A10"
                                 << "A" << 25 << QStringList{"A20", "A10", "A30", "B10"} << 2;
    QTest::newRow("to the end") << "A10"
                                << "C" << 0 << QStringList{"A20", "A30", "B10", "A10"} << 4;
    QTest::newRow("to the start") << "B10"
                                  << "a" << 0 << QStringList{"B10", "A10", "A20", "A30"} << 1;
    QTest::newRow("no tape: first") << "B10"
                                    << "" << 50 << QStringList{"B10", "A10", "A20", "A30"} << 1;
    QTest::newRow("equal key: by entry")
        << "A30"
        << "a" << 20 << QStringList{"A10", "A20", "A30", "B10"} << 3;
}

void TestTable::keyChangeMovesRow() {
    QFETCH(QString, row);
    QFETCH(QString, tape);
    QFETCH(int, start);
    QFETCH(QStringList, order);
    QFETCH(int, recNo);

    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 10, QStringLiteral("A10"));
    addRecording(*t, QStringLiteral("A"), 20, QStringLiteral("A20"));
    addRecording(*t, QStringLiteral("A"), 30, QStringLiteral("A30"));
    addRecording(*t, QStringLiteral("B"), 10, QStringLiteral("B10"));

    QVERIFY(t->locate(QStringLiteral("Titel1"), row, false));
    t->edit();
    t->fieldByName(QStringLiteral("Baandnummer")).setValue(tape);
    t->fieldByName(QStringLiteral("Starttid")).setValue(start / 1440.0);
    t->post();
    QCOMPARE(title(*t), row); // the posted row stays current, at its new place
    QCOMPARE(t->recNo(), recNo);
    QCOMPARE(fixture::column(*t, QStringLiteral("Titel1")), order);
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel1")), order);
}

void TestTable::editOfRowDeletedElsewhere_data() {
    QTest::addColumn<bool>("otherSession");
    QTest::newRow("same catalogue connection") << false;
    QTest::newRow("another connection") << true;
}

void TestTable::editOfRowDeletedElsewhere() {
    // Editing a row that another dataset deleted must not edit its neighbour instead.
    QFETCH(bool, otherSession);
    Catalogue cat;
    auto session2 = cat.newSession();
    auto t = cat.open(fixture::recordings(), kRecIndex);
    for (int i = 1; i <= 3; ++i)
        addRecording(*t, QStringLiteral("A"), i, QStringLiteral("T%1").arg(i));
    t->setRecNo(2);
    auto other =
        cat.open(fixture::recordings(), kRecIndex, otherSession ? session2.get() : nullptr);
    QVERIFY(other->locate(QStringLiteral("Titel1"), QStringLiteral("T2"), false));
    other->deleteRecord();

    QVERIFY_THROWS_EXCEPTION(engine::Error, t->edit());
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(t->recordCount(), 2);
    QVERIFY(title(*t) != QStringLiteral("T2"));
    QCOMPARE(fixture::column(*t, QStringLiteral("Titel1")), (QStringList{"T1", "T3"}));
}

void TestTable::postOfRowDeletedElsewhere_data() {
    QTest::addColumn<bool>("otherSession");
    QTest::newRow("same catalogue connection") << false;
    QTest::newRow("another connection") << true;
}

void TestTable::postOfRowDeletedElsewhere() {
    // The row vanished between edit and post: the post fails and keeps the input.
    QFETCH(bool, otherSession);
    Catalogue cat;
    auto session2 = cat.newSession();
    auto t = cat.open(fixture::recordings(), kRecIndex);
    for (int i = 1; i <= 3; ++i)
        addRecording(*t, QStringLiteral("A"), i, QStringLiteral("T%1").arg(i));
    t->setRecNo(2);
    t->edit();
    t->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("input"));
    {
        auto other =
            cat.open(fixture::recordings(), kRecIndex, otherSession ? session2.get() : nullptr);
        QVERIFY(other->locate(QStringLiteral("Titel1"), QStringLiteral("T2"), false));
        other->deleteRecord();
    }

    int afterPostCalls = 0;
    t->afterPost = [&](Table&) { ++afterPostCalls; };
    QVERIFY_THROWS_EXCEPTION(engine::Error, t->post());
    QCOMPARE(afterPostCalls, 0);
    QCOMPARE(t->state(), DatasetState::Edit);
    QCOMPARE(t->fieldByName(QStringLiteral("Titel2")).asString(), QStringLiteral("input"));
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel2")),
             (QStringList{QString(), QString()}));

    t->cancel();
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(fixture::column(*t, QStringLiteral("Titel1")), (QStringList{"T1", "T3"}));
}

void TestTable::refusedCommitLeavesTableUsable() {
    // Where the file system gives no write-ahead log, a reader can make COMMIT fail
    // (busy). The post fails with the input kept, and a later post must work.
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 1, QStringLiteral("One"));
    auto db = cat.session().database(fixture::kAlias);
    const engine::StoredTable& stored = db->table(fixture::recordings().fileName);
    db->execute(QStringLiteral("PRAGMA %1.journal_mode = DELETE").arg(stored.schema));
    sqlite3_busy_timeout(db->handle(), 50);

    sqlite3* reader = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(stored.filePath).constData(), &reader), SQLITE_OK);
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> readerGuard(reader, sqlite3_close);
    engine::registerSqlFunctions(reader);
    QCOMPARE(
        sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Spolebox;", nullptr, nullptr, nullptr),
        SQLITE_OK); // holds its read lock until it ends

    t->edit();
    t->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("input"));
    QVERIFY_THROWS_EXCEPTION(engine::Error, t->post());
    QCOMPARE(t->state(), DatasetState::Edit);
    QCOMPARE(t->fieldByName(QStringLiteral("Titel2")).asString(), QStringLiteral("input"));

    QCOMPARE(sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    t->post(); // the reader is gone: the same post goes through
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel2")),
             QStringList{QStringLiteral("input")});
}

void TestTable::bookmarks() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    for (int i = 1; i <= 4; ++i)
        addRecording(*t, QStringLiteral("A"), i, QStringLiteral("T%1").arg(i));
    t->setRecNo(3);
    const engine::Bookmark mark = t->bookmark();
    QVERIFY(mark != 0);
    QVERIFY(t->bookmarkValid(mark));
    t->first();
    // A row added before it does not spoil the bookmark.
    addRecording(*t, QStringLiteral("A"), 0, QStringLiteral("T0"));
    t->gotoBookmark(mark);
    QCOMPARE(title(*t), QStringLiteral("T3"));
    QCOMPARE(t->recNo(), 4);

    t->insert();
    QCOMPARE(t->bookmark(), engine::Bookmark(0)); // a new row has none yet
    t->cancel();

    t->gotoBookmark(mark);
    t->deleteRecord();
    QVERIFY(!t->bookmarkValid(mark));
    QVERIFY_THROWS_EXCEPTION(engine::Error, t->gotoBookmark(mark));
}

void TestTable::refreshSeesOtherTablesRows_data() {
    QTest::addColumn<bool>("otherSession");
    QTest::newRow("same catalogue connection") << false;
    QTest::newRow("another connection") << true;
}

void TestTable::refreshSeesOtherTablesRows() {
    QFETCH(bool, otherSession);
    Catalogue cat;
    auto session2 = cat.newSession();
    auto mine = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*mine, QStringLiteral("B"), 10, QStringLiteral("Mine"));
    addRecording(*mine, QStringLiteral("C"), 10, QStringLiteral("Gone"));
    mine->first();

    auto other =
        cat.open(fixture::recordings(), kRecIndex, otherSession ? session2.get() : nullptr);
    QCOMPARE(other->recordCount(), 2);
    addRecording(*other, QStringLiteral("A"), 10, QStringLiteral("Theirs"));
    QVERIFY(other->locate(QStringLiteral("Titel1"), QStringLiteral("Mine"), false));
    other->edit();
    other->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("changed"));
    other->post();
    QVERIFY(other->locate(QStringLiteral("Titel1"), QStringLiteral("Gone"), false));
    other->deleteRecord();

    mine->refresh();
    QCOMPARE(mine->recordCount(), 2);
    QCOMPARE(title(*mine), QStringLiteral("Mine")); // still on its row, now the second
    QCOMPARE(mine->recNo(), 2);
    QCOMPARE(mine->fieldByName(QStringLiteral("Titel2")).asString(), QStringLiteral("changed"));
    QCOMPARE(fixture::column(*mine, QStringLiteral("Titel1")),
             (QStringList{QStringLiteral("Theirs"), QStringLiteral("Mine")}));
}

void TestTable::locate_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("caseInsensitive");
    QTest::addColumn<QString>("expected"); // title@tape of the row found; empty: not found

    QTest::newRow("text exact") << "Titel1" << QVariant("Brazil") << false << "Brazil@A";
    QTest::newRow("text other case, case counts") << "Titel1" << QVariant("brazil") << false << "";
    QTest::newRow("text other case, ignoring case")
        << "Titel1" << QVariant("bRAZIL") << true << "Brazil@A";
    QTest::newRow("first match in index order")
        << "Titel1" << QVariant("alien") << true << "Alien@A";
    QTest::newRow("exact capitals") << "Titel1" << QVariant("ALIEN") << false << "ALIEN@c";
    QTest::newRow("Danish letters ignoring case")
        << "Titel1" << QVariant("ÆRØ Å") << true << "Ærø å@d";
    QTest::newRow("first in dataset order, not entry order")
        << "Titel1" << QVariant("Casablanca") << false << "Casablanca@0";
    QTest::newRow("not found") << "Titel1" << QVariant("Dune") << true << "";
    QTest::newRow("part of a text is no match") << "Titel1" << QVariant("Ali") << true << "";
    QTest::newRow("field name in other case")
        << "titel1" << QVariant("Brazil") << false << "Brazil@A";
    QTest::newRow("number") << "Indexnummer" << QVariant(42) << false << "Brazil@A";
    QTest::newRow("number as text") << "Indexnummer" << QVariant("42") << true << "Brazil@A";
    QTest::newRow("number as text not a number") << "Indexnummer" << QVariant("abc") << true << "";
    QTest::newRow("number out of range") << "Indexnummer" << QVariant(100000) << false << "";
    QTest::newRow("auto-increment") << "VideoAutoInc" << QVariant(3) << false << "Casablanca@B";
    QTest::newRow("auto-increment as text")
        << "VideoAutoInc" << QVariant("3") << false << "Casablanca@B";
    QTest::newRow("auto-increment missing") << "VideoAutoInc" << QVariant(99) << false << "";
    QTest::newRow("tape ignoring case") << "Baandnummer" << QVariant("C") << true << "ALIEN@c";
    QTest::newRow("time") << "Starttid" << QVariant(20 / 1440.0) << false << "Brazil@A";
    QTest::newRow("time as text") << "Starttid" << QVariant("0:20") << false << "Brazil@A";
}

void TestTable::locate() {
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, caseInsensitive);
    QFETCH(QString, expected);

    // The rows are only read here: one catalogue serves every case.
    if (!m_locateTable) {
        m_locateCatalogue = std::make_unique<Catalogue>();
        m_locateTable = m_locateCatalogue->open(fixture::recordings(), kRecIndex);
        auto add = [&](const char* tape, int start, const char* name, int index) {
            fixture::appendRow(*m_locateTable, {{"Baandnummer", QString::fromUtf8(tape)},
                                                {"Starttid", start / 1440.0},
                                                {"Titel1", QString::fromUtf8(name)},
                                                {"Indexnummer", index}});
        };
        add("A", 10, "Alien", 7);
        add("A", 20, "Brazil", 42);
        add("B", 5, "Casablanca", 42);
        add("c", 1, "ALIEN", 3);
        add("d", 1, "Ærø å", 4);
        add("0", 1, "Casablanca", 5); // entered last, first in index order
    }
    Table* t = m_locateTable.get();
    auto current = [&] {
        return title(*t) + u'@' + t->fieldByName(QStringLiteral("Baandnummer")).asString();
    };

    t->last();
    const int before = t->recNo();
    const bool found = t->locate(field, value, caseInsensitive);
    QCOMPARE(found, !expected.isEmpty());
    if (found) {
        QCOMPARE(current(), expected);
        QVERIFY(!t->eof() && !t->bof());
    } else {
        QCOMPARE(t->recNo(), before);
        QCOMPARE(current(), QStringLiteral("Ærø å@d"));
    }
}

void TestTable::locateEndsPendingEdit_data() {
    QTest::addColumn<bool>("inserting");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("found");

    QTest::newRow("changed edit is posted") << false << true << true;
    QTest::newRow("unchanged edit is cancelled") << false << false << true;
    QTest::newRow("changed insert is posted") << true << true << true;
    QTest::newRow("unchanged insert is cancelled") << true << false << true;
    QTest::newRow("changed edit is posted, nothing found") << false << true << false;
    QTest::newRow("unchanged insert is cancelled, nothing found") << true << false << false;
}

void TestTable::locateEndsPendingEdit() {
    QFETCH(bool, inserting);
    QFETCH(bool, changed);
    QFETCH(bool, found);

    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 10, QStringLiteral("One"));
    addRecording(*t, QStringLiteral("A"), 20, QStringLiteral("Two"));
    int beforePostCalls = 0;
    t->beforePost = [&](Table& table) {
        ++beforePostCalls;
        QVERIFY(table.isEditing()); // still editing while the handler runs
    };

    t->first();
    if (inserting)
        t->insert();
    else
        t->edit();
    if (changed)
        t->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("typed"));

    QCOMPARE(t->locate(QStringLiteral("Titel1"),
                       found ? QStringLiteral("Two") : QStringLiteral("x"), false),
             found);
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(beforePostCalls, changed ? 1 : 0);
    const int rows = 2 + (inserting && changed ? 1 : 0);
    QCOMPARE(t->recordCount(), rows);
    QCOMPARE(rowsOnDisk(cat, fixture::recordings()), rows);
    const QStringList titel2 =
        columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel2"));
    QCOMPARE(titel2.count(QStringLiteral("typed")), changed ? 1 : 0);
    if (found)
        QCOMPARE(title(*t), QStringLiteral("Two"));
}

void TestTable::locateWithRefusedPostKeepsInput() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 10, QStringLiteral("One"));
    addRecording(*t, QStringLiteral("A"), 20, QStringLiteral("Two"));
    t->beforePost = [](Table&) { engine::abort(); };

    t->first();
    t->edit();
    t->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("typed"));
    QVERIFY_THROWS_EXCEPTION(engine::Abort,
                             t->locate(QStringLiteral("Titel1"), QStringLiteral("Two"), false));
    QCOMPARE(t->state(), DatasetState::Edit);
    QVERIFY(t->modified());
    QCOMPARE(title(*t), QStringLiteral("One"));
    QCOMPARE(t->fieldByName(QStringLiteral("Titel2")).asString(), QStringLiteral("typed"));
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel2")),
             (QStringList{QString(), QString()}));

    // The same from an insert.
    t->cancel();
    t->append();
    t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("Three"));
    QVERIFY_THROWS_EXCEPTION(engine::Abort,
                             t->locate(QStringLiteral("Titel1"), QStringLiteral("One"), false));
    QCOMPARE(t->state(), DatasetState::Insert);
    QCOMPARE(title(*t), QStringLiteral("Three"));
    QCOMPARE(rowsOnDisk(cat, fixture::recordings()), 2);
}

void TestTable::editPostCancel() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 10, QStringLiteral("Before"));
    t->first();

    QVERIFY(!t->modified());
    t->edit();
    QCOMPARE(t->state(), DatasetState::Edit);
    QVERIFY(!t->modified());
    t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("After"));
    QVERIFY(t->modified());
    t->cancel();
    QCOMPARE(t->state(), DatasetState::Browse);
    QVERIFY(!t->modified());
    QCOMPARE(title(*t), QStringLiteral("Before"));

    t->edit();
    t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("After"));
    t->post();
    QCOMPARE(t->state(), DatasetState::Browse);
    QVERIFY(!t->modified());
    QCOMPARE(title(*t), QStringLiteral("After"));
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel1")),
             QStringList{QStringLiteral("After")});

    // Only the fields changed are written: a change made meanwhile by another program to
    // another field survives.
    {
        auto session2 = cat.newSession();
        auto other = cat.open(fixture::recordings(), kRecIndex, session2.get());
        other->edit();
        other->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("theirs"));
        other->post();
    }
    t->edit(); // starts from the row as it is on disk
    QCOMPARE(t->fieldByName(QStringLiteral("Titel2")).asString(), QStringLiteral("theirs"));
    t->fieldByName(QStringLiteral("Instruktor")).setValue(QStringLiteral("Hitchcock"));
    t->post();
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel2")),
             QStringList{QStringLiteral("theirs")});

    // Values cannot be set outside edit and insert.
    QVERIFY_THROWS_EXCEPTION(
        engine::Error, t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(engine::Error,
                             t->fieldByName(QStringLiteral("VideoAutoInc")).setValue(7));
}

void TestTable::insertAppendDelete() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 10, QStringLiteral("A10"));
    addRecording(*t, QStringLiteral("A"), 30, QStringLiteral("A30"));
    QCOMPARE(t->recordCount(), 2);

    t->first();
    t->insert();
    QCOMPARE(t->state(), DatasetState::Insert);
    QCOMPARE(t->recNo(), 0);
    QCOMPARE(t->displayRowCount(), 3);
    QCOMPARE(t->displayRow(), 0); // inserted before the current row
    QVERIFY(t->fieldByName(QStringLiteral("Titel1")).isNull());
    QVERIFY(!t->modified());
    t->fieldByName(QStringLiteral("Baandnummer")).setValue(QStringLiteral("A"));
    t->fieldByName(QStringLiteral("Starttid")).setValue(20 / 1440.0);
    t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("A20"));
    QVERIFY(t->modified());
    t->post();
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(t->recNo(), 2); // at its place in index order
    QCOMPARE(title(*t), QStringLiteral("A20"));

    t->append();
    QCOMPARE(t->displayRow(), 3);
    t->cancel();
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(t->recordCount(), 3);
    QCOMPARE(title(*t), QStringLiteral("A20"));

    t->deleteRecord();
    QCOMPARE(t->recordCount(), 2);
    QCOMPARE(title(*t), QStringLiteral("A30")); // the next row becomes current
    t->last();
    t->deleteRecord();
    QCOMPARE(title(*t), QStringLiteral("A10")); // the last deleted: the one before
    t->deleteRecord();
    QVERIFY(t->isEmpty());
    QVERIFY(t->eof() && t->bof());
    QVERIFY_THROWS_EXCEPTION(engine::Error, t->deleteRecord());
    QCOMPARE(rowsOnDisk(cat, fixture::recordings()), 0);

    // Editing an empty table starts its first row.
    t->edit();
    QCOMPARE(t->state(), DatasetState::Insert);
    t->cancel();
    QVERIFY(t->isEmpty());
}

void TestTable::refusedPostWritesNothing_data() {
    QTest::addColumn<bool>("inserting");
    QTest::newRow("edit") << false;
    QTest::newRow("insert") << true;
}

void TestTable::refusedPostWritesNothing() {
    QFETCH(bool, inserting);
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 10, QStringLiteral("Kept"));
    bool refuse = true;
    int afterPostCalls = 0;
    t->beforePost = [&](Table&) {
        if (refuse)
            engine::abort();
    };
    t->afterPost = [&](Table&) { ++afterPostCalls; };

    if (inserting)
        t->append();
    else
        t->edit();
    t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("Input"));
    t->fieldByName(QStringLiteral("Baandnummer")).setValue(QStringLiteral("Z"));
    QVERIFY_THROWS_EXCEPTION(engine::Abort, t->post());
    QCOMPARE(t->state(), inserting ? DatasetState::Insert : DatasetState::Edit);
    QVERIFY(t->modified());
    QCOMPARE(title(*t), QStringLiteral("Input"));
    QCOMPARE(t->fieldByName(QStringLiteral("Baandnummer")).asString(), QStringLiteral("Z"));
    QCOMPARE(afterPostCalls, 0);
    QCOMPARE(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel1")),
             QStringList{QStringLiteral("Kept")});

    // Once the rule agrees, the same input is posted.
    refuse = false;
    t->post();
    QCOMPARE(afterPostCalls, 1);
    QCOMPARE(t->recordCount(), inserting ? 2 : 1);
    QCOMPARE(title(*t), QStringLiteral("Input"));
    QVERIFY(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel1"))
                .contains(QStringLiteral("Input")));
}

void TestTable::refusedDeleteKeepsRow() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    addRecording(*t, QStringLiteral("A"), 10, QStringLiteral("One"));
    addRecording(*t, QStringLiteral("A"), 20, QStringLiteral("Two"));
    int afterDeleteCalls = 0;
    t->beforeDelete = [](Table&) { engine::abort(); };
    t->afterDelete = [&](Table&) { ++afterDeleteCalls; };
    t->first();
    QVERIFY_THROWS_EXCEPTION(engine::Abort, t->deleteRecord());
    QCOMPARE(t->recordCount(), 2);
    QCOMPARE(title(*t), QStringLiteral("One"));
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(afterDeleteCalls, 0);
    QCOMPARE(rowsOnDisk(cat, fixture::recordings()), 2);

    // A delete refused while editing keeps the input.
    t->edit();
    t->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("typed"));
    QVERIFY_THROWS_EXCEPTION(engine::Abort, t->deleteRecord());
    QCOMPARE(t->state(), DatasetState::Edit);
    QCOMPARE(t->fieldByName(QStringLiteral("Titel2")).asString(), QStringLiteral("typed"));
}

void TestTable::afterHandlers() {
    Catalogue cat;
    auto t = cat.open(fixture::recordings(), kRecIndex);
    QStringList calls;
    t->afterInsert = [&](Table& table) {
        QCOMPARE(table.state(), DatasetState::Insert);
        calls << QStringLiteral("afterInsert");
    };
    t->afterPost = [&](Table& table) {
        QCOMPARE(table.state(), DatasetState::Browse);
        // Already on disk, with its number, and the current row.
        QVERIFY(!table.fieldByName(QStringLiteral("VideoAutoInc")).isNull());
        calls << QStringLiteral("afterPost %1").arg(rowsOnDisk(cat, fixture::recordings()));
    };
    t->afterDelete = [&](Table&) {
        calls << QStringLiteral("afterDelete %1").arg(rowsOnDisk(cat, fixture::recordings()));
    };
    t->insert();
    t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("One"));
    t->post();
    t->append();
    t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("Two"));
    t->post();
    t->edit();
    t->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("x"));
    t->post();
    t->deleteRecord();
    QCOMPARE(calls, (QStringList{"afterInsert", "afterPost 1", "afterInsert", "afterPost 2",
                                 "afterPost 2", "afterDelete 1"}));
}

void TestTable::handlersMayChangeTheRow() {
    // A before-post handler derives a field that is written with the row; an after-post
    // handler edits and posts the posted row once more (as the actor register keeps its
    // id text equal to the number).
    Catalogue cat;
    auto t = cat.open(fixture::actors(), QStringLiteral("SecEfternavn"));
    auto videos = cat.open(fixture::recordings(), kRecIndex);
    videos->beforePost = [](Table& table) {
        const double played = table.fieldByName(QStringLiteral("SpilletidSPLP")).asFloat();
        table.fieldByName(QStringLiteral("SpilletidSP")).setValue(played * 2);
    };
    videos->append();
    videos->fieldByName(QStringLiteral("SpilletidSPLP")).setValue(QStringLiteral("1:00"));
    videos->post();
    const qint64 id = videos->fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
    {
        auto session2 = cat.newSession();
        auto check = cat.open(fixture::recordings(), kRecIndex, session2.get());
        QVERIFY(check->locate(QStringLiteral("VideoAutoInc"), id, false));
        QCOMPARE(check->fieldByName(QStringLiteral("SpilletidSP")).asFloat(), 2 / 24.0);
    }

    int afterPostCalls = 0;
    t->afterPost = [&](Table& table) {
        ++afterPostCalls;
        const QString number = table.fieldByName(QStringLiteral("SkuespillerAutoInc")).asString();
        if (table.fieldByName(QStringLiteral("SkuespillerAutoIncStr")).asString() == number)
            return;
        table.edit();
        table.fieldByName(QStringLiteral("SkuespillerAutoIncStr")).setValue(number);
        table.post();
    };
    appendRow(*t, {{"Efternavn", QStringLiteral("Holm")}});
    appendRow(*t, {{"Efternavn", QStringLiteral("Berg")}});
    QCOMPARE(afterPostCalls, 4);
    QCOMPARE(t->state(), DatasetState::Browse);
    QCOMPARE(t->fieldByName(QStringLiteral("Efternavn")).asString(), QStringLiteral("Berg"));
    QCOMPARE(columnOnDisk(cat, fixture::actors(), QStringLiteral("SecEfternavn"),
                          QStringLiteral("SkuespillerAutoIncStr")),
             (QStringList{"2", "1"}));
}

void TestTable::autoIncrementNeverReused() {
    Catalogue cat;
    const QString id = QStringLiteral("VideoAutoInc");
    {
        auto t = cat.open(fixture::recordings(), kRecIndex);
        t->append();
        QVERIFY(t->fieldByName(id).isNull()); // assigned on post, not before
        t->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("One"));
        t->post();
        QCOMPARE(t->fieldByName(id).asInteger(), 1);
        addRecording(*t, QStringLiteral("B"), 0, QStringLiteral("Two"));
        QCOMPARE(t->fieldByName(id).asInteger(), 2);
        t->deleteRecord(); // the highest number
        addRecording(*t, QStringLiteral("B"), 0, QStringLiteral("Three"));
        QCOMPARE(t->fieldByName(id).asInteger(), 3);
        t->deleteRecord();
        t->close();
        t->open();
        addRecording(*t, QStringLiteral("B"), 0, QStringLiteral("Four"));
        QCOMPARE(t->fieldByName(id).asInteger(), 4);
        t->deleteRecord();
    }
    // Another connection, after all the highest rows were deleted.
    auto session2 = cat.newSession();
    auto t = cat.open(fixture::recordings(), kRecIndex, session2.get());
    QCOMPARE(t->recordCount(), 1);
    addRecording(*t, QStringLiteral("B"), 0, QStringLiteral("Five"));
    QCOMPARE(t->fieldByName(id).asInteger(), 5);
    QVERIFY(t->locate(id, 5, false));
    QCOMPARE(title(*t), QStringLiteral("Five"));
}

void TestTable::masterLink() {
    Catalogue cat;
    auto tapes = cat.open(fixture::tapes());
    appendRow(*tapes, {{"BaandNavn", QStringLiteral("Film1")}, {"Baandlaengde", 180}});
    appendRow(*tapes, {{"BaandNavn", QStringLiteral("Film2")}, {"Baandlaengde", 240}});
    appendRow(*tapes, {{"BaandNavn", QStringLiteral("Tom")}, {"Baandlaengde", 60}});
    {
        auto all = cat.open(fixture::recordings(), kRecIndex);
        addRecording(*all, QStringLiteral("film1"), 90, QStringLiteral("1b"));
        addRecording(*all, QStringLiteral("FILM1"), 0, QStringLiteral("1a"));
        addRecording(*all, QStringLiteral("Film2"), 0, QStringLiteral("2a"));
        addRecording(*all, QStringLiteral("Film10"), 0, QStringLiteral("10a"));
    }

    Table detail(cat.session());
    detail.setAliasName(fixture::kAlias);
    detail.setTableName(fixture::recordings().fileName);
    detail.setIndexName(kRecIndex);
    detail.setFieldDefs(fixture::recordings().fields);
    detail.setMasterLink(tapes.get(), QStringLiteral("BaandNavn"));
    tapes->first();
    detail.open();
    QCOMPARE(fixture::column(detail, QStringLiteral("Titel1")), (QStringList{"1a", "1b"}));

    tapes->next();
    QCOMPARE(fixture::column(detail, QStringLiteral("Titel1")), QStringList{"2a"});
    QVERIFY(tapes->locate(QStringLiteral("BaandNavn"), QStringLiteral("tom"), true));
    QVERIFY(detail.isEmpty());
    QVERIFY(detail.eof() && detail.bof());

    // A new detail row belongs to the master's current row.
    detail.append();
    QCOMPARE(detail.fieldByName(QStringLiteral("Baandnummer")).asString(), QStringLiteral("Tom"));
    detail.fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("ta"));
    detail.post();
    QCOMPARE(detail.recordCount(), 1);
    QCOMPARE(fixture::column(detail, QStringLiteral("Baandnummer")), QStringList{"Tom"});

    // Moving the master ends a pending detail edit (posting it).
    detail.edit();
    detail.fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("kept"));
    tapes->first();
    QCOMPARE(detail.state(), DatasetState::Browse);
    QCOMPARE(detail.recordCount(), 2);
    QVERIFY(columnOnDisk(cat, fixture::recordings(), kRecIndex, QStringLiteral("Titel2"))
                .contains(QStringLiteral("kept")));

    // A master row renamed: the detail follows the posted name.
    tapes->edit();
    tapes->fieldByName(QStringLiteral("BaandNavn")).setValue(QStringLiteral("Film2"));
    tapes->post();
    QCOMPARE(fixture::column(detail, QStringLiteral("Titel1")), QStringList{"2a"});

    detail.close();
}

void TestTable::filterExpression_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<bool>("caseInsensitive");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("prefixes ignoring case")
        << "Fornavn = 'jo*' AND efternavn = 'sm*'" << true
        << QStringList{"John Smith", "Joan Smith", "john smithson"};
    QTest::newRow("prefixes, case counts")
        << "Fornavn = 'jo*' AND efternavn = 'sm*'" << false << QStringList{"john smithson"};
    QTest::newRow("exact ignoring case")
        << "Efternavn = 'SMITH'" << true << QStringList{"John Smith", "Joan Smith"};
    QTest::newRow("exact, case counts") << "Efternavn = 'SMITH'" << false << QStringList{};
    QTest::newRow("Danish letters ignoring case")
        << "Fornavn = 'JØ*'" << true << QStringList{"Jørgen Smed"};
    QTest::newRow("empty expression")
        << "" << true
        << QStringList{"Jo Doe", "Jørgen Smed", "John Smith", "Joan Smith", "john smithson"};
}

void TestTable::filterExpression() {
    QFETCH(QString, expression);
    QFETCH(bool, caseInsensitive);
    QFETCH(QStringList, expected);

    Catalogue cat;
    auto t = cat.open(fixture::actors(), QStringLiteral("SecEfternavn"));
    auto add = [&](const char* first, const char* last) {
        appendRow(*t,
                  {{"Fornavn", QString::fromUtf8(first)}, {"Efternavn", QString::fromUtf8(last)}});
    };
    add("John", "Smith");
    add("john", "smithson");
    add("Joan", "Smith");
    add("Jo", "Doe");
    add("Jørgen", "Smed");
    auto names = [&] {
        QStringList result;
        for (t->first(); !t->eof(); t->next())
            result << t->fieldByName(QStringLiteral("Fornavn")).asString() + u' ' +
                          t->fieldByName(QStringLiteral("Efternavn")).asString();
        return result;
    };

    t->setFilterText(expression);
    t->setFilterCaseInsensitive(caseInsensitive);
    QCOMPARE(names().size(), 5); // not yet filtered
    t->setFiltered(true);
    QCOMPARE(names(), expected);
    QCOMPARE(t->recordCount(), int(expected.size()));
    t->setFiltered(false);
    QCOMPARE(names().size(), 5);

    // Set on a closed table, the filter holds from opening.
    t->close();
    t->setFiltered(true);
    t->open();
    QCOMPARE(names(), expected);
}

void TestTable::filteredRowLeavesViewAfterPost() {
    Catalogue cat;
    auto t = cat.open(fixture::actors(), QStringLiteral("SecEfternavn"));
    appendRow(*t, {{"Fornavn", QStringLiteral("Ann")}, {"Efternavn", QStringLiteral("Alpha")}});
    appendRow(*t, {{"Fornavn", QStringLiteral("Bo")}, {"Efternavn", QStringLiteral("Beta")}});
    appendRow(*t, {{"Fornavn", QStringLiteral("Cy")}, {"Efternavn", QStringLiteral("Gamma")}});
    t->setFilterText(QStringLiteral("Efternavn = 'b*'"));
    t->setFilterCaseInsensitive(true);
    t->setFiltered(true);
    QCOMPARE(t->recordCount(), 1);
    t->edit();
    t->fieldByName(QStringLiteral("Efternavn")).setValue(QStringLiteral("Delta"));
    t->post();
    QCOMPARE(t->recordCount(), 0);

    // A row added by another program shows after refresh when it passes the filter.
    {
        auto session2 = cat.newSession();
        auto other = cat.open(fixture::actors(), QStringLiteral("SecEfternavn"), session2.get());
        appendRow(*other,
                  {{"Fornavn", QStringLiteral("Di")}, {"Efternavn", QStringLiteral("Bravo")}});
        appendRow(*other,
                  {{"Fornavn", QStringLiteral("Ed")}, {"Efternavn", QStringLiteral("Echo")}});
    }
    t->refresh();
    QCOMPARE(t->recordCount(), 1);
    QCOMPARE(t->fieldByName(QStringLiteral("Fornavn")).asString(), QStringLiteral("Di"));
}

void TestTable::filterCallback() {
    Catalogue cat;
    auto t = cat.open(fixture::actors(), QStringLiteral("SecEfternavn"));
    for (const char* last : {"Hansen", "Jensen", "Holm", "Berg"})
        appendRow(*t, {{"Efternavn", QString::fromUtf8(last)}});
    QChar wanted = u'H';
    int calls = 0;
    t->setFilterCallback([&](const engine::RecordView& row) {
        ++calls;
        return row.asString(QStringLiteral("efternavn")).startsWith(wanted);
    });
    QCOMPARE(calls, 0); // not used until filtering is on
    t->setFiltered(true);
    QVERIFY(calls > 0);
    QCOMPARE(fixture::column(*t, QStringLiteral("Efternavn")), (QStringList{"Hansen", "Holm"}));

    // The callback's own state changed: refresh filters again.
    wanted = u'J';
    t->refresh();
    QCOMPARE(fixture::column(*t, QStringLiteral("Efternavn")), QStringList{"Jensen"});

    // A posted row that the callback rejects leaves the view.
    t->edit();
    t->fieldByName(QStringLiteral("Efternavn")).setValue(QStringLiteral("Olsen"));
    t->post();
    QVERIFY(t->isEmpty());

    t->setFiltered(false);
    QCOMPARE(t->recordCount(), 4);
}

void TestTable::editOfOtherFieldsKeepsPlace_data() {
    QTest::addColumn<QString>("filter"); // on Fornavn, not an index field
    QTest::addColumn<QString>("newFirstName");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("unfiltered") << ""
                                << "Bo" << QStringList{"Ann", "Bo", "Cy"};
    QTest::newRow("still passes the filter") << "Fornavn = '*'"
                                             << "Bo" << QStringList{"Ann", "Bo", "Cy"};
    QTest::newRow("no longer passes the filter") << "Fornavn = 'A*'"
                                                 << "Bo" << QStringList{"Ann"};
}

void TestTable::editOfOtherFieldsKeepsPlace() {
    // A post that changes no index field leaves the row where it is, unless a filter
    // now rejects it.
    QFETCH(QString, filter);
    QFETCH(QString, newFirstName);
    QFETCH(QStringList, expected);

    Catalogue cat;
    auto t = cat.open(fixture::actors(), QStringLiteral("SecEfternavn"));
    appendRow(*t, {{"Fornavn", QStringLiteral("Ann")}, {"Efternavn", QStringLiteral("Berg")}});
    appendRow(*t, {{"Fornavn", QStringLiteral("Al")}, {"Efternavn", QStringLiteral("Berg")}});
    appendRow(*t, {{"Fornavn", QStringLiteral("Cy")}, {"Efternavn", QStringLiteral("Dahl")}});
    t->setFilterText(filter);
    t->setFiltered(!filter.isEmpty());
    QVERIFY(t->locate(QStringLiteral("Fornavn"), QStringLiteral("Al"), false));
    const int place = t->recNo();
    t->edit();
    t->fieldByName(QStringLiteral("Fornavn")).setValue(newFirstName);
    t->fieldByName(QStringLiteral("Billedepath")).setValue(QStringLiteral("x.jpg"));
    t->post();
    if (expected.contains(newFirstName)) {
        QCOMPARE(t->recNo(), place);
        QCOMPARE(t->fieldByName(QStringLiteral("Fornavn")).asString(), newFirstName);
        QCOMPARE(t->fieldByName(QStringLiteral("Billedepath")).asString(), QStringLiteral("x.jpg"));
    }
    QCOMPARE(fixture::column(*t, QStringLiteral("Fornavn")), expected);
    t->refresh();
    QCOMPARE(fixture::column(*t, QStringLiteral("Fornavn")), expected);
}

void TestTable::changeNotices() {
    Catalogue cat;
    auto t = std::make_unique<Table>(cat.session());
    t->setAliasName(fixture::kAlias);
    t->setTableName(fixture::recordings().fileName);
    t->setIndexName(kRecIndex);
    QStringList notices;
    t->addListener([&](const engine::ChangeNotice& n) {
        switch (n.kind) {
        case ChangeKind::RecordMoved:
            notices << QStringLiteral("moved");
            break;
        case ChangeKind::FieldChanged:
            notices << QStringLiteral("field %1").arg(t->field(n.fieldIndex).name());
            break;
        case ChangeKind::StateChanged:
            notices << QStringLiteral("state %1").arg(int(t->state()));
            break;
        case ChangeKind::DataChanged:
            notices << QStringLiteral("data");
            break;
        }
    });
    auto take = [&] { return std::exchange(notices, {}); };

    t->open();
    QStringList got = take();
    QVERIFY(got.contains(QStringLiteral("state 1")));
    QVERIFY(got.contains(QStringLiteral("data")));

    addRecording(*t, QStringLiteral("A"), 1, QStringLiteral("One"));
    addRecording(*t, QStringLiteral("A"), 2, QStringLiteral("Two"));
    take();

    t->first();
    QCOMPARE(take(), QStringList{"moved"});
    t->next();
    QCOMPARE(take(), QStringList{"moved"});
    t->next(); // at the end: nothing moves
    QCOMPARE(take(), QStringList{});

    t->edit();
    QCOMPARE(take(), QStringList{"state 2"});
    t->fieldByName(QStringLiteral("Titel2")).setValue(QStringLiteral("x"));
    QCOMPARE(take(), QStringList{"field Titel2"});
    t->post();
    got = take();
    QVERIFY(got.contains(QStringLiteral("state 1")));
    QVERIFY(got.contains(QStringLiteral("data")));
    QVERIFY(got.contains(QStringLiteral("moved")));

    t->insert();
    got = take();
    QVERIFY(got.contains(QStringLiteral("state 3")));
    QVERIFY(got.contains(QStringLiteral("moved")));
    t->cancel();
    got = take();
    QVERIFY(got.contains(QStringLiteral("state 1")));
    QVERIFY(got.contains(QStringLiteral("moved")));

    t->refresh();
    QVERIFY(take().contains(QStringLiteral("data")));
    t->deleteRecord();
    got = take();
    QVERIFY(got.contains(QStringLiteral("data")));
    QVERIFY(got.contains(QStringLiteral("moved")));
    QVERIFY(t->locate(QStringLiteral("Titel1"), QStringLiteral("One"), false));
    QVERIFY(take().contains(QStringLiteral("moved")));
    t->close();
    got = take();
    QVERIFY(got.contains(QStringLiteral("state 0")));
}

void TestTable::openFails_data() {
    QTest::addColumn<QString>("tableName");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("fieldChange");
    QTest::addColumn<QStringList>("messageParts");

    QTest::newRow("missing table file") << "Nothing.db"
                                        << ""
                                        << "" << QStringList{"Nothing.db"};
    QTest::newRow("missing index") << "Spolebox.DB"
                                   << "SecNothing"
                                   << "" << QStringList{"SecNothing"};
    QTest::newRow("missing field") << "Spolebox.DB"
                                   << ""
                                   << "add Undeclared" << QStringList{"Undeclared"};
    QTest::newRow("field of another type") << "Spolebox.DB"
                                           << ""
                                           << "Titel1 as integer" << QStringList{"Titel1"};
    QTest::newRow("text of another size") << "Spolebox.DB"
                                          << ""
                                          << "Titel1 as text 40" << QStringList{"Titel1"};
    QTest::newRow("time declared as date") << "Spolebox.DB"
                                           << ""
                                           << "Starttid as date" << QStringList{"Starttid"};
    QTest::newRow("plain SQLite file") << "Plain.db"
                                       << ""
                                       << "" << QStringList{"Plain.db", "not a table file"};
    QTest::newRow("text file") << "Notes.db"
                               << ""
                               << "" << QStringList{"Notes.db", "not a table file"};
    QTest::newRow("empty file") << "Empty.db"
                                << ""
                                << "" << QStringList{"Empty.db", "not a table file"};
}

void TestTable::openFails() {
    QFETCH(QString, tableName);
    QFETCH(QString, index);
    QFETCH(QString, fieldChange);
    QFETCH(QStringList, messageParts);

    Catalogue cat;
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(cat.dataDir() + "/Plain.db").constData(), &db),
                 SQLITE_OK);
        QCOMPARE(
            sqlite3_exec(db, "CREATE TABLE Plain (Titel1 VARCHAR(50))", nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
        QFile notes(cat.dataDir() + "/Notes.db");
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write(QByteArray("These are notes, not a table.\n").repeated(40));
        notes.close();
        QFile empty(cat.dataDir() + "/Empty.db");
        QVERIFY(empty.open(QIODevice::WriteOnly));
    }

    std::vector<engine::FieldDef> fields = fixture::recordings().fields;
    if (fieldChange == "add Undeclared") {
        fields.push_back(fixture::text("Undeclared", 10));
    } else if (!fieldChange.isEmpty()) {
        auto& f = *std::find_if(fields.begin(), fields.end(), [&](const engine::FieldDef& d) {
            return fieldChange.startsWith(d.name + u' ');
        });
        if (fieldChange.endsWith("integer"))
            f.type = engine::FieldType::Integer;
        else if (fieldChange.endsWith("date"))
            f.type = engine::FieldType::Date;
        else
            f.size = 40;
    }

    Table t(cat.session());
    t.setAliasName(fixture::kAlias);
    t.setTableName(tableName);
    t.setIndexName(index);
    if (tableName == "Spolebox.DB")
        t.setFieldDefs(fields);
    QString message;
    try {
        t.open();
    } catch (const engine::Error& e) {
        message = e.message();
    }
    QVERIFY2(!message.isEmpty(), "open() did not fail");
    for (const QString& part : messageParts)
        QVERIFY2(message.contains(part), qPrintable(message));
    QVERIFY(!t.isActive());

    // The failure leaves the catalogue usable: the right declaration opens.
    t.setTableName(fixture::recordings().fileName);
    t.setIndexName(kRecIndex);
    t.setFieldDefs(fixture::recordings().fields);
    t.open();
    QVERIFY(t.isActive());
    addRecording(t, "A", 1, "Works");
    QCOMPARE(rowsOnDisk(cat, fixture::recordings()), 1);

    // And the same bad table fails the same way a second time.
    Table again(cat.session());
    again.setAliasName(fixture::kAlias);
    again.setTableName(tableName);
    again.setIndexName(index);
    if (tableName == "Spolebox.DB")
        again.setFieldDefs(fields);
    QVERIFY_THROWS_EXCEPTION(engine::Error, again.open());
}

void TestTable::tableFileFoundRegardlessOfCase_data() {
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("fileDef");
    QTest::newRow("lower case") << "spolebox.db"
                                << "recordings";
    QTest::newRow("upper case") << "SPOLEBOX.DB"
                                << "recordings";
    QTest::newRow("as created") << "Spolebox.DB"
                                << "recordings";
    QTest::newRow("Danish letter, other case") << "BÅND.DB"
                                               << "tapes";
    QTest::newRow("Danish letter, lower case") << "bånd.db"
                                               << "tapes";
}

void TestTable::tableFileFoundRegardlessOfCase() {
    QFETCH(QString, asked);
    QFETCH(QString, fileDef);
    Catalogue cat;
    const engine::TableDef def = fileDef == "tapes" ? fixture::tapes() : fixture::recordings();
    QVERIFY(QFile::exists(cat.dataDir() + u'/' + def.fileName));

    Table t(cat.session());
    t.setAliasName(QStringLiteral("spolebox")); // the alias without regard to case, too
    t.setTableName(asked);
    t.setFieldDefs(def.fields);
    t.open();
    t.append();
    t.field(0).setValue(QStringLiteral("Row"));
    if (fileDef == "tapes")
        t.field(1).setValue(60);
    t.post();

    // The same file as under its own name, also through another connection.
    auto own = cat.open(def);
    QCOMPARE(own->recordCount(), 1);
    QCOMPARE(rowsOnDisk(cat, def), 1);
    QVERIFY(!QFile::exists(cat.dataDir() + u'/' + asked) || asked == def.fileName);
}

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"

#include "catalogue_reader.h"

#include "data/schema.h"
#include "engine/collation.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/statement.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace keeping {

namespace {

// The mark our table files carry (PRAGMA application_id), "SPLB".
constexpr qint64 kApplicationId = 0x53504C42;

QString findFile(const QDir& dir, const QString& fileName) {
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

} // namespace

void CatalogueReader::Closer::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

CatalogueReader::CatalogueReader(const QString& directory)
    : m_directory(QDir(directory).absolutePath()) {
    if (!QFileInfo(m_directory).isDir())
        throw engine::Error(QStringLiteral("The folder '%1' does not exist").arg(directory));
    sqlite3* db = nullptr;
    // One thread uses a reader at a time: SQLite need not lock around each call.
    const int rc =
        sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(db);
    if (rc != SQLITE_OK)
        throw engine::Error(QStringLiteral("Cannot start the database engine"));
    sqlite3_busy_timeout(db, 5000);
    engine::registerSqlFunctions(db);
    execute(QStringLiteral("PRAGMA query_only = 1"));
    for (const engine::TableDef* def : schema::allTables())
        attach(*def);
}

CatalogueReader::~CatalogueReader() = default;

void CatalogueReader::execute(const QString& sql) {
    engine::Statement statement(m_db.get(), sql);
    while (statement.step()) {
    }
}

void CatalogueReader::attach(const engine::TableDef& def) {
    Attached table{&def, findFile(QDir(m_directory), def.fileName),
                   QStringLiteral("t%1").arg(m_tables.size()), QString()};
    if (table.filePath.isEmpty())
        throw engine::Error(
            QStringLiteral("Table '%1' does not exist in '%2'").arg(def.fileName, m_directory));
    const QString notOurs =
        QStringLiteral("'%1' is not a table file of a catalogue").arg(table.filePath);
    {
        engine::Statement attach(m_db.get(),
                                 QStringLiteral("ATTACH DATABASE ?1 AS %1").arg(table.schema));
        attach.bindText(1, table.filePath);
        try {
            attach.step();
        } catch (const engine::Error& e) {
            throw engine::Error(
                QStringLiteral("Cannot open the table '%1' (%2)").arg(table.filePath, e.message()));
        }
    }
    // From here on the table is attached: it is detached with the connection.
    m_tables.push_back(table);
    Attached& added = m_tables.back();
    try {
        engine::Statement id(m_db.get(),
                             QStringLiteral("PRAGMA %1.application_id").arg(added.schema));
        if (!id.step() || id.int64(0) != kApplicationId)
            throw engine::Error(notOurs);
        engine::Statement names(m_db.get(),
                                QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = "
                                               "'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'")
                                    .arg(added.schema));
        while (names.step()) {
            if (!added.tableName.isEmpty())
                throw engine::Error(notOurs);
            added.tableName = names.text(0);
        }
    } catch (const engine::Error& e) {
        // SQLite attaches anything and finds out on the first read that it is no database.
        throw engine::Error(
            e.message() == notOurs ? notOurs : QStringLiteral("%1 (%2)").arg(notOurs, e.message()));
    }
    if (added.tableName.isEmpty())
        throw engine::Error(notOurs);
    QStringList columns;
    engine::Statement info(m_db.get(),
                           QStringLiteral("PRAGMA %1.table_info(%2)")
                               .arg(added.schema, engine::quoteIdentifier(added.tableName)));
    while (info.step())
        columns << info.text(1);
    for (const engine::FieldDef& field : def.fields) {
        if (!columns.contains(field.name, Qt::CaseInsensitive))
            throw engine::Error(QStringLiteral("Field '%1' not found in table '%2'")
                                    .arg(field.name, added.filePath));
    }
}

const CatalogueReader::Attached& CatalogueReader::attached(const engine::TableDef& def) const {
    for (const Attached& table : m_tables) {
        if (table.def == &def || table.def->fileName == def.fileName)
            return table;
    }
    throw engine::Error(
        QStringLiteral("Table '%1' is not part of the catalogue").arg(def.fileName));
}

QString CatalogueReader::filePath(const engine::TableDef& def) const {
    return attached(def).filePath;
}

QString CatalogueReader::schemaName(const engine::TableDef& def) const {
    return attached(def).schema;
}

QString CatalogueReader::sqlName(const engine::TableDef& def) const {
    const Attached& table = attached(def);
    return table.schema + u'.' + engine::quoteIdentifier(table.tableName);
}

QStringList CatalogueReader::integrityProblems(const engine::TableDef& def) {
    engine::Statement check(m_db.get(),
                            QStringLiteral("PRAGMA %1.integrity_check").arg(schemaName(def)));
    QStringList problems;
    while (check.step()) {
        const QString line = check.text(0);
        if (line != u"ok")
            problems << line;
    }
    return problems;
}

qint64 CatalogueReader::rowCount(const engine::TableDef& def) {
    engine::Statement count(m_db.get(),
                            QStringLiteral("SELECT count(*) FROM %1").arg(sqlName(def)));
    return count.step() ? count.int64(0) : 0;
}

CatalogueReader::Snapshot::Snapshot(CatalogueReader& reader) : m_reader(reader) {
    reader.execute(QStringLiteral("BEGIN"));
    try {
        // A read transaction starts on each table when it is first read. The recordings
        // come first: a recording seen then finds the tape, the actors and the group it
        // was posted with, which were there before it.
        for (const Attached& table : reader.m_tables)
            reader.execute(
                QStringLiteral("SELECT count(*) FROM %1.sqlite_master").arg(table.schema));
    } catch (...) {
        reader.execute(QStringLiteral("ROLLBACK"));
        throw;
    }
}

CatalogueReader::Snapshot::~Snapshot() {
    // Only read: ending it cannot lose anything.
    sqlite3_exec(m_reader.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace keeping

#pragma once

#include "field_def.h"
#include "statement.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

struct sqlite3;

namespace engine {

// A table file as found on disk: its fields and indexes as stored.
struct StoredTable {
    QString fileName; // the name asked for
    QString filePath; // the file on disk
    QString schema;   // the name it is attached under
    QString tableName;
    std::vector<FieldDef> fields; // name, type and size as stored
    std::vector<IndexDef> indexes;
    int autoIncColumn = -1; // column index of the auto-increment field, -1 when none
    quint64 generation = 0; // bumped on every change through this connection
    bool readOnly = false;  // the file may be read but not written (its permissions)

    int column(const QString& fieldName) const; // -1 when missing; case-insensitive
    QString qualifiedName() const;              // schema."table" for SQL
};

// One catalogue directory, one SQLite connection: each table file is attached to it.
// Every change is its own transaction, synchronous to disk before post() returns.
class Database {
public:
    explicit Database(const QString& directory); // throws Error when it is no directory
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& directory() const { return m_directory; }
    sqlite3* handle() const { return m_db; }

    // The file of a table, found without regard to letter case; empty when missing.
    QString resolveTableFile(const QString& fileName) const;
    // Attaches the table's file (once) and checks it is a table of ours.
    StoredTable& table(const QString& fileName); // throws Error

    // A statement prepared once and kept; use it through StatementUse.
    Statement& cached(const QString& sql);
    void execute(const QString& sql);

    // Runs fn inside a transaction; commits on success, rolls back on any exception,
    // a refused COMMIT included (a busy COMMIT would otherwise leave it open).
    template <typename Fn> void transaction(Fn&& fn) {
        begin();
        try {
            fn();
            commit();
        } catch (...) {
            rollback();
            throw;
        }
    }

    // Creates the table file for def in directory; throws Error when a file of that name
    // (in any letter case) is already there.
    static void createTable(const QString& directory, const TableDef& def);

private:
    void begin();
    void commit();
    void rollback();

    QString m_directory;
    sqlite3* m_db = nullptr;
    std::map<QString, std::unique_ptr<StoredTable>> m_tables; // by lower-case file path
    std::map<QString, std::unique_ptr<Statement>> m_statements;
    int m_nextSchema = 1;
};

// SQL text helpers.
QString quoteIdentifier(const QString& name);
QString declaredType(const FieldDef& field);

} // namespace engine

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
    // a refused COMMIT included (a busy COMMIT would otherwise leave it open). Made while
    // reads are kept together (below), the change joins their transaction and ends it.
    template <typename Fn> void transaction(Fn&& fn) {
        if (m_readsOpen) {
            m_readsOpen = false;
            try {
                fn();
                commit();
                return;
            } catch (...) {
                const bool busy = isBusy();
                rollback();
                if (!busy)
                    throw;
            }
            // Another program writes, or wrote since the reads began: SQLite does not wait
            // inside a transaction that has read. The change gets one of its own, which does.
        }
        begin();
        try {
            fn();
            commit();
        } catch (...) {
            rollback();
            throw;
        }
    }

    // Keeps the reads made while it lives in one read transaction, which the next change
    // joins: without it SQLite begins and ends one for every statement, taking and
    // releasing its file locks each time. (A rule reads a tape's recordings row by row
    // before the row it checks is written.) Nothing is written before the change itself,
    // so a change is still on disk when it returns.
    class ReadsTogether {
    public:
        explicit ReadsTogether(Database& db);
        ~ReadsTogether();
        ReadsTogether(const ReadsTogether&) = delete;
        ReadsTogether& operator=(const ReadsTogether&) = delete;

    private:
        Database& m_db;
    };

    // Creates the table file for def in directory; throws Error when a file of that name
    // (in any letter case) is already there.
    static void createTable(const QString& directory, const TableDef& def);

private:
    void begin();
    void commit();
    void rollback();
    bool isBusy() const; // the last failure was SQLITE_BUSY of any kind

    QString m_directory;
    sqlite3* m_db = nullptr;
    std::map<QString, std::unique_ptr<StoredTable>> m_tables; // by lower-case file path
    std::map<QString, std::unique_ptr<Statement>> m_statements;
    int m_nextSchema = 1;
    int m_readDepth = 0;     // ReadsTogether alive
    bool m_readsOpen = false; // their transaction is open and has written nothing
    // Tables already found, by the file name asked for.
    std::map<QString, StoredTable*> m_byFileName;
};

// SQL text helpers.
QString quoteIdentifier(const QString& name);
QString declaredType(const FieldDef& field);

} // namespace engine

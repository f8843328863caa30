#pragma once

#include "engine/field_def.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct sqlite3;

namespace keeping {

// The six tables of a catalogue folder on one SQLite connection of its own, for reading
// while the program may be running and posting. Nothing is ever written through it: the
// connection is query-only and leaves every table in the journal mode it found.
class CatalogueReader {
public:
    // Throws engine::Error when the folder, a table or one of its fields is missing, or
    // when a file is no table of a catalogue.
    explicit CatalogueReader(const QString& directory);
    ~CatalogueReader();
    CatalogueReader(const CatalogueReader&) = delete;
    CatalogueReader& operator=(const CatalogueReader&) = delete;

    const QString& directory() const { return m_directory; }
    sqlite3* handle() const { return m_db.get(); }

    // The file of a table as found on disk (its name may differ in letter case).
    QString filePath(const engine::TableDef& def) const;
    // The name under which the table is attached, e.g. "t0", and the table for SQL.
    QString schemaName(const engine::TableDef& def) const;
    QString sqlName(const engine::TableDef& def) const;

    // The problems PRAGMA integrity_check finds in one table file; empty when it is sound.
    QStringList integrityProblems(const engine::TableDef& def);
    qint64 rowCount(const engine::TableDef& def);

    // While a Snapshot lives, everything read through the reader sees all six tables as
    // they were at one moment, whatever the program posts meanwhile.
    class Snapshot {
    public:
        explicit Snapshot(CatalogueReader& reader);
        ~Snapshot();
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

    private:
        CatalogueReader& m_reader;
    };

private:
    struct Attached {
        const engine::TableDef* def;
        QString filePath;
        QString schema;
        QString tableName;
    };
    struct Closer {
        void operator()(sqlite3* db) const;
    };

    const Attached& attached(const engine::TableDef& def) const;
    void attach(const engine::TableDef& def);
    void execute(const QString& sql);

    QString m_directory;
    std::unique_ptr<sqlite3, Closer> m_db;
    std::vector<Attached> m_tables;
};

} // namespace keeping

#pragma once

#include "engine/field_def.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

// A catalogue for one test: the six tables, created empty from the schema in a temporary
// folder, and an engine session on a temporary configuration file whose alias "Spolebox"
// names that folder. Nothing outside the temporary folder is touched; everything goes
// when the object does.
class TempCatalogue {
public:
    enum class Contents {
        AllTables, // the six tables of the schema, empty
        NoTables,  // just the directory: for tests of missing tables
    };

    explicit TempCatalogue(Contents contents = Contents::AllTables);
    ~TempCatalogue();
    TempCatalogue(const TempCatalogue&) = delete;
    TempCatalogue& operator=(const TempCatalogue&) = delete;

    // False when setting up failed; errorString() says why.
    bool isValid() const { return m_error.isEmpty(); }
    const QString& errorString() const { return m_error; }

    QString directory() const;                   // the catalogue's directory (the alias's target)
    QString filePath(const QString& name) const; // a file in the catalogue's directory
    QString configFile() const;                  // the engine configuration the session uses
    engine::Session& session() { return *m_session; }

    // Creates one table file from its declaration (for NoTables catalogues).
    void createTable(const engine::TableDef& def);

    // A table of the catalogue with all its declared fields, opened; optional index.
    std::unique_ptr<engine::Table> openTable(const engine::TableDef& def,
                                             const QString& indexName = QString());

    // Appends one row through the engine and returns the value of its auto-increment
    // field (0 when the table has none). Keys are field names. Throws engine::Error.
    qint64 appendRow(const engine::TableDef& def, const QVariantMap& values);

    // Appends a recording on a tape from startMinute, playingMinutes long at the speed ("SP"
    // or "LP"), its tape time derived as the program derives it.
    qint64 appendRecording(const QString& tape, int startMinute, int playingMinutes,
                           const QString& speed, const QString& title1,
                           const QString& title2 = QString());

    // Number of rows in a table.
    int rowCount(const engine::TableDef& def);

private:
    QTemporaryDir m_root;
    std::unique_ptr<engine::Session> m_session;
    QString m_error;
};

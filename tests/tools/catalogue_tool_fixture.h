#pragma once

// Shared by the tests of the catalogue tool: running the tool as the user does, a sample
// catalogue made by it, and rows written straight into table files (past the program's
// rules, as old or damaged catalogues hold them).

#include "data/schema.h"
#include "engine/database.h"
#include "engine/statement.h"
#include "program_run.h"
#include "temp_catalogue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>

using ToolResult = ProgramResult;

// Runs spolebox-catalogue; configHome, when given, is the $XDG_CONFIG_HOME in which the
// tool finds the alias "Spolebox" it falls back on (spolebox-engine/engine.ini there).
inline ToolResult runTool(const QStringList& arguments, const QString& configHome = QString()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!configHome.isEmpty())
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    return runProgram(QStringLiteral(SPOLEBOX_CATALOGUE_TOOL), arguments, QString(), environment);
}

// Names and contents of every file in dir, to prove that nothing changed.
inline QMap<QString, QByteArray> folderSnapshot(const QString& dir) {
    QMap<QString, QByteArray> files;
    const QStringList names =
        QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        QFile file(QDir(dir).filePath(name));
        files[name] = file.open(QIODevice::ReadOnly)
                          ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                          : QByteArray("folder");
    }
    return files;
}

// Inserts one row into a table file of the catalogue in directory, past every rule of the
// program; returns its row id.
inline qint64 plantRow(const QString& directory, const engine::TableDef& table,
                       const QVariantMap& values) {
    engine::Database db(directory);
    engine::StoredTable& stored = db.table(table.fileName);
    QStringList columns;
    QStringList marks;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        columns << engine::quoteIdentifier(it.key());
        marks << QStringLiteral("?");
    }
    engine::Statement insert(
        db.handle(),
        values.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(stored.qualifiedName())
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(stored.qualifiedName(), columns.join(u','), marks.join(u',')));
    int position = 1;
    for (const QVariant& value : values)
        insert.bind(position++, value);
    insert.step();
    engine::Statement id(db.handle(), QStringLiteral("SELECT last_insert_rowid()"));
    id.step();
    return id.int64(0);
}

// Runs one SQL statement on a table file (named in the text as %1).
inline void plantSql(const QString& directory, const engine::TableDef& table, const QString& sql) {
    engine::Database db(directory);
    db.execute(sql.arg(db.table(table.fileName).qualifiedName()));
}

inline double minutes(int m) {
    return m / 1440.0;
}

// A sample catalogue made by the tool, reachable through the catalogue's alias. The tool
// makes it once per test program; each catalogue gets a copy of its files.
inline bool createSample(TempCatalogue& catalogue) {
    static QTemporaryDir made;
    static const bool ready =
        made.isValid() && runTool({QStringLiteral("create"), QStringLiteral("--sample"),
                                   made.filePath(QStringLiteral("sample"))})
                                  .exitCode == 0;
    if (!ready)
        return false;
    const QDir sample(made.filePath(QStringLiteral("sample")));
    for (const QString& name : sample.entryList(QDir::Files)) {
        if (!QFile::copy(sample.filePath(name), catalogue.filePath(name)))
            return false;
    }
    return true;
}

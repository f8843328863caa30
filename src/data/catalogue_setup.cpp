#include "catalogue_setup.h"

#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"

#include <QDir>
#include <QFile>
#include <vector>

namespace catalogue {

QStringList existingTables(const QDir& dir) {
    QStringList found;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const engine::TableDef* def : schema::allTables()) {
        for (const QString& entry : entries) {
            if (entry.compare(def->fileName, Qt::CaseInsensitive) == 0)
                found << entry;
        }
    }
    return found;
}

void createEmpty(const QString& directory) {
    if (!QDir().mkpath(directory))
        throw engine::Error(QStringLiteral("cannot create the directory '%1'").arg(directory));
    const QDir dir(directory);
    const QStringList existing = existingTables(dir);
    if (!existing.isEmpty())
        throw engine::Error(
            QStringLiteral("'%1' already holds catalogue tables (%2); nothing was changed")
                .arg(dir.absolutePath(), existing.join(QStringLiteral(", "))));
    std::vector<QString> created;
    try {
        for (const engine::TableDef* def : schema::allTables()) {
            engine::Database::createTable(dir.absolutePath(), *def);
            created.push_back(dir.filePath(def->fileName));
        }
    } catch (...) {
        // Half a catalogue would not open; leave the directory as it was.
        for (const QString& path : created)
            QFile::remove(path);
        throw;
    }
}

void removeTables(const QDir& dir) {
    for (const engine::TableDef* def : schema::allTables()) {
        const QString path = dir.filePath(def->fileName);
        QFile::remove(path);
        // The engine keeps its journal beside a table while it is open.
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
    }
}

} // namespace catalogue

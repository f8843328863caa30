// create: sets up the six tables of a catalogue. It never touches a catalogue that is
// already there: when any of the six table files exists in the folder it stops before
// creating anything.

#include "create_command.h"

#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"
#include "keeping/catalogue_folder.h"
#include "sample_catalogue.h"
#include "tool_output.h"

#include <QDir>
#include <QFile>
#include <vector>

namespace tool {

namespace {

void createEmptyTables(const QDir& dir) {
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

} // namespace

int create(const QString& directory, bool sample) {
    if (!QDir().mkpath(directory)) {
        err() << "spolebox-catalogue: cannot create the directory '" << directory << "'\n";
        return 1;
    }
    const QDir dir(directory);
    const QStringList existing = keeping::existingTableFiles(dir.path());
    if (!existing.isEmpty()) {
        err() << "spolebox-catalogue: '" << dir.absolutePath()
              << "' already holds catalogue tables (" << existing.join(QStringLiteral(", "))
              << "); nothing was changed\n";
        return 1;
    }
    try {
        createEmptyTables(dir);
        if (sample) {
            try {
                fillSample(dir);
            } catch (...) {
                removeTables(dir);
                throw;
            }
        }
    } catch (const engine::Error& e) {
        err() << "spolebox-catalogue: " << e.message() << '\n';
        return 1;
    }
    out() << "Created " << (sample ? "a sample" : "an empty") << " catalogue in "
          << QDir::toNativeSeparators(dir.absolutePath()) << '\n';
    return 0;
}

} // namespace tool

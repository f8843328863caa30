// backup and restore: the catalogue's six tables through SQLite's online backup, all as
// they were at one moment, safe while the program runs and posts.

#include "backup_command.h"

#include "catalogue_folder.h"
#include "engine/error.h"
#include "keeping/catalogue_backup.h"
#include "tool_output.h"

#include <QDir>

namespace tool {

namespace {

QString rowCounts(const keeping::BackupManifest& manifest) {
    QStringList counts;
    for (const auto& [fileName, rows] : manifest.rowCounts)
        counts << QStringLiteral("%1 (%2 rows)").arg(fileName).arg(rows);
    return counts.join(QStringLiteral(", "));
}

} // namespace

int backup(const QString& directory, const QString& destination) {
    try {
        const QString folder = catalogueFolder(directory);
        const keeping::BackupManifest manifest = keeping::writeBackup(folder, destination);
        out() << "Backed up " << QDir::toNativeSeparators(QDir(folder).absolutePath()) << " to "
              << QDir::toNativeSeparators(destination) << ": " << rowCounts(manifest) << '\n';
        out().flush();
        return 0;
    } catch (const engine::Error& e) {
        return fail(e.message());
    }
}

int restore(const QString& backupPath, const QString& directory) {
    try {
        const keeping::BackupManifest manifest = keeping::restoreBackup(backupPath, directory);
        out() << "Restored the backup of "
              << manifest.created.toLocalTime().toString(QStringLiteral("dd-MM-yyyy hh:mm"))
              << " from " << QDir::toNativeSeparators(backupPath) << " into "
              << QDir::toNativeSeparators(QDir(directory).absolutePath()) << ": "
              << rowCounts(manifest) << '\n';
        out().flush();
        return 0;
    } catch (const engine::Error& e) {
        return fail(e.message());
    }
}

} // namespace tool

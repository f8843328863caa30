#include "catalogue_folder.h"

#include "data/catalogue_setup.h"

#include "data/schema.h"
#include "engine/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>

namespace keeping {

QStringList existingTableFiles(const QString& directory) {
    return catalogue::existingTables(QDir(directory));
}

std::unique_ptr<QTemporaryDir> folderBeside(const QString& path, const QString& purpose) {
    const QString parent = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(parent))
        throw engine::Error(QStringLiteral("Cannot create the folder '%1'").arg(parent));
    auto dir = std::make_unique<QTemporaryDir>(
        QDir(parent).filePath(QStringLiteral(".spolebox-%1-XXXXXX").arg(purpose)));
    if (!dir->isValid())
        throw engine::Error(
            QStringLiteral("Cannot create a folder in '%1': %2").arg(parent, dir->errorString()));
    return dir;
}

void moveTablesInto(const QString& work, const QString& directory) {
    if (!QDir().mkpath(directory))
        throw engine::Error(QStringLiteral("Cannot create the folder '%1'").arg(directory));
    const QStringList existing = existingTableFiles(directory);
    if (!existing.isEmpty())
        throw engine::Error(QStringLiteral("'%1' already holds catalogue tables (%2)")
                                .arg(directory, existing.join(QStringLiteral(", "))));
    const QDir from(work);
    const QDir to(directory);
    QStringList moved;
    for (const engine::TableDef* def : schema::allTables()) {
        const QString destination = to.filePath(def->fileName);
        syncToDisk(from.filePath(def->fileName));
        if (!QFile::rename(from.filePath(def->fileName), destination)) {
            for (const QString& path : moved)
                QFile::remove(path);
            throw engine::Error(QStringLiteral("Cannot create '%1'").arg(destination));
        }
        moved << destination;
    }
    syncToDisk(to.absolutePath());
}

void syncToDisk(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw engine::Error(QStringLiteral("Cannot open '%1'").arg(path));
    const int rc = ::fsync(fd);
    ::close(fd);
    if (rc != 0)
        throw engine::Error(QStringLiteral("Cannot write '%1' to disk").arg(path));
}

} // namespace keeping

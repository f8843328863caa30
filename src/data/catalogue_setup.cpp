#include "catalogue_setup.h"

#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace catalogue {

namespace {


// The journals the engine keeps beside a table file; an old one would be read into a new
// table of the same name.
const QStringList kJournalSuffixes{QStringLiteral("-wal"), QStringLiteral("-shm"),
                                   QStringLiteral("-journal")};

// A table is built under this name and renamed when complete.
const QString kCreatingSuffix = QStringLiteral(".creating");

// A probe written before anything is created, and one written after a failure: room for
// the largest table with its journal.
constexpr qint64 kSmallProbe = 4096;
constexpr qint64 kTableProbe = 64 * 1024;

// Table files and their journals in dir, under any letter case.
QStringList tablesOrJournals(const QDir& dir) {
    QStringList found;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const engine::TableDef* def : schema::allTables()) {
        QStringList names{def->fileName};
        for (const QString& suffix : kJournalSuffixes)
            names << def->fileName + suffix;
        for (const QString& entry : entries) {
            for (const QString& name : names) {
                if (entry.compare(name, Qt::CaseInsensitive) == 0)
                    found << entry;
            }
        }
    }
    return found;
}

// What a system error means for the user of the tool.
QString causeOf(int error) {
    const QString system = QString::fromLocal8Bit(std::strerror(error));
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("no space left on the device (%1)").arg(system);
    case EFBIG:
        return QStringLiteral("no space left for the files: they may not grow that large (%1)")
            .arg(system);
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("no permission to write there (%1)").arg(system);
    default:
        return system;
    }
}

// Writes and removes a probe file of the given size in dir: the system error that stops
// it, or nothing when files of that size can be written there.
std::optional<int> writeError(const QDir& dir, qint64 bytes) {
    QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral(".spolebox-probe-XXXXXX")));
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return errno;
    std::optional<int> error;
    const QByteArray block(4096, '\0');
    for (qint64 written = 0; written < bytes && !error;) {
        const ssize_t n = ::write(fd, block.constData(), std::size_t(block.size()));
        if (n < 0)
            error = errno;
        else
            written += n;
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    ::close(fd);
    ::unlink(path.constData());
    return error;
}

// The folders made for a catalogue, innermost first, or the system error that stopped it.
struct MadeFolders {
    std::vector<QString> folders;
    std::optional<int> error;
};

void removeFolders(const std::vector<QString>& folders) {
    for (const QString& folder : folders)
        QDir().rmdir(folder);
}

// Makes directory and any missing folders above it, outermost first; on failure removes
// again what it made.
MadeFolders makeFolders(const QString& directory) {
    std::vector<QString> missing; // innermost first
    for (QFileInfo at(QDir::cleanPath(QDir(directory).absolutePath())); !at.exists();
         at.setFile(at.absolutePath())) {
        missing.push_back(at.absoluteFilePath());
        if (at.isRoot())
            break;
    }
    MadeFolders made;
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (::mkdir(QFile::encodeName(*folder).constData(), 0777) != 0) {
            made.error = errno;
            removeFolders(made.folders);
            made.folders.clear();
            return made;
        }
        made.folders.insert(made.folders.begin(), *folder);
    }
    return made;
}

engine::Error refusal(const QString& directory, const QString& why) {
    return engine::Error(QStringLiteral("cannot create a catalogue in '%1': %2")
                             .arg(QDir::toNativeSeparators(directory), why));
}

} // namespace

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

// Everything creating may have left in dir: the tables, their journals and the files they
// were built in. None of these names was there before (or they are a half-made table).
void removeTables(const QDir& dir) {
    for (const engine::TableDef* def : schema::allTables()) {
        for (const QString& base : {def->fileName, def->fileName + kCreatingSuffix}) {
            const QString path = dir.filePath(base);
            QFile::remove(path);
            for (const QString& suffix : kJournalSuffixes)
                QFile::remove(path + suffix);
        }
    }
}

void createEmpty(const QString& directory, const std::function<void(const QDir&)>& fill) {
    const QString absolute = QDir(directory).absolutePath();
    const QDir dir(absolute);
    if (dir.exists()) {
        const QStringList existing = tablesOrJournals(dir);
        if (!existing.isEmpty())
            throw engine::Error(QStringLiteral("'%1' already holds catalogue tables or their "
                                               "journals (%2); nothing was changed")
                                    .arg(QDir::toNativeSeparators(absolute),
                                         existing.join(QStringLiteral(", "))));
    }
    const MadeFolders made = makeFolders(absolute);
    if (made.error)
        throw refusal(absolute, causeOf(*made.error));
    if (const std::optional<int> error = writeError(dir, kSmallProbe)) {
        removeFolders(made.folders);
        throw refusal(absolute, causeOf(*error));
    }
    try {
        for (const engine::TableDef* def : schema::allTables())
            engine::Database::createTable(absolute, *def);
        if (fill)
            fill(dir);
    } catch (const std::exception& failure) {
        // Ask the folder what went wrong before anything is removed and space freed again.
        const std::optional<int> error = writeError(dir, kTableProbe);
        const auto* engineError = dynamic_cast<const engine::Error*>(&failure);
        const QString detail =
            engineError ? engineError->message() : QString::fromUtf8(failure.what());
        removeTables(dir);
        removeFolders(made.folders);
        throw refusal(absolute, (error ? causeOf(*error) : detail) +
                                    QStringLiteral("; nothing was kept"));
    }
}

} // namespace catalogue

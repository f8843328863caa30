#include "catalogue_backup.h"

#include "catalogue_folder.h"
#include "catalogue_reader.h"
#include "data/schema.h"
#include "engine/error.h"
#include "zip_archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

namespace keeping {

namespace {

const QString kProgramName = QStringLiteral("Spolebox");

struct ConnectionCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};

// One table, page by page through the online backup, into a new file.
void backupTable(CatalogueReader& catalogue, const engine::TableDef& def, const QString& target) {
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(target).constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<sqlite3, ConnectionCloser> destination(raw);
    if (opened != SQLITE_OK)
        throw engine::Error(QStringLiteral("Cannot create '%1': %2")
                                .arg(target, QString::fromUtf8(sqlite3_errmsg(raw))));
    const QByteArray schema = catalogue.schemaName(def).toUtf8();
    sqlite3_backup* backup =
        sqlite3_backup_init(destination.get(), "main", catalogue.handle(), schema.constData());
    if (!backup)
        throw engine::Error(QStringLiteral("Cannot copy '%1': %2")
                                .arg(catalogue.filePath(def),
                                     QString::fromUtf8(sqlite3_errmsg(destination.get()))));
    const int stepped = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE || finished != SQLITE_OK)
        throw engine::Error(QStringLiteral("Cannot copy '%1': %2")
                                .arg(catalogue.filePath(def),
                                     QString::fromUtf8(sqlite3_errmsg(destination.get()))));
}

// All six tables into folder, which exists and is empty; returns the manifest.
BackupManifest backupInto(CatalogueReader& catalogue, const QString& folder) {
    BackupManifest manifest;
    manifest.created = QDateTime::currentDateTimeUtc();
    manifest.programVersion = QStringLiteral(SPOLEBOX_VERSION);
    const QDir dir(folder);
    CatalogueReader::Snapshot snapshot(catalogue);
    for (const engine::TableDef* def : schema::allTables()) {
        backupTable(catalogue, *def, dir.filePath(def->fileName));
        manifest.rowCounts.emplace_back(def->fileName, catalogue.rowCount(*def));
    }
    return manifest;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0)
        throw engine::Error(QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
}

BackupManifest backupToFolder(CatalogueReader& catalogue, const QString& destination) {
    const QFileInfo info(destination);
    const bool emptyFolder = info.isDir() && QDir(destination)
                                                 .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                          QDir::Hidden | QDir::System);
    if (info.exists() && !emptyFolder)
        throw engine::Error(
            QStringLiteral("'%1' already exists; a backup needs a new or empty folder")
                .arg(destination));
    // Made complete beside the destination and then moved there as a whole.
    auto work = folderBeside(destination, QStringLiteral("backup"));
    BackupManifest manifest = backupInto(catalogue, work->path());
    writeFile(QDir(work->path()).filePath(manifestName()), manifest.toJson());
    if (emptyFolder)
        QDir().rmdir(destination);
    if (!QDir().rename(work->path(), destination))
        throw engine::Error(QStringLiteral("Cannot create the folder '%1'").arg(destination));
    work->setAutoRemove(false);
    syncToDisk(QFileInfo(destination).absolutePath());
    return manifest;
}

BackupManifest backupToZip(CatalogueReader& catalogue, const QString& destination) {
    if (QFileInfo::exists(destination))
        throw engine::Error(
            QStringLiteral("'%1' already exists; a backup needs a new file").arg(destination));
    ZipWriter zip(destination);
    QTemporaryDir work;
    if (!work.isValid())
        throw engine::Error(
            QStringLiteral("Cannot create a temporary folder: %1").arg(work.errorString()));
    const BackupManifest manifest = backupInto(catalogue, work.path());
    for (const engine::TableDef* def : schema::allTables())
        zip.addFile(def->fileName, work.filePath(def->fileName));
    zip.addBytes(manifestName(), manifest.toJson());
    zip.commit();
    return manifest;
}

// The table files of a backup into folder, under their own names.
void unpackInto(const QString& backup, const QString& folder) {
    const QDir target(folder);
    if (isZipPath(backup)) {
        const ZipReader zip(backup);
        for (const engine::TableDef* def : schema::allTables()) {
            if (!zip.contains(def->fileName))
                throw engine::Error(
                    QStringLiteral("'%1' holds no table '%2'").arg(backup, def->fileName));
            zip.extract(def->fileName, target.filePath(def->fileName));
        }
        return;
    }
    for (const engine::TableDef* def : schema::allTables()) {
        const QString source = QDir(backup).filePath(def->fileName);
        if (!QFileInfo(source).isFile())
            throw engine::Error(
                QStringLiteral("'%1' holds no table '%2'").arg(backup, def->fileName));
        const QString copy = target.filePath(def->fileName);
        if (!QFile::copy(source, copy))
            throw engine::Error(QStringLiteral("Cannot copy '%1' to '%2'").arg(source, copy));
    }
}

// Every table sound and as full as the manifest says.
void verifyTables(const QString& folder, const QString& backup, const BackupManifest& manifest) {
    CatalogueReader tables(folder);
    for (const engine::TableDef* def : schema::allTables()) {
        const QStringList problems = tables.integrityProblems(*def);
        if (!problems.isEmpty())
            throw engine::Error(QStringLiteral("The table '%1' in '%2' is damaged: %3")
                                    .arg(def->fileName, backup, problems.first()));
        const qint64 expected = manifest.rows(def->fileName);
        const qint64 found = tables.rowCount(*def);
        if (expected != found)
            throw engine::Error(
                QStringLiteral("The table '%1' in '%2' has %3 rows; its manifest says %4")
                    .arg(def->fileName, backup)
                    .arg(found)
                    .arg(expected));
    }
}

} // namespace

QString manifestName() {
    return QStringLiteral("manifest.json");
}

bool isZipPath(const QString& path) {
    return path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive);
}

QByteArray BackupManifest::toJson() const {
    QJsonArray tables;
    for (const auto& [fileName, rows] : rowCounts)
        tables.append(
            QJsonObject{{QStringLiteral("file"), fileName}, {QStringLiteral("rows"), rows}});
    const QJsonObject root{
        {QStringLiteral("program"), kProgramName},
        {QStringLiteral("version"), programVersion},
        {QStringLiteral("created"), created.toString(Qt::ISODate)},
        {QStringLiteral("tables"), tables},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

BackupManifest BackupManifest::fromJson(const QByteArray& json, const QString& where) {
    const QString broken = QStringLiteral("'%1' has no readable backup manifest").arg(where);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw engine::Error(broken);
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("program")).toString() != kProgramName)
        throw engine::Error(broken);
    BackupManifest manifest;
    manifest.created =
        QDateTime::fromString(root.value(QStringLiteral("created")).toString(), Qt::ISODate);
    manifest.programVersion = root.value(QStringLiteral("version")).toString();
    const QJsonArray tables = root.value(QStringLiteral("tables")).toArray();
    for (const QJsonValue& table : tables) {
        const QJsonObject entry = table.toObject();
        const QJsonValue rows = entry.value(QStringLiteral("rows"));
        if (!rows.isDouble())
            throw engine::Error(broken);
        manifest.rowCounts.emplace_back(entry.value(QStringLiteral("file")).toString(),
                                        qint64(rows.toDouble()));
    }
    return manifest;
}

qint64 BackupManifest::rows(const QString& fileName) const {
    for (const auto& [name, count] : rowCounts) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0)
            return count;
    }
    return -1;
}

BackupManifest writeBackup(CatalogueReader& catalogue, const QString& destination) {
    return isZipPath(destination) ? backupToZip(catalogue, destination)
                                  : backupToFolder(catalogue, destination);
}

BackupManifest writeBackup(const QString& catalogueDir, const QString& destination) {
    CatalogueReader catalogue(catalogueDir);
    return writeBackup(catalogue, destination);
}

BackupManifest readBackupManifest(const QString& backup) {
    if (isZipPath(backup)) {
        if (!QFileInfo(backup).isFile())
            throw engine::Error(QStringLiteral("The backup '%1' does not exist").arg(backup));
        const ZipReader zip(backup);
        if (!zip.contains(manifestName()))
            throw engine::Error(
                QStringLiteral("'%1' is no backup: it has no %2").arg(backup, manifestName()));
        return BackupManifest::fromJson(zip.read(manifestName()), backup);
    }
    if (!QFileInfo(backup).isDir())
        throw engine::Error(QStringLiteral("The backup '%1' does not exist").arg(backup));
    QFile file(QDir(backup).filePath(manifestName()));
    if (!file.open(QIODevice::ReadOnly))
        throw engine::Error(
            QStringLiteral("'%1' is no backup: it has no %2").arg(backup, manifestName()));
    return BackupManifest::fromJson(file.readAll(), backup);
}

BackupManifest restoreBackup(const QString& backup, const QString& targetDir) {
    const BackupManifest manifest = readBackupManifest(backup);
    const QStringList existing = existingTableFiles(targetDir);
    if (!existing.isEmpty())
        throw engine::Error(QStringLiteral("'%1' already holds catalogue tables (%2)")
                                .arg(targetDir, existing.join(QStringLiteral(", "))));
    // Unpacked and checked in a folder of its own, then moved into place.
    auto work = folderBeside(targetDir, QStringLiteral("restore"));
    unpackInto(backup, work->path());
    verifyTables(work->path(), backup, manifest);
    moveTablesInto(work->path(), targetDir);
    return manifest;
}

} // namespace keeping

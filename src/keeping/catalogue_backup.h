#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <utility>
#include <vector>

namespace keeping {

class CatalogueReader;

// What a backup holds: when it was taken, by which version of the program, and how many
// rows each table had (by table file name, in the catalogue's order of tables).
struct BackupManifest {
    QDateTime created; // UTC
    QString programVersion;
    std::vector<std::pair<QString, qint64>> rowCounts;

    QByteArray toJson() const;
    // Throws engine::Error naming where when the text is no manifest.
    static BackupManifest fromJson(const QByteArray& json, const QString& where);
    qint64 rows(const QString& fileName) const; // -1 when the table is not listed
};

// The manifest's name inside a backup folder or zip file.
QString manifestName();

// Whether a backup destination is a zip file (by its extension) rather than a folder.
bool isZipPath(const QString& path);

// Copies the six tables of the catalogue, all as they were at one moment, through
// SQLite's online backup: safe while the program runs and posts. destination is a new
// (or empty) folder or a new .zip file; nothing is left there when it fails.
// Throws engine::Error.
BackupManifest writeBackup(CatalogueReader& catalogue, const QString& destination);
BackupManifest writeBackup(const QString& catalogueDir, const QString& destination);

// The manifest of a backup folder or zip file. Throws engine::Error.
BackupManifest readBackupManifest(const QString& backup);

// Puts the tables of a backup into targetDir (made when missing), which must hold no
// tables. Every table is checked first (sound, and as many rows as the manifest says);
// targetDir is left as it was when anything fails. Throws engine::Error.
BackupManifest restoreBackup(const QString& backup, const QString& targetDir);

} // namespace keeping

#include "daily_backups.h"

#include "catalogue_backup.h"
#include "engine/error.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace keeping {

namespace {

QString dailyName(const QDate& day) {
    return QStringLiteral("spolebox-%1.zip").arg(day.toString(QStringLiteral("yyyy-MM-dd")));
}

// The names of the daily backups in folder, newest first (the date sorts as text).
QStringList dailyBackups(const QDir& folder) {
    static const QRegularExpression name(QStringLiteral(R"(^spolebox-\d{4}-\d{2}-\d{2}\.zip$)"));
    QStringList found;
    const QStringList entries = folder.entryList(QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString& entry : entries) {
        if (name.match(entry).hasMatch())
            found << entry;
    }
    return found;
}

// What a daily backup cut off half-way leaves: the zip library's file before its rename.
void removeUnfinished(const QDir& folder) {
    static const QRegularExpression name(
        QStringLiteral(R"(^spolebox-\d{4}-\d{2}-\d{2}\.zip\.\w{6}$)"));
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (name.match(entry).hasMatch())
            QFile::remove(folder.filePath(entry));
    }
}

} // namespace

QString dailyBackupsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/spolebox/backups");
}

QString takeDailyBackup(const QString& catalogueDir, const QString& backupsFolder,
                        const QDate& today, int keep) {
    if (!QDir().mkpath(backupsFolder))
        throw engine::Error(QStringLiteral("Cannot create the folder '%1'").arg(backupsFolder));
    const QDir folder(backupsFolder);
    removeUnfinished(folder);
    QString written;
    const QString path = folder.filePath(dailyName(today));
    if (!QFile::exists(path)) {
        writeBackup(catalogueDir, path);
        written = path;
    }
    const QStringList backups = dailyBackups(folder);
    for (qsizetype i = keep; i < backups.size(); ++i)
        QFile::remove(folder.filePath(backups[i]));
    return written;
}

} // namespace keeping

#pragma once

#include <QDate>
#include <QString>

namespace keeping {

// How many daily backups are kept.
inline constexpr int kDailyBackupsKept = 10;

// Where the program keeps its daily backups: $XDG_DATA_HOME/spolebox/backups.
QString dailyBackupsFolder();

// The daily backup of the catalogue in catalogueDir: unless backupsFolder already holds
// the backup of today, writes it there as "spolebox-yyyy-MM-dd.zip", then removes the
// oldest daily backups beyond keep. Returns the file written, empty when today's backup
// was already there. Throws engine::Error.
QString takeDailyBackup(const QString& catalogueDir, const QString& backupsFolder,
                        const QDate& today, int keep = kDailyBackupsKept);

} // namespace keeping

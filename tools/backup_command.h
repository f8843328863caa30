#pragma once

#include <QString>

namespace tool {

// Copies the catalogue in directory (the alias's folder when empty) into destination, a
// new folder or a new .zip file, with a manifest. Returns the exit code.
int backup(const QString& directory, const QString& destination);

// Puts the tables of a backup (folder or .zip) into directory, which must hold no tables.
int restore(const QString& backupPath, const QString& directory);

} // namespace tool

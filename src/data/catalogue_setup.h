#pragma once

#include <QString>
#include <QStringList>

class QDir;

// Setting up a new, empty catalogue: the six tables of the schema in one folder. Shared by
// the catalogue tool and by the first start of an installed program.
namespace catalogue {

// The names of the files in dir that are catalogue tables (any letter case).
QStringList existingTables(const QDir& dir);

// Creates directory (when missing) and the six tables in it, empty. Never touches a
// catalogue that is already there: when any table file exists it stops before creating
// anything. A failure halfway removes the tables made so far. Throws engine::Error.
void createEmpty(const QString& directory);

// Removes the six table files (and their journals) from dir, as after a failed set-up.
void removeTables(const QDir& dir);

} // namespace catalogue

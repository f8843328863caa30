#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDir;

// Setting up a new, empty catalogue: the six tables of the schema in one folder. Shared by
// the catalogue tool and by the first start of an installed program.
namespace catalogue {

// The names of the files in dir that are catalogue tables (any letter case).
QStringList existingTables(const QDir& dir);

// Creates directory (and any missing folder above it) and the six tables in it, then runs
// fill, when given, on the new tables. Never touches a catalogue that is already there:
// when a table file or a journal left beside one exists, it stops before creating
// anything. A failure halfway removes everything it made, and the engine::Error it throws
// names the real cause (no space left, no permission) rather than a half-made file.
void createEmpty(const QString& directory, const std::function<void(const QDir&)>& fill = {});

// Removes everything creating may leave in dir: the six tables, their journals and the
// files they are built in.
void removeTables(const QDir& dir);

} // namespace catalogue

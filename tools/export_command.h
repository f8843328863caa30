#pragma once

#include "engine/field_def.h"

#include <QString>

namespace tool {

// The CSV file of a table: its name in the catalogue with ".csv", e.g. "Bånd.csv".
QString csvFileName(const engine::TableDef& table);
// The flat list of every recording that export writes beside the tables.
QString recordingListName();

// Writes one CSV file per table of the catalogue in directory (the alias's folder when
// empty) into outDirectory, and the recording list. Returns the exit code.
int exportCatalogue(const QString& directory, const QString& outDirectory);

} // namespace tool

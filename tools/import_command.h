#pragma once

#include <QString>

namespace tool {

// Makes a catalogue in directory (which must hold no tables) from the CSV files that
// export writes, found in csvDirectory. Every value goes through the program's field
// rules and every recording through its tape rules; one bad row and nothing is made, and
// each bad row is named as "file:line: message". Returns the exit code.
int importCatalogue(const QString& csvDirectory, const QString& directory);

} // namespace tool

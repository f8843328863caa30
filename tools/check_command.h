#pragma once

#include <QString>

namespace tool {

// Checks the catalogue in directory (the alias's folder when empty) without writing to it:
// the soundness of every table file, then the catalogue's own consistency, one line per
// finding. Returns 0 when nothing was found, 1 otherwise.
int check(const QString& directory);

} // namespace tool

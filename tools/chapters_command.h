#pragma once

#include <QStringList>

namespace tool {

// chapters [DIR] TAPE [--format F] [--offset H:MM:SS] [--blank sp|lp] [-o FILE]: the
// chapters of a tape for digitising it. Returns the exit code.
int runChapters(QStringList args);

// The command's lines of the tool's usage text.
const char* chaptersUsage();

} // namespace tool

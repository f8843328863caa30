#pragma once

#include <QString>

namespace tool {

// Creates the six tables in directory (made when missing), empty, with the sample
// collection, or with that many generated recordings. Returns the exit code.
int create(const QString& directory, bool sample, int generatedRecordings = 0);

} // namespace tool

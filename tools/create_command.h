#pragma once

#include <QString>

namespace tool {

// Creates the six tables in directory (made when missing), empty or with the sample
// collection. Returns the exit code.
int create(const QString& directory, bool sample);

} // namespace tool

#pragma once

#include <QDir>

namespace tool {

// Fills the empty tables in dir with a small sample collection.
void fillSample(const QDir& dir);

} // namespace tool

#pragma once

#include "catalogue_generator.h"

#include <QString>
#include <optional>

namespace tool {

// Creates the six tables in directory (made when missing), empty, with the sample
// collection, or with a generated collection of that size. Returns the exit code.
int create(const QString& directory, bool sample,
           const std::optional<generator::CatalogueSize>& generated = std::nullopt);

} // namespace tool

#pragma once

#include "sql_syntax_tree.h"
#include "sql_translator.h"

namespace engine::sql {

// Reads a statement of the local SQL dialect, resolving its tables and columns. Throws
// engine::Error naming the place of anything outside the dialect.
ParsedSelect parseSelect(const QString& source, const TableResolver& resolveTable);

} // namespace engine::sql

#pragma once

#include "sql_syntax_tree.h"
#include "sql_translator.h"

namespace engine::sql {

// Writes a parsed statement as SQLite text, every constant bound as a parameter. Throws
// engine::Error when the text would be nested deeper than SQLite accepts.
TranslatedSql writeSqlite(const ParsedSelect& parsed, SqlResult result);

} // namespace engine::sql

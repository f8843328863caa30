#pragma once

#include "sql_translator.h"
#include "statement.h"

#include <QtGlobal>
#include <vector>

namespace engine {

// Steps a statement of a translation to hit ids (SqlResult::HitIds) to its end and returns
// the row ids of its hits in the order the statement's rows would come in: by the order
// value as SQLite orders it (empty values first, then numbers, texts and other bytes; texts
// by DANISH where the order says so), then by the row ids of the tables in turn. The ids of
// a hit stand together, one for each table. Throws Error.
//
// Sorting here rather than in SQLite keeps the work small: each distinct order value is
// compared as a key of bytes, and the hits as numbers, instead of every hit's whole record.
std::vector<qint64> orderHits(Statement& statement, const TranslatedSql::HitOrder& order);

} // namespace engine

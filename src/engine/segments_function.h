#pragma once

struct sqlite3;

namespace engine {

// Registers the table-valued function sb_segments(text, delimiter, keys) on a connection.
// The pieces of a text are what stands between two delimiters: "*3**12*" split at "*"
// gives "3", "" and "12" (what comes before the first and after the last delimiter is
// not between two). keys is a JSON array of [key text, row number] pairs; the function
// gives a row (value, keyrow) for each distinct piece that is a key, once for each row
// number of that key. NULL text, delimiter or keys, or an empty delimiter, give no rows.
//
// "text LIKE '%*' + key + '*%'" holds exactly when the key (free of "*" and "%") is one
// of the pieces; this lets a two-table search split each list once and go straight to
// the rows named, instead of trying every pair of rows. The keys are read on the first
// row of a run of the statement, so they must not depend on the row: a bound value.
void registerSegmentsFunction(sqlite3* db);

} // namespace engine

#pragma once

#include <QString>

struct sqlite3;

namespace engine {

class Error;

// What the user is told when the storage below fails: what happened and what to do, in
// Danish. The technical text (SQLite's message) goes with the error as its detail.

// The message for a SQLite result code (primary or extended).
QString failureMessage(int resultCode);

// The message for a change to a table file that may only be read.
QString readOnlyTableMessage(const QString& fileName);

// Throws Error with the message for the connection's last failure and, as its detail,
// what was being done and SQLite's own text.
[[noreturn]] void throwSqliteFailure(sqlite3* db, const QString& what);

// Whether an error says that another program holds the catalogue.
bool isLockedFailure(const Error& error);

} // namespace engine

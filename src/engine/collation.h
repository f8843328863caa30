#pragma once

#include <QString>
#include <string>
#include <string_view>

struct sqlite3;

namespace engine {

// The program's upper-casing: every letter to its capital, the Danish letters included.
QString danishUpper(const QString& text);
// The same on UTF-8 bytes, with a fast path for ASCII and Latin-1 letters.
std::string danishUpperUtf8(std::string_view utf8);

// Danish order ignoring letter case: A..Z, then Æ, Ø, Å (Ä and Ö sort with Æ and Ø).
// Texts that differ only in letter case compare equal.
int danishCompare(const QString& a, const QString& b);
int danishCompareUtf8(std::string_view a, std::string_view b);
// Appends to key the text's sort key: bytes that, compared byte by byte (as memcmp or
// std::string do), order as danishCompareUtf8 orders the texts, and are equal exactly
// when the texts compare equal.
void appendDanishSortKeyUtf8(std::string_view utf8, std::string& key);
bool danishEqualsIgnoreCase(const QString& a, const QString& b);

// LIKE of the local SQL: "%" matches any run of characters; every other character
// (the "_" included) stands for itself; letter case counts.
bool sqlLike(std::string_view text, std::string_view pattern);

// Registers on a connection: the collation "DANISH", and the functions sb_upper(x),
// sb_like(pattern, text), sb_like_upper(pattern, text) (the same on the text upper-cased),
// sb_match(value, pattern, prefix, caseInsensitive), and the table-valued
// sb_segments(text, delimiter, keys).
void registerSqlFunctions(sqlite3* db);

} // namespace engine

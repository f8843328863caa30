// The entry point SQLite calls when the extension is loaded, e.g. by the sqlite3 shell's
// ".load libspolebox_sqlite": registers the collation DANISH on that connection, ordering
// exactly as the program's engine does.

#include "engine/collation.h"

#include <sqlite3ext.h>
#include <string_view>

SQLITE_EXTENSION_INIT1

namespace {

int danishCollation(void*, int sizeA, const void* a, int sizeB, const void* b) {
    return engine::danishCompareUtf8(
        std::string_view(static_cast<const char*>(a), std::size_t(sizeA)),
        std::string_view(static_cast<const char*>(b), std::size_t(sizeB)));
}

int registerCollation(sqlite3* db, char** error, const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    const int rc =
        sqlite3_create_collation_v2(db, "DANISH", SQLITE_UTF8, nullptr, danishCollation, nullptr);
    if (rc != SQLITE_OK && error)
        *error = sqlite3_mprintf("cannot register the collation DANISH: %s", sqlite3_errmsg(db));
    return rc;
}

} // namespace

// SQLite looks for the entry point by two names: the general one, and one made from the
// file name ("libspolebox_sqlite" gives sqlite3_spoleboxsqlite_init).
extern "C" __attribute__((visibility("default"))) int
sqlite3_extension_init(sqlite3* db, char** error, const sqlite3_api_routines* api) {
    return registerCollation(db, error, api);
}

extern "C" __attribute__((visibility("default"))) int
sqlite3_spoleboxsqlite_init(sqlite3* db, char** error, const sqlite3_api_routines* api) {
    return registerCollation(db, error, api);
}

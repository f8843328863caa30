#include "sqlite_failure.h"

#include "error.h"

#include <sqlite3.h>

namespace engine {

namespace {

bool isLockedCode(int resultCode) {
    const int primary = resultCode & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

} // namespace

bool isLockedFailure(const Error& error) {
    return error.message() == failureMessage(SQLITE_BUSY);
}

QString failureMessage(int resultCode) {
    if (isLockedCode(resultCode))
        return QStringLiteral("Kataloget er låst af et andet program. Prøv igen om lidt.");
    switch (resultCode & 0xff) {
    case SQLITE_READONLY:
        return QStringLiteral("Kataloget kan ikke ændres, fordi dets filer er skrivebeskyttede. "
                              "Giv filerne skriveadgang, og start Spolebox igen.");
    case SQLITE_FULL:
        return QStringLiteral("Der er ikke mere plads på disken, så ændringen kan ikke gemmes. "
                              "Frigør plads, og prøv igen.");
    case SQLITE_IOERR:
        return QStringLiteral("Kataloget kunne ikke læses eller skrives på grund af en fejl på "
                              "disken. Prøv igen; hjælper det ikke, så kontrollér disken.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("En tabelfil i kataloget er beskadiget. Brug en sikkerhedskopi, "
                              "eller kontakt evt. Kvistholm for support.");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("En tabelfil i kataloget kan ikke åbnes. Kontrollér, at kataloget "
                              "findes, og at du har adgang til det.");
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG:
        return QStringLiteral("Der er ikke hukommelse nok til handlingen. Luk andre programmer, "
                              "og prøv igen.");
    default:
        return QStringLiteral("Der opstod en uventet fejl i kataloget. Prøv igen; hjælper det "
                              "ikke, så kontakt evt. Kvistholm for support.");
    }
}

QString readOnlyTableMessage(const QString& fileName) {
    return QStringLiteral("Tabelfilen \"%1\" er skrivebeskyttet, så ændringen kan ikke gemmes. "
                          "Giv filen skriveadgang, og start Spolebox igen.")
        .arg(fileName);
}

void throwSqliteFailure(sqlite3* db, const QString& what) {
    const int code = sqlite3_extended_errcode(db);
    throw Error(failureMessage(code), QStringLiteral("%1: %2 (SQLite code %3)")
                                          .arg(what, QString::fromUtf8(sqlite3_errmsg(db)))
                                          .arg(code));
}

} // namespace engine

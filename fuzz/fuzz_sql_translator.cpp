// libFuzzer target for the local SQL translator. Any text must end in a translation or an
// engine::Error; a translation must be SQL that SQLite prepares and runs, with one
// binding per parameter and one column per field.

#include "engine/database.h"
#include "engine/error.h"
#include "engine/field_def.h"
#include "engine/sql_translator.h"
#include "engine/statement.h"

#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sqlite3.h>

namespace {

engine::FieldDef field(const char* name, engine::FieldType type, int size = 0) {
    engine::FieldDef f;
    f.name = QString::fromUtf8(name);
    f.type = type;
    f.size = size;
    return f;
}

engine::TableDef recordings() {
    using engine::FieldType;
    engine::TableDef t;
    t.fileName = QStringLiteral("Spolebox.DB");
    t.tableName = QStringLiteral("Spolebox");
    t.fields = {
        field("Starttid", FieldType::Time),        field("Indexnummer", FieldType::SmallInt),
        field("Optagetdato", FieldType::Date),     field("Gruppe", FieldType::Integer),
        field("Noter", FieldType::Memo, 50),       field("SkuespillereListe", FieldType::Text, 250),
        field("VideoAutoInc", FieldType::AutoInc), field("Titel1", FieldType::Text, 50),
        field("Titel2", FieldType::Text, 50),      field("Baandnummer", FieldType::Text, 10),
        field("Baandlaengde", FieldType::Text, 4)};
    t.indexes = {engine::IndexDef{QStringLiteral("SecBaandnrStarttid"),
                                  {QStringLiteral("Baandnummer"), QStringLiteral("Starttid")}}};
    return t;
}

engine::TableDef actors() {
    using engine::FieldType;
    engine::TableDef t;
    t.fileName = QStringLiteral("Skuespillere.DB");
    t.tableName = QStringLiteral("Skuespillere");
    t.fields = {field("Fornavn", FieldType::Text, 30), field("Efternavn", FieldType::Text, 20),
                field("SkuespillerAutoInc", FieldType::AutoInc),
                field("SkuespillerAutoIncStr", FieldType::Text, 10)};
    return t;
}

engine::TableDef tapes() {
    engine::TableDef t;
    t.fileName = QStringLiteral("Bånd.db");
    t.tableName = QStringLiteral("Bånd");
    t.fields = {field("BaandNavn", engine::FieldType::Text, 10),
                field("Baandlaengde", engine::FieldType::SmallInt)};
    return t;
}

// A small catalogue, made once for the whole run.
struct Catalogue {
    Catalogue() {
        for (const engine::TableDef& def : {recordings(), actors(), tapes()})
            engine::Database::createTable(dir.path(), def);
        database = std::make_unique<engine::Database>(dir.path());
        const QString spolebox = database->table(QStringLiteral("Spolebox.DB")).qualifiedName();
        const QString skuespillere =
            database->table(QStringLiteral("Skuespillere.DB")).qualifiedName();
        database->execute(
            QStringLiteral("INSERT INTO %1 (Starttid, Gruppe, SkuespillereListe, Titel1, "
                           "Titel2, Baandnummer) VALUES (0.0625, 1, '*2*', 'Alien', NULL, "
                           "'B12'), (0.5, 3, '*12**1*', 'Blåbærgrød', 'Ærø', 'b123'), "
                           "(NULL, NULL, NULL, NULL, '', NULL)")
                .arg(spolebox));
        database->execute(QStringLiteral("INSERT INTO %1 (Fornavn, Efternavn, "
                                         "SkuespillerAutoIncStr) VALUES ('Ib', 'Hansen', '1'), "
                                         "('Jørgen', 'Ryg', '2')")
                              .arg(skuespillere));
    }

    QTemporaryDir dir; // outlives the connection to its files
    std::unique_ptr<engine::Database> database;
};

struct StatementCloser {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

[[noreturn]] void fail(const char* what, const engine::TranslatedSql& translated, sqlite3* db) {
    std::fprintf(stderr, "%s\nSQL: %s\nSQLite: %s\n", what, qPrintable(translated.sql),
                 sqlite3_errmsg(db));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Catalogue catalogue;
    engine::Database& database = *catalogue.database;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    engine::TranslatedSql translated;
    try {
        translated = engine::translateSql(
            text, [&database](const QString& fileName) -> const engine::StoredTable& {
                return database.table(fileName);
            });
    } catch (const engine::Error&) {
        return 0;
    }

    sqlite3* db = database.handle();
    const auto parameterCount = [db, &translated](const QString& sql) {
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, nullptr) != SQLITE_OK)
            fail("a translation SQLite does not accept", translated, db);
        std::unique_ptr<sqlite3_stmt, StatementCloser> statement(raw);
        return std::size_t(sqlite3_bind_parameter_count(raw));
    };
    if (parameterCount(translated.sql) != translated.bindings.size() ||
        (!translated.keysSql.isEmpty() &&
         parameterCount(translated.keysSql) != translated.keysBindings.size()))
        fail("bindings and parameters differ", translated, db);

    try {
        engine::Statement statement = engine::prepareTranslated(
            db, translated, [](const QString&) { return QVariant(QStringLiteral("%A%")); });
        if (std::size_t(statement.columnCount()) != translated.columns.size())
            fail("fields and columns differ", translated, db);
        for (int rows = 0; rows < 100 && statement.step(); ++rows) {
        }
    } catch (const engine::Error&) {
        fail("a translation that fails to run", translated, db);
    }
    return 0;
}

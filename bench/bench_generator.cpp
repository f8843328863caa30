// The synthetic catalogue of "spolebox-catalogue create --generate 100000": 100,000
// recordings, 10,000 tapes and 10,000 actors written into new tables (target at most 10 s,
// "target_s"), beside bare SQLite inserting as many rows with the same columns and texts of
// about the same length into the same new tables, one transaction per table, with the
// catalogue's journal and synchronous settings.

#include "catalogue_generator.h"
#include "data/schema.h"
#include "engine/collation.h"
#include "engine/database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

constexpr int kRecordings = 100000;

// A directory with the six tables created empty, for one run.
struct EmptyCatalogue {
    QTemporaryDir root;
    QString dir;

    EmptyCatalogue() : dir(root.filePath(QStringLiteral("DATA"))) {
        QDir().mkpath(dir);
        for (const engine::TableDef* def : schema::allTables())
            engine::Database::createTable(dir, *def);
    }
};

void BM_Generate(benchmark::State& state) {
    generator::GeneratedCounts counts;
    for (auto _ : state) {
        state.PauseTiming();
        EmptyCatalogue catalogue;
        state.ResumeTiming();
        generator::CatalogueSize size;
        size.recordings = kRecordings;
        counts = generator::fillCatalogue(catalogue.dir, size);
    }
    state.counters["recordings"] = counts.recordings;
    state.counters["tapes"] = counts.tapes;
    state.counters["actors"] = counts.actors;
    state.counters["cast_entries"] = counts.castEntries;
    state.counters["target_s"] = 10;
}

// Inserts rows into one table file through the C API, in one transaction.
void insertBare(const QString& dir, const engine::TableDef& def, const char* sql, int rows,
                const std::function<void(sqlite3_stmt*, int)>& bind) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(QDir(dir).filePath(def.fileName)).constData(), &db,
                    SQLITE_OPEN_READWRITE, nullptr);
    engine::registerSqlFunctions(db); // the indexes compare in Danish order
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; BEGIN", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    for (int i = 0; i < rows; ++i) {
        bind(st, i);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
}

void text(sqlite3_stmt* st, int column, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(st, column, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void BM_GenerateBare(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        EmptyCatalogue catalogue;
        state.ResumeTiming();
        insertBare(catalogue.dir, schema::tapes(),
                   "INSERT INTO \"Bånd\" (BaandNavn, Baandlaengde) VALUES (?, 240)",
                   kRecordings / 10,
                   [](sqlite3_stmt* st, int i) { text(st, 1, QStringLiteral("B%1").arg(i)); });
        insertBare(catalogue.dir, schema::actors(),
                   "INSERT INTO Skuespillere (Fornavn, Efternavn, Fodtdato, "
                   "SkuespillerAutoIncStr) VALUES ('Søren', ?, 30000, ?)",
                   kRecordings / 10, [](sqlite3_stmt* st, int i) {
                       text(st, 1, QStringLiteral("Jørgensen %1").arg(i % 97));
                       text(st, 2, QString::number(i + 1));
                   });
        insertBare(catalogue.dir, schema::recordings(),
                   "INSERT INTO Spolebox (Baandlaengde, Starttid, Indexnummer, Optagetdato, "
                   "Kategori, Gruppe, Lyd, Hastighed, SkuespillereListe, SpilletidSPLP, "
                   "SpilletidSP, Titel1, Titel2, Instruktor, Baandnummer, Produktionsaar, Land) "
                   "VALUES ('240', ?, 1, 35000, 'Drama', 1, 'Stereo', 'SP', ?, 0.01, 0.01, ?, "
                   "'Afsnit 3', 'Bent Sørensen', ?, 1990, 'Danmark')",
                   kRecordings, [](sqlite3_stmt* st, int i) {
                       sqlite3_bind_double(st, 1, (i % 10) * 0.015);
                       text(st, 2, QStringLiteral("*%1**17*").arg(i % 9973 + 1));
                       text(st, 3, QStringLiteral("Den glemte sommer i Ålborg %1").arg(i));
                       text(st, 4, QStringLiteral("B%1").arg(i / 10));
                   });
    }
}

} // namespace

BENCHMARK(BM_Generate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GenerateBare)->Unit(benchmark::kMillisecond)->Iterations(3);

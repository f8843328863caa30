// Speed of the searches on a catalogue of 100,000 recordings (2,000 tapes of 50 recordings
// each, both titles filled) and 10,000 actors, each beside bare SQLite doing the same work
// on the same connection (its own UPPER and LIKE, the rows read column by column):
//   - the title search, the statement the result window builds (target at most 50 ms,
//     "target_ms", and at most 1.5 times the bare scan, "target_x_bare");
//   - the actor search, the result window's fixed statement (target at most 100 ms), for
//     texts that match 1, 11 and 111 actors.
// Each iteration runs the bare statement and then the engine's query, taking turns on
// warm caches; the iteration time is the engine's. The hits of both are compared.
//
// The catalogue is generated once per run in a temporary directory (big_catalogue.h).

#include "big_catalogue.h"
#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/session.h"
#include "search/GenerelSearchFormUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int kTapes = 2000;
constexpr int kPerTape = 50;
constexpr int kActors = 10000;
const QString kAlias = QString::fromUtf8(schema::kAlias);

// A text that occurs in about twenty first titles and as many second titles, as typed
// and upper-cased by the main window.
const QString kTitleText = QStringLiteral("TEL 4242");

struct World {
    QTemporaryDir root;
    std::unique_ptr<engine::Session> session;
    std::shared_ptr<engine::Database> database;
    QString recordingsTable;
    QString actorsTable;

    World() {
        const QString dir = root.filePath(QStringLiteral("DATA"));
        QDir().mkpath(dir);
        fillBigCatalogue(dir, BigCatalogueSize{kTapes, kPerTape, kActors});
        session = std::make_unique<engine::Session>(root.filePath(QStringLiteral("engine.ini")));
        session->addAlias(kAlias, dir, QStringLiteral("PARADOX"));
        database = session->database(kAlias);
        recordingsTable = database->table(schema::recordings().fileName).qualifiedName();
        actorsTable = database->table(schema::actors().fileName).qualifiedName();
        // Second titles and directors, so that the title search reads both titles.
        database->transaction([&] {
            database->execute(QStringLiteral("UPDATE %1 SET Titel2 = 'Anden titel ' || "
                                             "((rowid * 7919) % 100000), Instruktor = "
                                             "'Instruktor ' || (rowid % 500)")
                                  .arg(recordingsTable));
        });
    }
};

World& world() {
    static World w;
    return w;
}

// Runs a statement with one text parameter through the SQLite C API and reads every
// column of every row, as a program would; returns the rows' first titles.
class BareSearch {
public:
    BareSearch(sqlite3* db, const QString& sql, int titleColumn)
        : m_db(db), m_titleColumn(titleColumn) {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_statement, nullptr) !=
            SQLITE_OK)
            throw engine::Error(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~BareSearch() { sqlite3_finalize(m_statement); }
    BareSearch(const BareSearch&) = delete;
    BareSearch& operator=(const BareSearch&) = delete;

    QStringList run(const QString& pattern) {
        const QByteArray text = pattern.toUtf8();
        sqlite3_bind_text(m_statement, 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        QStringList titles;
        int rc;
        while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
            for (int c = 0, n = sqlite3_column_count(m_statement); c < n; ++c) {
                if (sqlite3_column_type(m_statement, c) == SQLITE_TEXT)
                    benchmark::DoNotOptimize(sqlite3_column_text(m_statement, c));
                else
                    benchmark::DoNotOptimize(sqlite3_column_double(m_statement, c));
            }
            titles << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(m_statement, m_titleColumn)));
        }
        sqlite3_reset(m_statement);
        if (rc != SQLITE_DONE)
            throw engine::Error(QString::fromUtf8(sqlite3_errmsg(m_db)));
        return titles;
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_titleColumn;
};

// The columns of SELECT * on a table: their number, or the place of one by name.
int columnOf(sqlite3* db, const QString& table, const QString& field = QString()) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, QStringLiteral("SELECT * FROM %1").arg(table).toUtf8().constData(), -1,
                       &st, nullptr);
    const int count = sqlite3_column_count(st);
    int found = -1;
    for (int c = 0; c < count; ++c) {
        if (QString::fromUtf8(sqlite3_column_name(st, c)).compare(field, Qt::CaseInsensitive) == 0)
            found = c;
    }
    sqlite3_finalize(st);
    return field.isEmpty() ? count : found;
}

QStringList titlesOf(engine::Query& query) {
    QStringList titles;
    const int column = query.fieldIndex(QStringLiteral("Titel1"));
    for (int row = 0; row < query.recordCount(); ++row)
        titles << query.rowValue(row, column).toString();
    return titles;
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Takes turns between the bare statement and the engine's query and reports both.
template <typename Bare, typename Engine>
void compare(benchmark::State& state, Bare&& bare, Engine&& engine, double targetMs,
             double targetRatio) {
    double bareTotal = 0, engineTotal = 0;
    int rounds = 0;
    QStringList bareTitles, engineTitles;
    for (auto _ : state) {
        ++rounds;
        auto start = Clock::now();
        bareTitles = bare();
        bareTotal += secondsSince(start);
        start = Clock::now();
        engineTitles = engine();
        const double engineSeconds = secondsSince(start);
        engineTotal += engineSeconds;
        state.SetIterationTime(engineSeconds);
    }
    // Equal titles sort alike in both; the order of the hits is checked as a set here.
    bareTitles.sort();
    engineTitles.sort();
    if (bareTitles != engineTitles) {
        state.SkipWithError("the engine's hits differ from the bare statement's");
        return;
    }
    state.counters["hits"] = double(engineTitles.size());
    state.counters["bare_ms"] = bareTotal / rounds * 1e3;
    state.counters["engine_ms"] = engineTotal / rounds * 1e3;
    state.counters["x_bare"] = engineTotal / bareTotal;
    state.counters["target_ms"] = targetMs;
    if (targetRatio > 0)
        state.counters["target_x_bare"] = targetRatio;
}

void BM_TitleSearch(benchmark::State& state) {
    World& w = world();
    sqlite3* db = w.database->handle();
    BareSearch bare(db,
                    QStringLiteral("SELECT * FROM %1 WHERE upper(Titel1) LIKE ?1 OR "
                                   "upper(Titel2) LIKE ?1 ORDER BY Titel1")
                        .arg(w.recordingsTable),
                    columnOf(db, w.recordingsTable, QStringLiteral("Titel1")));
    engine::Query query(*w.session);
    query.setAliasName(kAlias);
    const QString pattern = u'%' + kTitleText + u'%';
    compare(
        state, [&] { return bare.run(pattern); },
        [&] {
            // What the result window's startsogning runs for kind 1.
            query.close();
            query.setSql({QStringLiteral("SELECT * FROM \"spolebox.db\""),
                          TGenerelSearchForm::whereLine(TGenerelSearchForm::Titles, kTitleText),
                          QStringLiteral("ORDER BY titel1")});
            query.open();
            return titlesOf(query);
        },
        50, 1.5);
}

// The actor search for a text that matches state.range(0) actors' first names.
QString actorText(benchmark::State& state) {
    switch (state.range(0)) {
    case 1:
        return QStringLiteral("FORNAVN1234"); // Fornavn1234
    case 11:
        return QStringLiteral("FORNAVN123"); // Fornavn123, Fornavn1230 to Fornavn1239
    default:
        return QStringLiteral("FORNAVN12"); // 111 actors
    }
}

void BM_ActorSearch(benchmark::State& state) {
    World& w = world();
    sqlite3* db = w.database->handle();
    BareSearch bare(
        db,
        QStringLiteral("SELECT * FROM %1 AS a, %2 AS r WHERE r.SkuespillereListe LIKE '%*' || "
                       "a.SkuespillerAutoIncStr || '*%' AND (upper(a.Efternavn) LIKE ?1 OR "
                       "upper(a.Fornavn) LIKE ?1) ORDER BY r.Titel1")
            .arg(w.actorsTable, w.recordingsTable),
        columnOf(db, w.actorsTable) + columnOf(db, w.recordingsTable, QStringLiteral("Titel1")));
    engine::Query query(*w.session);
    query.setAliasName(kAlias);
    // The result window's fixed statement.
    query.setSql({QStringLiteral("SELECT * FROM \"skuespillere.db\" , \"spolebox.db\""),
                  QStringLiteral("WHERE SkuespillereListe LIKE \"%*\" + SkuespillerAutoIncStr + "
                                 "\"*%\" AND"),
                  QStringLiteral("(UPPER(efternavn) LIKE :text OR"),
                  QStringLiteral("UPPER(fornavn) LIKE :text)"), QStringLiteral("ORDER BY Titel1")});
    const QString pattern = u'%' + actorText(state) + u'%';
    compare(
        state, [&] { return bare.run(pattern); },
        [&] {
            query.close();
            query.setParam(QStringLiteral("text"), pattern);
            query.open();
            return titlesOf(query);
        },
        100, 0);
}

} // namespace

BENCHMARK(BM_TitleSearch)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ActorSearch)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->Arg(1)
    ->Arg(11)
    ->Arg(111);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Speed of the database engine on a catalogue of 10,000 tapes, 100,000 recordings and
// 10,000 actors, each figure beside bare SQLite doing the same work.
//
// Every engine benchmark follows its bare counterpart and reports the ratio of the two
// times as the counter "x_bare" (engine time / bare time), and its target as "target_us"
// (or "target_x_bare"). A summary of the targets is printed at the end.
//
// The catalogue is generated once per run in a temporary directory (catalogue_generator.h):
// the six table files are created empty by the engine (so they carry its file marks, fields
// and indexes), then filled in a single transaction each, which takes a second or two
// instead of minutes of single posts.

#include "bench_support.h"
#include "catalogue_generator.h"
#include "data/schema.h"
#include "engine/collation.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

constexpr int kTapes = 10000;
constexpr int kRecordings = 100000;
constexpr int kActors = 10000;
const QString kAlias = QString::fromUtf8(schema::kAlias);

// ---------------------------------------------------------------------------------------
// Bare SQLite helpers

std::string text(const QString& s) {
    return s.toStdString();
}

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

struct Connection {
    sqlite3* db = nullptr;
    explicit Connection(const QString& path) {
        check(sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              db, "open");
        engine::registerSqlFunctions(db); // the indexes compare in Danish order
    }
    ~Connection() { sqlite3_close_v2(db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    void exec(const char* sql) const {
        check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), db, sql);
    }
    void exec(const QString& sql) const { exec(sql.toUtf8().constData()); }
};

struct Stmt {
    sqlite3_stmt* st = nullptr;
    Stmt(sqlite3* db, const std::string& sql) {
        check(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), db, sql.c_str());
    }
    ~Stmt() { sqlite3_finalize(st); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    void text(int i, const std::string& s) const {
        sqlite3_bind_text(st, i, s.data(), int(s.size()), SQLITE_TRANSIENT);
    }
    // Reads every column of the current row, as a dataset's record buffer would.
    void readRow() const {
        for (int c = 0, n = sqlite3_column_count(st); c < n; ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            else
                benchmark::DoNotOptimize(sqlite3_column_double(st, c));
        }
    }
};

// ---------------------------------------------------------------------------------------
// The generated catalogue

struct Catalogue {
    Catalogue();

    QTemporaryDir root;
    QString dataDir;
    QString configFile;
    std::vector<qint64> recordingIds;
};

Catalogue::Catalogue() {
    if (!root.isValid())
        throw engine::Error(QStringLiteral("no temporary directory"));
    dataDir = root.filePath(QStringLiteral("DATA"));
    configFile = root.filePath(QStringLiteral("engine.ini"));
    QDir().mkpath(dataDir);
    QElapsedTimer clock;
    clock.start();
    generator::CatalogueSize size;
    size.recordings = kRecordings;
    size.tapes = kTapes;
    size.actors = kActors;
    generator::createCatalogue(dataDir, size);
    engine::Session(configFile).addAlias(kAlias, dataDir, QStringLiteral("PARADOX"));
    for (qint64 id = 1; id <= kRecordings; ++id)
        recordingIds.push_back(id);
    std::fprintf(stderr, "Catalogue of %d tapes, %d recordings, %d actors generated in %lld ms\n",
                 kTapes, kRecordings, kActors, static_cast<long long>(clock.elapsed()));
}

// The catalogue, generated on first use; the program ends when it cannot be made.
const Catalogue& catalogue() {
    static bench::RunWorld<Catalogue> world;
    try {
        return world.get();
    } catch (const engine::Error& e) {
        std::fprintf(stderr, "Cannot generate the catalogue: %s\n", qPrintable(e.message()));
        std::exit(1);
    }
}

// ---------------------------------------------------------------------------------------
// Ratios: each bare benchmark leaves its time per iteration for the engine one after it.

using Clock = std::chrono::steady_clock;
std::map<std::string, double> g_bareSeconds;
std::map<std::string, double> g_engineSeconds;

class LoopTimer {
public:
    LoopTimer() : m_start(Clock::now()) {}
    double perIteration(const benchmark::State& state) const {
        return std::chrono::duration<double>(Clock::now() - m_start).count() /
               double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    }

private:
    Clock::time_point m_start;
};

void reportBare(benchmark::State& state, const std::string& name, const LoopTimer& timer) {
    g_bareSeconds[name] = timer.perIteration(state);
}

void reportEngine(benchmark::State& state, const std::string& name, const LoopTimer& timer,
                  double targetMicroseconds) {
    const double seconds = timer.perIteration(state);
    g_engineSeconds[name] = seconds;
    if (auto bare = g_bareSeconds.find(name); bare != g_bareSeconds.end() && bare->second > 0)
        state.counters["x_bare"] = seconds / bare->second;
    if (targetMicroseconds > 0)
        state.counters["target_us"] = targetMicroseconds;
}

std::unique_ptr<engine::Table> declare(engine::Session& session, const engine::TableDef& def,
                                       const QString& index = {}) {
    auto t = std::make_unique<engine::Table>(session);
    t->setAliasName(kAlias);
    t->setTableName(def.fileName);
    t->setIndexName(index);
    t->setFieldDefs(def.fields);
    return t;
}

const QString kRecIndex = QStringLiteral("SecBaandnrStarttid");
const QString kActorIndex = QStringLiteral("SecEfternavn");

// ---------------------------------------------------------------------------------------
// Opening the catalogue as the program does at start-up: a new engine session, then the
// groups, categories, tapes, the cast page's actors (index SecEfternavn, filtered by the
// current recording's cast), the recordings (index SecBaandnrStarttid) and the settings;
// the cast page then reads the actors again for the first recording's cast.

void BM_OpenCatalogue_Bare(benchmark::State& state) {
    const QString dir = catalogue().dataDir;
    LoopTimer timer;
    for (auto _ : state) {
        Connection c(QStringLiteral(":memory:"));
        int n = 0;
        for (const engine::TableDef* def : schema::allTables()) {
            const QString schemaName = QStringLiteral("s%1").arg(++n);
            c.exec(QStringLiteral("ATTACH DATABASE '%1' AS %2")
                       .arg(QDir(dir).filePath(def->fileName), schemaName));
            c.exec(QStringLiteral("PRAGMA %1.journal_mode = WAL").arg(schemaName));
            c.exec(QStringLiteral("PRAGMA %1.synchronous = FULL").arg(schemaName));
        }
        auto readKeys = [&](const std::string& sql) {
            Stmt st(c.db, sql);
            std::vector<qint64> keys;
            while (sqlite3_step(st.st) == SQLITE_ROW)
                keys.push_back(sqlite3_column_int64(st.st, 0));
            benchmark::DoNotOptimize(keys.data());
        };
        readKeys("SELECT rowid FROM s4.Grupper ORDER BY rowid");
        readKeys("SELECT rowid FROM s3.Kategori ORDER BY rowid");
        readKeys("SELECT rowid FROM s2.\"Bånd\" ORDER BY rowid");
        for (int pass = 0; pass < 2; ++pass) {
            // Every actor row goes through the cast filter.
            Stmt actors(c.db, "SELECT rowid, * FROM s5.Skuespillere ORDER BY "
                              "Efternavn COLLATE DANISH, rowid");
            while (sqlite3_step(actors.st) == SQLITE_ROW)
                benchmark::DoNotOptimize(sqlite3_column_int64(actors.st, 5));
        }
        readKeys("SELECT rowid FROM s1.Spolebox ORDER BY Baandnummer COLLATE DANISH, Starttid, "
                 "rowid");
        readKeys("SELECT rowid FROM s6.System ORDER BY rowid");
        Stmt first(c.db, "SELECT * FROM s1.Spolebox WHERE rowid = 1");
        sqlite3_step(first.st);
        first.readRow();
    }
    reportBare(state, "open", timer);
}

void BM_OpenCatalogue_Engine(benchmark::State& state) {
    const QString configFile = catalogue().configFile; // generated before the clock starts
    LoopTimer timer;
    for (auto _ : state) {
        engine::Session session(configFile);
        auto groups = declare(session, schema::groups());
        auto categories = declare(session, schema::categories());
        auto tapes = declare(session, schema::tapes());
        auto actors = declare(session, schema::actors(), kActorIndex);
        auto videos = declare(session, schema::recordings(), kRecIndex);
        auto settings = declare(session, schema::settings());
        // The cast page's filter: the actors named in the current recording's cast list.
        actors->setFilterCallback([&](const engine::RecordView& actor) {
            const QString list =
                videos->isActive()
                    ? videos->fieldByName(QStringLiteral("SkuespillereListe")).asString()
                    : QString();
            return list.contains(u'*' + actor.asString(QStringLiteral("SkuespillerAutoInc")) +
                                 u'*');
        });
        actors->setFiltered(true);
        for (engine::Table* t : {groups.get(), categories.get(), tapes.get(), actors.get(),
                                 videos.get(), settings.get()})
            t->open();
        actors->refresh();
        benchmark::DoNotOptimize(videos->recordCount());
    }
    reportEngine(state, "open", timer, 100000);
}

// ---------------------------------------------------------------------------------------
// Cursor moves on the recordings in index order.

void BM_CursorNext_Bare(benchmark::State& state) {
    Connection c(QDir(catalogue().dataDir).filePath(schema::recordings().fileName));
    Stmt st(c.db,
            "SELECT rowid, * FROM Spolebox ORDER BY Baandnummer COLLATE DANISH, Starttid, rowid");
    LoopTimer timer;
    for (auto _ : state) {
        if (sqlite3_step(st.st) != SQLITE_ROW) {
            sqlite3_reset(st.st);
            sqlite3_step(st.st);
        }
        st.readRow();
    }
    reportBare(state, "next", timer);
}

void BM_CursorNext_Engine(benchmark::State& state) {
    engine::Session session(catalogue().configFile);
    auto videos = declare(session, schema::recordings(), kRecIndex);
    videos->open();
    LoopTimer timer;
    for (auto _ : state) {
        videos->next();
        if (videos->eof())
            videos->first();
        benchmark::DoNotOptimize(videos->field(0).value());
    }
    reportEngine(state, "next", timer, 100);
}

void BM_CursorPrior_Bare(benchmark::State& state) {
    Connection c(QDir(catalogue().dataDir).filePath(schema::recordings().fileName));
    Stmt st(c.db, "SELECT rowid, * FROM Spolebox ORDER BY Baandnummer COLLATE DANISH DESC, "
                  "Starttid DESC, rowid DESC");
    LoopTimer timer;
    for (auto _ : state) {
        if (sqlite3_step(st.st) != SQLITE_ROW) {
            sqlite3_reset(st.st);
            sqlite3_step(st.st);
        }
        st.readRow();
    }
    reportBare(state, "prior", timer);
}

void BM_CursorPrior_Engine(benchmark::State& state) {
    engine::Session session(catalogue().configFile);
    auto videos = declare(session, schema::recordings(), kRecIndex);
    videos->open();
    videos->last();
    LoopTimer timer;
    for (auto _ : state) {
        videos->prior();
        if (videos->bof())
            videos->last();
        benchmark::DoNotOptimize(videos->field(0).value());
    }
    reportEngine(state, "prior", timer, 100);
}

// For comparison only (no target): the main window's cast page follows every move of the
// recordings by reading the actors again through its cast filter, as the data module does
// when the current recording's cast list changes.
void BM_CursorNext_WithCastPage(benchmark::State& state) {
    engine::Session session(catalogue().configFile);
    auto videos = declare(session, schema::recordings(), kRecIndex);
    auto actors = declare(session, schema::actors(), kActorIndex);
    videos->open();
    const int cast = videos->fieldIndex(QStringLiteral("SkuespillereListe"));
    actors->setFilterCallback([&](const engine::RecordView& actor) {
        return videos->currentValue(cast).toString().contains(
            u'*' + actor.asString(QStringLiteral("SkuespillerAutoInc")) + u'*');
    });
    actors->setFiltered(true);
    actors->open();
    videos->addListener([&](const engine::ChangeNotice& notice) {
        if (notice.kind == engine::ChangeKind::RecordMoved)
            actors->refresh();
    });
    for (auto _ : state) {
        videos->next();
        if (videos->eof())
            videos->first();
        benchmark::DoNotOptimize(actors->recordCount());
    }
}

// ---------------------------------------------------------------------------------------
// Locate a recording by its VideoAutoInc, as searches and the tape overview do.

std::vector<qint64> shuffledIds() {
    std::vector<qint64> ids = catalogue().recordingIds;
    std::shuffle(ids.begin(), ids.end(), std::mt19937(7));
    ids.resize(4096);
    return ids;
}

void BM_LocateById_Bare(benchmark::State& state) {
    Connection c(QDir(catalogue().dataDir).filePath(schema::recordings().fileName));
    Stmt st(c.db, "SELECT * FROM Spolebox WHERE VideoAutoInc = ?");
    const std::vector<qint64> ids = shuffledIds();
    std::size_t i = 0;
    LoopTimer timer;
    for (auto _ : state) {
        sqlite3_bind_int64(st.st, 1, ids[i++ % ids.size()]);
        if (sqlite3_step(st.st) == SQLITE_ROW)
            st.readRow();
        sqlite3_reset(st.st);
    }
    reportBare(state, "locate", timer);
}

void BM_LocateById_Engine(benchmark::State& state) {
    engine::Session session(catalogue().configFile);
    auto videos = declare(session, schema::recordings(), kRecIndex);
    videos->open();
    const std::vector<qint64> ids = shuffledIds();
    const QString field = QStringLiteral("VideoAutoInc");
    std::size_t i = 0;
    LoopTimer timer;
    for (auto _ : state) {
        if (!videos->locate(field, ids[i++ % ids.size()], false))
            state.SkipWithError("recording not found");
    }
    reportEngine(state, "locate", timer, 1000);
}

// ---------------------------------------------------------------------------------------
// Posting an edited recording, synchronous to disk (WAL, synchronous=FULL) on both sides.
// The time of a synchronous write swings widely with the disk's other work, so the two
// sides take turns in one loop: each iteration one bare BEGIN, UPDATE and COMMIT, then one
// engine post of the same row edited (the move to the row and edit() are not timed;
// "edit_us" shows what edit() and setting the field take). The benchmark's time is the engine's
// post; "bare_us" and "x_bare" compare the two sums.

void BM_PostEdit(benchmark::State& state) {
    // The bare side writes to a copy of the file, so that neither side does the other's
    // checkpoints or reads the other's log.
    const QString original = QDir(catalogue().dataDir).filePath(schema::recordings().fileName);
    const QString copy = catalogue().root.filePath(QStringLiteral("bare-copy.db"));
    QFile::remove(copy);
    if (!QFile::copy(original, copy)) {
        state.SkipWithError("cannot copy the recordings file");
        return;
    }
    Connection c(copy);
    c.exec("PRAGMA journal_mode = WAL");
    c.exec("PRAGMA synchronous = FULL");
    Stmt begin(c.db, "BEGIN");
    Stmt update(c.db, "UPDATE Spolebox SET Titel2 = ? WHERE rowid = ?");
    Stmt commit(c.db, "COMMIT");

    engine::Session session(catalogue().configFile);
    auto videos = declare(session, schema::recordings(), kRecIndex);
    videos->open();
    videos->setRecNo(kRecordings / 2);
    engine::Field& titel2 = videos->fieldByName(QStringLiteral("Titel2"));

    double bareSeconds = 0;
    double engineSeconds = 0;
    double editSeconds = 0;
    // Each run writes new text: an UPDATE to the value already stored writes nothing.
    static std::size_t i = 0;
    const int id = videos->fieldIndex(QStringLiteral("VideoAutoInc"));
    for (auto _ : state) {
        // Both sides change the same row, so that their logs and checkpoints are alike.
        videos->next();
        const qint64 rowid = videos->field(id).asInteger();
        ++i;

        const auto bareStart = Clock::now();
        check(sqlite3_step(begin.st), c.db, "BEGIN");
        sqlite3_reset(begin.st);
        update.text(1, text(QStringLiteral("Rettet %1").arg(i)));
        sqlite3_bind_int64(update.st, 2, rowid);
        check(sqlite3_step(update.st), c.db, "UPDATE");
        sqlite3_reset(update.st);
        check(sqlite3_step(commit.st), c.db, "COMMIT");
        sqlite3_reset(commit.st);
        const auto bareEnd = Clock::now();

        videos->edit();
        titel2.setValue(QStringLiteral("Rettet %1").arg(i));
        const auto postStart = Clock::now();
        videos->post();
        const auto postEnd = Clock::now();

        const double bare = std::chrono::duration<double>(bareEnd - bareStart).count();
        const double mine = std::chrono::duration<double>(postEnd - postStart).count();
        bareSeconds += bare;
        engineSeconds += mine;
        editSeconds += std::chrono::duration<double>(postStart - bareEnd).count();
        state.SetIterationTime(mine);
    }
    const double n = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    g_bareSeconds["post"] = bareSeconds / n;
    g_engineSeconds["post"] = engineSeconds / n;
    state.counters["bare_us"] = bareSeconds / n * 1e6;
    state.counters["x_bare"] = bareSeconds > 0 ? engineSeconds / bareSeconds : 0;
    state.counters["target_x_bare"] = 1.5;
    state.counters["edit_us"] = editSeconds / n * 1e6;
}

// The targets at a glance, once every benchmark has run.
void printTargets() {
    struct Target {
        const char* name;
        const char* what;
        double microseconds; // 0: a ratio target instead
        double ratio;
    };
    const Target targets[] = {{"open", "open the six tables", 100000, 0},
                              {"next", "cursor next", 100, 0},
                              {"prior", "cursor prior", 100, 0},
                              {"locate", "locate by VideoAutoInc", 1000, 0},
                              {"post", "post an edited recording", 0, 1.5}};
    std::printf("\n%-26s %12s %12s %8s  %s\n", "", "engine us", "bare us", "x bare", "target");
    for (const Target& t : targets) {
        const auto mine = g_engineSeconds.find(t.name);
        const auto bare = g_bareSeconds.find(t.name);
        if (mine == g_engineSeconds.end() || bare == g_bareSeconds.end())
            continue;
        const double us = mine->second * 1e6;
        const double ratio = mine->second / bare->second;
        const bool met = t.microseconds > 0 ? us <= t.microseconds : ratio <= t.ratio;
        std::printf("%-26s %12.2f %12.2f %8.2f  %s %s%.6g%s\n", t.what, us, bare->second * 1e6,
                    ratio, met ? "met" : "MISSED", t.microseconds > 0 ? "<= " : "<= ",
                    t.microseconds > 0 ? t.microseconds : t.ratio,
                    t.microseconds > 0 ? " us" : " x bare");
    }
}

[[maybe_unused]] const bool g_targetsPrinted = bench::afterRun(printTargets);

} // namespace

BENCHMARK(BM_OpenCatalogue_Bare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCatalogue_Engine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CursorNext_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CursorNext_Engine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CursorPrior_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CursorPrior_Engine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CursorNext_WithCastPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateById_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateById_Engine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostEdit)->UseManualTime()->Unit(benchmark::kMicrosecond);

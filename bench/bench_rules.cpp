// Speed of the recording rules on a catalogue of 100,000 recordings (2,000 tapes of 50
// recordings each) and 10,000 actors:
//   - posting a recording through the data module, beside bare SQLite on the same
//     connection doing (a) only the write of the row and (b) the work of the rule as well:
//     looking the tape up, reading its recordings for the overlap test and writing the row
//     in one transaction. Counters "x_bare_write" and "x_bare_work" (target at most 1.5);
//     "plain_us" is the post on an engine table without rules; "x_bare_work_cpu" compares
//     processor time, steadier on a busy machine. With synchronous commits
//     the disk's flush is in every figure: on a slow disk it hides the rest, so the run is
//     best repeated with TMPDIR on a RAM disk to see the work itself;
//   - the proposed start time on a tape of 50 recordings (target 1 ms);
//   - moving to another recording, which reads the cast of the new one through the filter
//     (target 5 ms); the cast shown is checked against the filter as written.
//
// The catalogue is generated once per run in a temporary directory (catalogue_generator.h),
// its recordings end to end from the start of each tape.

#include "bench_support.h"
#include "catalogue_generator.h"
#include "data/Databoxunit.h"
#include "data/cast_filter.h"
#include "data/schema.h"
#include "data/tape_time.h"
#include "data_module_world.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QTime>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <time.h>

namespace {

constexpr int kTapes = 2000;
constexpr int kPerTape = 50;
constexpr int kActors = 10000;
const QString kAlias = QString::fromUtf8(schema::kAlias);

// One catalogue and one data module for the whole run.
struct World : DataModuleWorld {
    World()
        : DataModuleWorld([](const QString& directory) {
              generator::CatalogueSize size;
              size.recordings = kTapes * kPerTape;
              size.tapes = kTapes;
              size.actors = kActors;
              size.gapPercent = 0;
              generator::createCatalogue(directory, size);
          }) {}
};

World& world() {
    static bench::RunWorld<World> w;
    return w.get();
}

// An engine table like the data module's VideoTable, without any rules.
std::unique_ptr<engine::Table> plainRecordings(engine::Session& session) {
    auto table = std::make_unique<engine::Table>(session);
    table->setAliasName(kAlias);
    table->setTableName(schema::recordings().fileName);
    table->setIndexName(QStringLiteral("SecBaandnrStarttid"));
    table->setFieldDefs(schema::recordings().fields);
    table->open();
    return table;
}

// Where the last recording of a tape ends, as time text.
QString lastEndOf(engine::Table& recordings, const QString& tape) {
    int end = 0;
    engine::Field& name = recordings.fieldByName(QStringLiteral("Baandnummer"));
    engine::Field& start = recordings.fieldByName(QStringLiteral("Starttid"));
    engine::Field& length = recordings.fieldByName(QStringLiteral("SpilletidSP"));
    if (recordings.locate(name.name(), tape, true)) {
        for (; !recordings.eof() && name.asString().compare(tape, Qt::CaseInsensitive) == 0;
             recordings.next())
            end = std::max(end, int(tapetime::minuteValue(start.asFloat() + length.asFloat())));
    }
    return QTime(0, 0).addSecs(end * 60).toString(QStringLiteral("hh:mm:ss"));
}

void editTitle(engine::Table& table, int round) {
    table.edit();
    table.fieldByName(QStringLiteral("Titel1"))
        .setAsString(QStringLiteral("Ny titel %1").arg(round));
    table.post();
}

// The cast the filter as written accepts, in SkuespillerTable2's order.
QList<qint64> expectedCast(engine::Table& actors, const QString& list) {
    QList<qint64> ids;
    const int id = actors.fieldIndex(QStringLiteral("SkuespillerAutoInc"));
    for (int row = 0; row < actors.recordCount(); ++row) {
        const qint64 value = actors.rowValue(row, id).toLongLong();
        if (CastFilter::acceptsLiterally(list, value))
            ids << value;
    }
    return ids;
}

QList<qint64> shownCast(engine::Table& cast) {
    QList<qint64> ids;
    const int id = cast.fieldIndex(QStringLiteral("SkuespillerAutoInc"));
    for (int row = 0; row < cast.recordCount(); ++row)
        ids << cast.rowValue(row, id).toLongLong();
    return ids;
}

// A statement of bare SQLite, prepared once.
class BareStatement {
public:
    BareStatement(sqlite3* db, const QString& sql) {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_st, nullptr) != SQLITE_OK)
            throw engine::Error(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~BareStatement() { sqlite3_finalize(m_st); }
    BareStatement(const BareStatement&) = delete;
    BareStatement& operator=(const BareStatement&) = delete;
    sqlite3_stmt* operator*() const { return m_st; }
    // Runs it to the end after binding text to ?1.
    void run(const std::string& text = {}) const {
        if (!text.empty())
            sqlite3_bind_text(m_st, 1, text.c_str(), int(text.size()), SQLITE_STATIC);
        while (sqlite3_step(m_st) == SQLITE_ROW) {
        }
        sqlite3_reset(m_st);
    }

private:
    sqlite3_stmt* m_st = nullptr;
};

// The post done with bare SQLite on the data module's own connection: the write alone, or
// with the rule's reads (the tape looked up ignoring case, its recordings in start order
// tested for an overlap) in the same transaction.
class BarePost {
public:
    BarePost(engine::Database& db, const QString& tape, int place)
        : m_tape(tape.toStdString()), m_begin(db.handle(), QStringLiteral("BEGIN")),
          m_commit(db.handle(), QStringLiteral("COMMIT")),
          m_findTape(db.handle(),
                     QStringLiteral("SELECT Baandlaengde FROM %1 WHERE BaandNavn = ?1 COLLATE "
                                    "DANISH")
                         .arg(db.table(schema::tapes().fileName).qualifiedName())),
          m_recordings(db.handle(),
                       QStringLiteral("SELECT VideoAutoInc, Starttid, SpilletidSP FROM %1 WHERE "
                                      "Baandnummer = ?1 COLLATE DANISH ORDER BY Baandnummer "
                                      "COLLATE DANISH, Starttid, rowid")
                           .arg(recordingsName(db))),
          m_update(db.handle(), QStringLiteral("UPDATE %1 SET Titel1 = ?1, SpilletidSP = ?2 "
                                               "WHERE rowid = ?3")
                                    .arg(recordingsName(db))) {
        sqlite3_bind_text(*m_recordings, 1, m_tape.c_str(), int(m_tape.size()), SQLITE_STATIC);
        int row = 0;
        while (sqlite3_step(*m_recordings) == SQLITE_ROW) {
            if (row++ == place) {
                m_id = sqlite3_column_int64(*m_recordings, 0);
                m_start = sqlite3_column_double(*m_recordings, 1);
                m_length = sqlite3_column_double(*m_recordings, 2);
            }
        }
        sqlite3_reset(*m_recordings);
    }

    void write(int round) const {
        m_begin.run();
        update(round);
        m_commit.run();
    }

    // Returns whether the row overlaps another (it never does here).
    bool checkAndWrite(int round) const {
        m_begin.run();
        m_findTape.run(m_tape);
        const long s = std::lround(m_start * 1440), e = s + std::lround(m_length * 1440);
        bool overlap = false;
        sqlite3_stmt* st = *m_recordings;
        while (sqlite3_step(st) == SQLITE_ROW) {
            if (sqlite3_column_int64(st, 0) == m_id)
                continue;
            const double start = sqlite3_column_double(st, 1);
            const long rs = std::lround(start * 1440);
            const long re = std::lround((start + sqlite3_column_double(st, 2)) * 1440);
            overlap = overlap || (s <= rs && e > rs) || (s > rs && s < re);
        }
        sqlite3_reset(st);
        update(round);
        m_commit.run();
        return overlap;
    }

private:
    static QString recordingsName(engine::Database& db) {
        return db.table(schema::recordings().fileName).qualifiedName();
    }

    void update(int round) const {
        const std::string title = QStringLiteral("Ny titel %1").arg(round).toStdString();
        sqlite3_stmt* st = *m_update;
        sqlite3_bind_text(st, 1, title.c_str(), int(title.size()), SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, m_length);
        sqlite3_bind_int64(st, 3, m_id);
        sqlite3_step(st);
        sqlite3_reset(st);
    }

    std::string m_tape;
    BareStatement m_begin, m_commit, m_findTape, m_recordings, m_update;
    qint64 m_id = 0;
    double m_start = 0, m_length = 0;
};

void BM_PostRecording(benchmark::State& state) {
    World& w = world();
    auto plain = plainRecordings(*w.session);
    engine::Table& video = w.box->VideoTable();
    // Recordings in the middle of tapes of 50, one tape for each kind of post.
    if (!video.locate(QStringLiteral("Baandnummer"), generator::tapeName(1000), false) ||
        !plain->locate(QStringLiteral("Baandnummer"), generator::tapeName(1001), false)) {
        state.SkipWithError("no such tape");
        return;
    }
    video.moveBy(25);
    plain->moveBy(25);
    std::shared_ptr<engine::Database> db = w.session->database(kAlias);
    const BarePost bareWrite(*db, generator::tapeName(1002), 25);
    const BarePost bareWork(*db, generator::tapeName(1003), 25);
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double>(to - from).count();
    };
    // Processor time of this thread as well: unlike the elapsed time, it does not count
    // the moments other programs had the processor, so it varies less on a busy machine
    // (it leaves out the waits for the disk, though).
    const auto processor = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    double write = 0, work = 0, plainPost = 0, rules = 0, workCpu = 0, rulesCpu = 0;
    int round = 0;
    for (auto _ : state) {
        ++round;
        const auto t0 = Clock::now();
        bareWrite.write(round);
        const auto t1 = Clock::now();
        const double c1 = processor();
        if (bareWork.checkAndWrite(round)) {
            state.SkipWithError("overlap");
            return;
        }
        const double c2 = processor();
        const auto t2 = Clock::now();
        editTitle(*plain, round);
        const auto t3 = Clock::now();
        const double c3 = processor();
        editTitle(video, round);
        const double c4 = processor();
        const auto t4 = Clock::now();
        write += seconds(t0, t1);
        work += seconds(t1, t2);
        plainPost += seconds(t2, t3);
        rules += seconds(t3, t4);
        workCpu += c2 - c1;
        rulesCpu += c4 - c3;
        state.SetIterationTime(seconds(t3, t4));
    }
    state.counters["bare_write_us"] = write / round * 1e6;
    state.counters["bare_work_us"] = work / round * 1e6;
    state.counters["plain_us"] = plainPost / round * 1e6;
    state.counters["x_bare_write"] = rules / write;
    state.counters["x_bare_work"] = rules / work;
    state.counters["x_bare_work_cpu"] = rulesCpu / workCpu;
    state.counters["messages"] = w.messagesShown;
}

void BM_Findstarttid(benchmark::State& state) {
    World& w = world();
    if (!w.box->baandnavnexist(generator::tapeName(1500))) {
        state.SkipWithError("no such tape");
        return;
    }
    QString proposal;
    for (auto _ : state)
        benchmark::DoNotOptimize(proposal = w.box->findstarttid());
    // The recordings lie end to end from 0:00: the proposal is where the last one ends.
    const QString expected = lastEndOf(*plainRecordings(*w.session), generator::tapeName(1500));
    if (proposal != expected)
        state.SkipWithError(
            qPrintable(QStringLiteral("proposal %1, not %2").arg(proposal, expected)));
}

void BM_MoveWithCast(benchmark::State& state) {
    World& w = world();
    engine::Table& video = w.box->VideoTable();
    engine::Table& cast = w.box->SkuespillerTable2();
    video.setRecNo(40000);
    // The cast shown after a move is the filter as written.
    auto actors = std::make_unique<engine::Table>(*w.session);
    actors->setAliasName(kAlias);
    actors->setTableName(schema::actors().fileName);
    actors->setIndexName(QStringLiteral("SecEfternavn"));
    actors->open();
    for (int step = 0; step < 20; ++step) {
        video.setRecNo(40000 + step * 997);
        const QString list = video.fieldByName(QStringLiteral("SkuespillereListe")).asString();
        if (shownCast(cast) != expectedCast(*actors, list)) {
            state.SkipWithError(qPrintable(QStringLiteral("cast differs for %1").arg(list)));
            return;
        }
    }
    int row = 40000;
    for (auto _ : state) {
        row = row == 40000 ? 40001 : 40000;
        video.setRecNo(row);
    }
    state.counters["cast_rows"] = cast.recordCount();
}

void BM_CastRefreshOnly(benchmark::State& state) {
    World& w = world();
    engine::Table& cast = w.box->SkuespillerTable2();
    for (auto _ : state)
        cast.refresh();
}

// The floor of any filter callback over the actors: the rows in SecEfternavn order,
// stepped through without a callback.
void BM_ActorScanBare(benchmark::State& state) {
    World& w = world();
    std::shared_ptr<engine::Database> db = w.session->database(kAlias);
    engine::StoredTable& actors = db->table(schema::actors().fileName);
    engine::Statement& st = db->cached(
        QStringLiteral("SELECT rowid, * FROM %1 ORDER BY Efternavn COLLATE DANISH, rowid")
            .arg(actors.qualifiedName()));
    qint64 sum = 0;
    for (auto _ : state) {
        engine::StatementUse use(st);
        while (st.step())
            sum += st.int64(0);
    }
    benchmark::DoNotOptimize(sum);
}

// Part of every table open (VideoTableBaand opens for each proposal and each check): the
// catalogue behind the alias.
void BM_AliasLookup(benchmark::State& state) {
    World& w = world();
    for (auto _ : state)
        benchmark::DoNotOptimize(w.session->database(kAlias));
}

} // namespace

BENCHMARK(BM_PostRecording)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_Findstarttid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveWithCast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CastRefreshOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ActorScanBare)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AliasLookup)->Unit(benchmark::kMicrosecond);

// Speed of the recording rules on a catalogue of 100,000 recordings (2,000 tapes of 50
// recordings each) and 10,000 actors:
//   - posting a recording through the data module, beside the same post on a plain table
//     (counter "x_bare", target at most 1.5);
//   - the proposed start time on a tape of 50 recordings (target 1 ms);
//   - moving to another recording, which reads the cast of the new one through the filter
//     (target 5 ms); the cast shown is checked against the filter as written.
//
// The catalogue is generated once per run in a temporary directory (catalogue_generator.h),
// its recordings end to end from the start of each tape.

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

#include <QCoreApplication>
#include <QTime>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

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
    static World w;
    return w;
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

void BM_PostRecording(benchmark::State& state) {
    World& w = world();
    auto plain = plainRecordings(*w.session);
    engine::Table& video = w.box->VideoTable();
    // Two recordings in the middle of tapes of 50.
    if (!video.locate(QStringLiteral("Baandnummer"), generator::tapeName(1000), false) ||
        !plain->locate(QStringLiteral("Baandnummer"), generator::tapeName(1001), false)) {
        state.SkipWithError("no such tape");
        return;
    }
    video.moveBy(25);
    plain->moveBy(25);
    using Clock = std::chrono::steady_clock;
    double bare = 0, rules = 0;
    int round = 0;
    for (auto _ : state) {
        ++round;
        const auto t0 = Clock::now();
        editTitle(*plain, round);
        const auto t1 = Clock::now();
        editTitle(video, round);
        const auto t2 = Clock::now();
        const double b = std::chrono::duration<double>(t1 - t0).count();
        const double r = std::chrono::duration<double>(t2 - t1).count();
        bare += b;
        rules += r;
        state.SetIterationTime(r);
    }
    state.counters["bare_us"] = bare / round * 1e6;
    state.counters["x_bare"] = rules / bare;
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

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

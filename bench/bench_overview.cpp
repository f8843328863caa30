// Speed and memory of the tape overview ("Vis fri tid på bånd") on generated catalogues of
// 100,000 and 1,000,000 recordings (catalogue_generator.h), each beside bare SQLite reading
// what the computation reads (every tape, and every recording's tape, times, speed, title
// and id in the order of SecBaandnrStarttid, each column read):
//   /0  1,000 tapes of 100 recordings, free minutes before every recording: about 100 free
//       blocks, so about 100 rows, per tape;
//   /1  10,000 tapes of 10 recordings, as "create --generate 100000" makes it;
//   /2  10,000 tapes of 100 recordings, free minutes before every recording: about 100
//       free blocks per tape, a million recordings and a million rows, as
//       "create --generate 1000000 --tapes 10000 --gaps 100" makes it.
// Measured:
//   - opening it: the free-time computation and the window ready on the screen, painted
//     once (target at most 1 s, "target_ms"), and the resident memory the first opening
//     adds ("rss_added_mb", read from /proc before and after, target at most 100 MB; later
//     openings reuse what the first one freed, "rss_added_again_mb"); "bare_ms" is the
//     bare read and "x_bare" the ratio;
//   - scrolling through it: one viewport scrolled on and painted ("per viewport");
//   - reading the recordings tape by tape through the master link, as the computation
//     once did, beside one walk through all of them in index order.
//
// Each catalogue is generated once per run in a temporary directory.

#include "bench_support.h"
#include "catalogue_generator.h"
#include "data/Databoxunit.h"
#include "data/schema.h"
#include "data_module_world.h"
#include "engine/database.h"
#include "engine/session.h"
#include "overview/BaandOversigtFormUnit.h"
#include "overview/ProgressBarFormUnit.h"
#include "overview/tape_rows_view.h"

#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

const QString kAlias = QString::fromUtf8(schema::kAlias);

struct Layout {
    int tapes;
    int perTape;
    int gapPercent;
};
const Layout kLayouts[] = {{1000, 100, 100}, {10000, 10, 25}, {10000, 100, 100}};

using bench::residentMb;

// One catalogue, one data module and one progress window per layout for the whole run.
struct World : DataModuleWorld {
    std::unique_ptr<TProgressBarForm> progress;

    explicit World(const Layout& layout)
        : DataModuleWorld([&layout](const QString& directory) {
              generator::CatalogueSize size;
              size.recordings = layout.tapes * layout.perTape;
              size.tapes = layout.tapes;
              size.gapPercent = layout.gapPercent;
              generator::createCatalogue(directory, size);
          }) {
        box->SystemTable().open();
        progress = std::make_unique<TProgressBarForm>();
    }
};

World& world(const benchmark::State& state) {
    static std::map<std::int64_t, bench::RunWorld<World>> worlds;
    return worlds[state.range(0)].get(kLayouts[state.range(0)]);
}

using Clock = std::chrono::steady_clock;

// The bare work: the tapes and the recordings' columns the computation needs, in index
// order, every value read.
double bareReadSeconds(World& w) {
    std::shared_ptr<engine::Database> db = w.session->database(kAlias);
    engine::Statement& tapes =
        db->cached(QStringLiteral("SELECT BaandNavn, Baandlaengde FROM %1 "
                                  "ORDER BY rowid")
                       .arg(db->table(schema::tapes().fileName).qualifiedName()));
    engine::Statement& recordings = db->cached(
        QStringLiteral("SELECT Baandnummer, Starttid, SpilletidSP, Hastighed, Titel1, "
                       "VideoAutoInc FROM %1 ORDER BY Baandnummer COLLATE DANISH, Starttid, rowid")
            .arg(db->table(schema::recordings().fileName).qualifiedName()));
    const auto start = Clock::now();
    for (engine::Statement* st : {&tapes, &recordings}) {
        engine::StatementUse use(*st);
        sqlite3_stmt* s = st->handle();
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0, n = sqlite3_column_count(s); c < n; ++c) {
                if (sqlite3_column_type(s, c) == SQLITE_TEXT)
                    benchmark::DoNotOptimize(sqlite3_column_text(s, c));
                else
                    benchmark::DoNotOptimize(sqlite3_column_double(s, c));
            }
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The overview computed, shown and painted once: what the user waits for after F10.
std::unique_ptr<TBaandOversigtForm> openOverview(World& w) {
    auto form = std::make_unique<TBaandOversigtForm>(*w.box, *w.progress);
    form->startberegnpaneler();
    form->show();
    QCoreApplication::processEvents();
    form->repaint();
    return form;
}

void BM_OpenOverview(benchmark::State& state) {
    World& w = world(state);
    // A first run, so that the catalogue files are in the cache; what it adds to a process
    // that has not yet had an overview is the figure for the target.
    const double beforeFirst = residentMb();
    auto first = openOverview(w);
    const double firstAdded = residentMb() - beforeFirst;
    first.reset();
    QCoreApplication::processEvents();
    double added = 0;
    double bare = 0;
    double mine = 0;
    int rows = 0;
    int tapes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bare += bareReadSeconds(w);
        const double before = residentMb();
        state.ResumeTiming();
        const auto start = Clock::now();
        auto form = openOverview(w);
        mine += std::chrono::duration<double>(Clock::now() - start).count();
        state.PauseTiming();
        added = std::max(added, residentMb() - before);
        rows = form->rows().rowCount();
        tapes = form->rows().tapeCount();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["rows"] = rows;
    state.counters["tapes_shown"] = tapes;
    state.counters["bare_ms"] = bare / n * 1e3;
    state.counters["x_bare"] = mine / bare;
    state.counters["rss_added_mb"] = firstAdded;
    state.counters["rss_added_again_mb"] = added;
    state.counters["target_ms"] = 1000;
    state.counters["target_mb"] = 100;
}

void BM_ScrollOverview(benchmark::State& state) {
    World& w = world(state);
    auto form = openOverview(w);
    QScrollBar* bar = form->ScrollBox->verticalScrollBar();
    QWidget* viewport = form->ScrollBox->viewport();
    const int page = viewport->height();
    int pages = 0;
    for (auto _ : state) {
        const int next = bar->value() + page;
        bar->setValue(next > bar->maximum() ? 0 : next);
        viewport->repaint();
        ++pages;
    }
    state.counters["viewports_to_end"] = double(bar->maximum() / page + 1);
    state.SetItemsProcessed(pages);
}

// The recordings read tape by tape, VideoTable2's way: one re-query per tape.
void BM_ReadThroughMasterLink(benchmark::State& state) {
    World& w = world(state);
    engine::Table& tapes = w.box->BaandTable();
    engine::Table detail(*w.session);
    detail.setAliasName(kAlias);
    detail.setTableName(schema::recordings().fileName);
    detail.setIndexName(QStringLiteral("SecBaandnrStarttid"));
    detail.setFieldDefs(schema::fieldsOf(
        schema::recordings(), {QStringLiteral("Starttid"), QStringLiteral("SpilletidSP")}));
    detail.setMasterLink(&tapes, QStringLiteral("BaandNavn"));
    detail.open();
    engine::Field& start = detail.fieldByName(QStringLiteral("Starttid"));
    double sum = 0;
    int read = 0;
    for (auto _ : state) {
        read = 0;
        w.session->database(kAlias)->transaction([&] {
            for (tapes.first(); !tapes.eof(); tapes.next()) {
                for (; !detail.eof(); detail.next()) {
                    sum += start.asFloat();
                    ++read;
                }
            }
        });
    }
    benchmark::DoNotOptimize(sum);
    state.counters["recordings"] = read;
}

// The same recordings in one walk through the index, without a master link.
void BM_ReadInIndexOrder(benchmark::State& state) {
    World& w = world(state);
    engine::Table all(*w.session);
    all.setAliasName(kAlias);
    all.setTableName(schema::recordings().fileName);
    all.setIndexName(QStringLiteral("SecBaandnrStarttid"));
    all.setFieldDefs(schema::fieldsOf(schema::recordings(),
                                      {QStringLiteral("Starttid"), QStringLiteral("SpilletidSP")}));
    all.open();
    engine::Field& start = all.fieldByName(QStringLiteral("Starttid"));
    double sum = 0;
    int read = 0;
    for (auto _ : state) {
        read = 0;
        w.session->database(kAlias)->transaction([&] {
            for (all.first(); !all.eof(); all.next()) {
                sum += start.asFloat();
                ++read;
            }
        });
    }
    benchmark::DoNotOptimize(sum);
    state.counters["recordings"] = read;
}

} // namespace

BENCHMARK(BM_OpenOverview)->Unit(benchmark::kMillisecond)->Iterations(5)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_ScrollOverview)->Unit(benchmark::kMicrosecond)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_ReadThroughMasterLink)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(1);
BENCHMARK(BM_ReadInIndexOrder)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(1);

// Speed and memory of the overview report on a generated catalogue of 100,000 recordings
// in five groups (catalogue_generator.h): every group ticked and sorted by title, written to a PDF
// file as "Udskriv" does. Targets: at most 10 s for the whole report ("target_s") and at most 200
// MB peak resident memory for the process ("peak_rss_mb", read with getrusage, "target_mb").
//
// The catalogue is generated once per run in a temporary directory.

#include "bench_support.h"
#include "catalogue_generator.h"
#include "data/Databoxunit.h"
#include "data/schema.h"
#include "data_module_world.h"
#include "engine/session.h"
#include "printing/PrintOversigtRepUnit.h"

#include <QFileInfo>
#include <QPrinter>
#include <benchmark/benchmark.h>
#include <memory>
#include <sys/resource.h>

namespace {

constexpr int kRecordings = 100000;

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

void fill(const QString& directory) {
    generator::CatalogueSize size;
    size.recordings = kRecordings;
    generator::createCatalogue(directory, size);
}

// One catalogue, data module and report for the whole run.
struct World : DataModuleWorld {
    std::unique_ptr<TPrintOversigtRepForm> report;

    World() : DataModuleWorld(fill) { report = std::make_unique<TPrintOversigtRepForm>(*box); }
};

World& world() {
    static bench::RunWorld<World> w;
    return w.get();
}

void BM_OverviewReportToPdf(benchmark::State& state) {
    World& w = world();
    OversigtChoice choice;
    engine::Table& groups = w.box->GruppeTable();
    for (groups.first(); !groups.eof(); groups.next())
        choice.tickedGroups << groups.fieldByName(QStringLiteral("Gruppenavn")).asString();
    choice.sortIndex = 0; // by title
    const QString file = w.root.filePath(QStringLiteral("oversigt.pdf"));
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        pages = w.report->generate(choice, printer);
    }
    state.counters["pages"] = pages;
    state.counters["pdf_mb"] = QFileInfo(file).size() / (1024.0 * 1024.0);
    state.counters["peak_rss_mb"] = peakRssMb();
    state.counters["target_s"] = 10;
    state.counters["target_mb"] = 200;
}

} // namespace

BENCHMARK(BM_OverviewReportToPdf)->Unit(benchmark::kSecond)->Iterations(3);

// Speed and memory of the overview report on a catalogue of 100,000 recordings in five
// groups: every group ticked and sorted by title, written to a PDF file as "Udskriv" does.
// Targets: at most 10 s for the whole report ("target_s") and at most 200 MB peak resident
// memory for the process ("peak_rss_mb", read with getrusage, "target_mb").
//
// The catalogue is generated once per run in a temporary directory: the table files are
// created by the engine and filled in one transaction per table.

#include "data/Databoxunit.h"
#include "data/schema.h"
#include "data_module_world.h"
#include "engine/database.h"
#include "engine/datetime.h"
#include "engine/session.h"
#include "printing/PrintOversigtRepUnit.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <sys/resource.h>

namespace {

constexpr int kRecordings = 100000;
constexpr int kGroups = 5;
constexpr int kTapes = 2000;

double peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

void fill(const QString& directory) {
    for (const engine::TableDef* def : schema::allTables())
        engine::Database::createTable(directory, *def);
    engine::Database db(directory);
    std::mt19937 random(4711);

    engine::StoredTable& groups = db.table(schema::groups().fileName);
    db.transaction([&] {
        engine::Statement& st = db.cached(
            QStringLiteral("INSERT INTO %1 (Gruppenavn) VALUES (?)").arg(groups.qualifiedName()));
        for (int g = 1; g <= kGroups; ++g) {
            engine::StatementUse use(st);
            st.bind(1, QStringLiteral("Gruppe %1").arg(g));
            st.step();
        }
    });

    const QStringList categories{QStringLiteral("Drama"),     QStringLiteral("Komedie"),
                                 QStringLiteral("Børnefilm"), QStringLiteral("Dokumentar"),
                                 QStringLiteral("Gyser"),     QStringLiteral("Musik")};
    engine::StoredTable& recordings = db.table(schema::recordings().fileName);
    db.transaction([&] {
        engine::Statement& st =
            db.cached(QStringLiteral("INSERT INTO %1 (Titel1, Baandnummer, Starttid, Indexnummer, "
                                     "Kategori, Gruppe) VALUES (?, ?, ?, ?, ?, ?)")
                          .arg(recordings.qualifiedName()));
        for (int n = 1; n <= kRecordings; ++n) {
            engine::StatementUse use(st);
            st.bind(1, QStringLiteral("Film %1 om ærlighed og løgn").arg(random() % 1000000));
            st.bind(2, QStringLiteral("B%1").arg(random() % kTapes, 4, 10, QLatin1Char('0')));
            st.bind(3, engine::msecsToTimeFraction(qint64(random() % 480) * 60000));
            st.bind(4, int(random() % 501));
            st.bind(5, categories[int(random() % categories.size())]);
            st.bind(6, 1 + int(random() % kGroups));
            st.step();
        }
    });
}

// One catalogue, data module and report for the whole run.
struct World : DataModuleWorld {
    std::unique_ptr<TPrintOversigtRepForm> report;

    World() : DataModuleWorld(fill) { report = std::make_unique<TPrintOversigtRepForm>(*box); }
};

World& world() {
    static World w;
    return w;
}

void BM_OverviewReportToPdf(benchmark::State& state) {
    World& w = world();
    OversigtChoice choice;
    for (int g = 1; g <= kGroups; ++g)
        choice.tickedGroups << QStringLiteral("Gruppe %1").arg(g);
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

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

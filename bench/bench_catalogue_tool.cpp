// The catalogue tool on 100,000 recordings (2,000 tapes of 50, every field filled) and
// 10,000 actors, run as the user runs it (a process each time, start-up included), each
// beside bare SQLite doing the same kind of work on the same files:
//   - check (target 3 s), beside PRAGMA integrity_check of the six files and one read of
//     every recording in the browsing order;
//   - backup to a zip file and to a folder (target 2 s), beside sqlite3_backup of the six
//     files into a folder;
//   - export (target 3 s), beside writing every row of every table as text with printf;
//   - import (target 10 s), beside copying every row into empty tables with the same
//     indexes in one INSERT ... SELECT per table.
// Reported per run: the tool's time (the iteration time), "tool_cpu_s" (the processor time
// the tool used, which a busy machine does not stretch), "bare_s" and "target_s".
//
// The catalogue is generated once per run in a temporary directory (catalogue_generator.h).

#include "bench_support.h"
#include "catalogue_generator.h"
#include "data/schema.h"
#include "engine/collation.h"
#include "engine/database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>

namespace {

struct World {
    QTemporaryDir root;
    QString catalogue;
    QString csv;

    World() {
        catalogue = root.filePath(QStringLiteral("DATA"));
        QDir().mkpath(catalogue);
        generator::createCatalogue(catalogue, generator::CatalogueSize{100000, 2000, 10000});
        fillEveryField();
        csv = root.filePath(QStringLiteral("csv"));
        if (runTool({QStringLiteral("check"), catalogue}) != 0)
            std::fprintf(stderr, "The generated catalogue does not pass check\n");
        if (runTool({QStringLiteral("export"), catalogue, csv}) != 0)
            std::fprintf(stderr, "Cannot export the generated catalogue\n");
    }

    // Registers and recordings as a real collection has them.
    void fillEveryField() {
        engine::Database db(catalogue);
        const QString categories = db.table(schema::categories().fileName).qualifiedName();
        const QString actors = db.table(schema::actors().fileName).qualifiedName();
        const QString recordings = db.table(schema::recordings().fileName).qualifiedName();
        db.transaction([&] {
            db.execute(QStringLiteral("UPDATE %1 SET Fodtdato = 10000 + rowid, Billedepath = "
                                      "'billeder\\' || rowid || '.jpg'")
                           .arg(actors));
            db.execute(
                QStringLiteral(
                    "UPDATE %1 SET Titel2 = 'Anden titel, \"del\" ' || rowid, Instruktor = "
                    "'Instruktør "
                    "' || (rowid % 500), Kategori = (SELECT Kategori FROM %2 WHERE rowid = 1 + "
                    "%1.rowid % 7), Gruppe = 1 + rowid % 3, Lyd = 'Stereo', Indexnummer = rowid % "
                    "500, "
                    "Optagetdato = 35000 + rowid % 5000, Produktionsaar = 1950 + rowid % 70, Land "
                    "= "
                    "'Danmark', Noter = 'Optaget fra DR1.' || char(10) || "
                    "'Reklamer klippet ud.'")
                    .arg(recordings, categories));
        });
    }

    static int runTool(const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(SPOLEBOX_CATALOGUE_TOOL), arguments);
        process.waitForFinished(-1);
        process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

World& world() {
    static bench::RunWorld<World> w;
    return w.get();
}

// A connection of bare SQLite with the six tables attached as t0..t5 and the collation.
struct Bare {
    sqlite3* db = nullptr;

    explicit Bare(const QString& directory) {
        sqlite3_open(":memory:", &db);
        engine::registerSqlFunctions(db);
        int n = 0;
        for (const engine::TableDef* def : schema::allTables()) {
            const QByteArray sql = QStringLiteral("ATTACH '%1' AS t%2")
                                       .arg(QDir(directory).filePath(def->fileName))
                                       .arg(n++)
                                       .toUtf8();
            sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        }
    }
    ~Bare() { sqlite3_close(db); }

    void exec(const QString& sql) const {
        char* error = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "%s\n", error);
            sqlite3_free(error);
        }
    }
};

QString sqlName(int n) {
    const engine::TableDef* def = schema::allTables()[std::size_t(n)];
    return QStringLiteral("t%1.\"%2\"").arg(n).arg(def->tableName);
}

// Runs the tool once per iteration (timed) and the bare work (reported beside it);
// prepare and tidy run untimed around each.
void measure(benchmark::State& state, double target, const std::function<QStringList()>& prepare,
             const std::function<void()>& bare, const std::function<void()>& tidy) {
    double bareTotal = 0;
    double cpuTotalMs = 0; // of the tool processes
    for (auto _ : state) {
        const QStringList arguments = prepare();
        const double cpuBefore = bench::childrenCpuMs();
        QElapsedTimer clock;
        clock.start();
        if (World::runTool(arguments) != 0)
            state.SkipWithError("the tool failed");
        state.SetIterationTime(bench::secondsOf(clock));
        cpuTotalMs += bench::childrenCpuMs() - cpuBefore;
        tidy();
        clock.restart();
        bare();
        bareTotal += bench::secondsOf(clock);
        tidy();
    }
    state.counters["bare_s"] = bareTotal / double(state.iterations());
    state.counters["tool_cpu_s"] = cpuTotalMs / 1e3 / double(state.iterations());
    state.counters["target_s"] = target;
}

void BM_Check(benchmark::State& state) {
    World& w = world();
    measure(
        state, 3.0,
        [&] {
            return QStringList{QStringLiteral("check"), w.catalogue};
        },
        [&] {
            Bare bare(w.catalogue);
            for (int n = 0; n < 6; ++n)
                bare.exec(QStringLiteral("PRAGMA t%1.integrity_check").arg(n));
            bare.exec(QStringLiteral("SELECT * FROM %1 ORDER BY Baandnummer COLLATE DANISH, "
                                     "Starttid")
                          .arg(sqlName(0)));
        },
        [] {});
}

void BM_Backup(benchmark::State& state) {
    World& w = world();
    const bool zip = state.range(0) == 1;
    const QString destination =
        w.root.filePath(zip ? QStringLiteral("backup.zip") : QStringLiteral("backup"));
    auto tidy = [&] {
        QFile::remove(destination);
        QDir(destination).removeRecursively();
    };
    measure(
        state, 2.0,
        [&] {
            return QStringList{QStringLiteral("backup"), w.catalogue, destination};
        },
        [&] {
            QDir().mkpath(destination);
            Bare bare(w.catalogue);
            int n = 0;
            for (const engine::TableDef* def : schema::allTables()) {
                sqlite3* target = nullptr;
                sqlite3_open(
                    QFile::encodeName(QDir(destination).filePath(def->fileName)).constData(),
                    &target);
                const QByteArray schemaName = QStringLiteral("t%1").arg(n++).toUtf8();
                sqlite3_backup* backup =
                    sqlite3_backup_init(target, "main", bare.db, schemaName.constData());
                sqlite3_backup_step(backup, -1);
                sqlite3_backup_finish(backup);
                sqlite3_close(target);
            }
        },
        tidy);
}

void BM_Export(benchmark::State& state) {
    World& w = world();
    const QString out = w.root.filePath(QStringLiteral("export"));
    measure(
        state, 3.0,
        [&] {
            return QStringList{QStringLiteral("export"), w.catalogue, out};
        },
        [&] {
            QDir().mkpath(out);
            Bare bare(w.catalogue);
            for (int n = 0; n < 6; ++n) {
                FILE* file = std::fopen(
                    QFile::encodeName(QDir(out).filePath(QString::number(n))).constData(), "w");
                sqlite3_stmt* select = nullptr;
                sqlite3_prepare_v2(
                    bare.db,
                    QStringLiteral("SELECT * FROM %1").arg(sqlName(n)).toUtf8().constData(), -1,
                    &select, nullptr);
                const int columns = sqlite3_column_count(select);
                while (sqlite3_step(select) == SQLITE_ROW) {
                    for (int c = 0; c < columns; ++c) {
                        const auto* text = sqlite3_column_text(select, c);
                        std::fprintf(file, c ? ",%s" : "%s",
                                     text ? reinterpret_cast<const char*>(text) : "");
                    }
                    std::fputs("\r\n", file);
                }
                sqlite3_finalize(select);
                std::fclose(file);
            }
        },
        [&] { QDir(out).removeRecursively(); });
}

void BM_Import(benchmark::State& state) {
    World& w = world();
    const QString target = w.root.filePath(QStringLiteral("imported"));
    measure(
        state, 10.0,
        [&] {
            return QStringList{QStringLiteral("import"), w.csv, target};
        },
        [&] {
            QDir().mkpath(target);
            for (const engine::TableDef* def : schema::allTables())
                engine::Database::createTable(target, *def);
            Bare copy(target);
            for (int n = 0; n < 6; ++n) {
                const engine::TableDef* def = schema::allTables()[std::size_t(n)];
                copy.exec(QStringLiteral("ATTACH '%1' AS source")
                              .arg(QDir(w.catalogue).filePath(def->fileName)));
                copy.exec(QStringLiteral("BEGIN; INSERT INTO %1 SELECT * FROM source.\"%2\"; "
                                         "COMMIT; DETACH source")
                              .arg(sqlName(n), def->tableName));
            }
        },
        [&] { QDir(target).removeRecursively(); });
}

} // namespace

BENCHMARK(BM_Check)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Backup)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->ArgName("zip")
    ->Arg(1)
    ->Arg(0);
BENCHMARK(BM_Export)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Import)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The program's daily backup on a catalogue of 100,000 recordings (2,000 tapes of 50) and
// 10,000 actors:
//   - start-up to a usable main window (the closing about box shown), without and with a
//     daily backup due (arg daily_backup:1); the backup may add at most 50 ms;
//   - with the backup due, "backup_s", how long it took on its own thread, and "stall_ms",
//     the longest the main window's event loop went unserved meanwhile (ticks asked every
//     5 ms), beside "bare_backup_s", the same backup taken with the program at rest.

#include "bench_support.h"
#include "catalogue_generator.h"
#include "engine/session.h"
#include "keeping/daily_backups.h"
#include "shell/AboutFormUnit.h"
#include "shell/Spolebox.h"
#include "shell/daily_backup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <benchmark/benchmark.h>

namespace {

struct World {
    QTemporaryDir root;
    QString catalogue;
    std::unique_ptr<engine::Session> session;

    World() {
        catalogue = root.filePath(QStringLiteral("DATA"));
        QDir().mkpath(catalogue);
        generator::createCatalogue(catalogue, generator::CatalogueSize{100000, 2000, 10000});
        session = std::make_unique<engine::Session>(root.filePath(QStringLiteral("engine.ini")));
        session->addAlias(QStringLiteral("Spolebox"), catalogue, QStringLiteral("PARADOX"));
    }
};

World& world() {
    static bench::RunWorld<World> w;
    return w.get();
}

void BM_StartUp(benchmark::State& state) {
    World& w = world();
    const bool backupDue = state.range(0) == 1;
    double backupSeconds = 0;
    double stallMs = 0;
    for (auto _ : state) {
        QTemporaryDir backups;
        MainFormOptions options;
        options.session = w.session.get();
        options.programDir = w.root.path() + u'/';
        options.splashWaitMs = 0;
        options.instanceServerName =
            QStringLiteral("spolebox-bench-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        QElapsedTimer clock;
        clock.start();
        auto form = std::make_unique<TMainForm>(options);
        DailyBackup* backup =
            backupDue ? keepDailyBackups(*form, *w.session, backups.path()) : nullptr;
        QElapsedTimer backupClock;
        if (backup)
            QObject::connect(form.get(), &TMainForm::catalogueReady, [&] { backupClock.start(); });
        double startUp = 0;
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* about = qobject_cast<TAboutForm*>(QApplication::activeModalWidget())) {
                startUp = bench::secondsOf(clock);
                poll.stop();
                about->LukButton->click();
                loop.quit();
            }
        });
        poll.start();
        form->show();
        loop.exec();
        state.SetIterationTime(startUp);

        state.PauseTiming();
        if (backup) {
            // The main window goes on serving its events while the backup runs.
            QElapsedTimer sinceTick;
            sinceTick.start();
            QTimer tick;
            tick.setInterval(5);
            QObject::connect(&tick, &QTimer::timeout, [&] {
                stallMs = std::max(stallMs, double(sinceTick.nsecsElapsed()) / 1e6);
                sinceTick.restart();
            });
            QEventLoop untilDone;
            QObject::connect(backup, &DailyBackup::finished, &untilDone, &QEventLoop::quit);
            QObject::connect(backup, &DailyBackup::failed, &untilDone, &QEventLoop::quit);
            tick.start();
            if (backup->running())
                untilDone.exec();
            backupSeconds += bench::secondsOf(backupClock);
        }
        form->close();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (backupDue) {
        state.counters["backup_s"] = backupSeconds / double(state.iterations());
        state.counters["stall_ms"] = stallMs;
        QTemporaryDir backups;
        QElapsedTimer clock;
        clock.start();
        keeping::takeDailyBackup(w.catalogue, backups.path(), QDate::currentDate());
        state.counters["bare_backup_s"] = bench::secondsOf(clock);
    }
}

} // namespace

BENCHMARK(BM_StartUp)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->ArgName("daily_backup")
    ->Arg(0)
    ->Arg(1);

// Showing an actor's picture on the cast page: a photo of about 1 MB (a JPEG of 2560 x 1920
// pixels) shown in the page's picture frame (169 x 153) through the picture helper, beside
// decoding it in this process, as the program did before the helper:
//   - BM_DecodeInProcess: the file read and decoded by the helper's decoding entry, here;
//   - BM_ShowInProcess: the same, then fitted into the frame and painted once, as the cast
//     page did it;
//   - BM_ShowThroughHelper: what the cast page does: the helper started, the picture decoded
//     there and handed over, fitted into the frame and painted once. "x_in_process" is its
//     time over BM_DecodeInProcess's (target at most 2, "target_x").
// The times are wall-clock times, as the helper works in a process of its own; on a machine
// busy with other work they swing, so "cpu_ms" adds up the processor time of this process
// and its helpers per picture, and "x_in_process_cpu" compares that ("x_show_in_process_cpu"
// with BM_ShowInProcess).

#include "bench_support.h"
#include "framework/child_process.h"
#include "framework/image_control.h"
#include "framework/picture_display.h"
#include "framework/picture_fit.h"
#include "framework/picture_loader.h"
#include "picture_helper/picture_decoder.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using bench::Clock;

double g_inProcessSeconds = 0;
double g_inProcessCpuMs = 0;
double g_showInProcessCpuMs = 0;

// Processor time used so far by this process and its ended and reaped helpers.
double cpuMsWithHelpers() {
    return bench::cpuMs() + bench::childrenCpuMs();
}

// A photo-like picture: smooth colour with fine noise, which JPEG cannot make small.
QByteArray photoJpeg() {
    QImage image(2560, 1920, QImage::Format_RGB32);
    QRandomGenerator random(1937);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(random.bounded(24));
            line[x] = qRgb((x / 10 + noise) & 0xFF, (y / 8 + noise) & 0xFF, ((x + y) / 20) & 0xFF);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return bytes;
}

struct Picture {
    Picture() {
        path = dir.filePath(QStringLiteral("foto.jpg"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(photoJpeg()) <= 0)
            qFatal("cannot write %s", qPrintable(path));
        size = file.size();
    }
    QTemporaryDir dir;
    QString path;
    qint64 size = 0;
};

const Picture& picture() {
    static bench::RunWorld<Picture> p;
    return p.get();
}

// The cast page's picture frame, on the screen; it counts the paintings of its picture, so
// that each benchmark can show it really painted every picture ("paints").
struct Frame : QObject {
    Frame() : box(QStringLiteral("Billede")), image(new framework::ImageControl(&box)) {
        box.resize(169, 153);
        image->setStretch(true);
        image->hide();
        image->installEventFilter(this);
        box.show();
        QEventLoop settle;
        while (!box.windowHandle() || !box.windowHandle()->isExposed())
            settle.processEvents(QEventLoop::AllEvents, 10);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    QGroupBox box;
    framework::ImageControl* image;
    int paints = 0;
};

QImage decodeInProcess(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return picture_helper::decodePicture(file.readAll(), framework::PictureFormat::Jpeg);
}

void BM_DecodeInProcess(benchmark::State& state) {
    const Picture& p = picture();
    const Clock::time_point start = Clock::now();
    const double cpuStart = bench::cpuMs();
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeInProcess(p.path));
    const double iterations = double(state.iterations());
    g_inProcessSeconds = std::chrono::duration<double>(Clock::now() - start).count() / iterations;
    g_inProcessCpuMs = (bench::cpuMs() - cpuStart) / iterations;
    state.counters["jpeg_kb"] = double(p.size) / 1024;
    state.counters["cpu_ms"] = g_inProcessCpuMs;
}

// As the cast page did before the helper: the picture hidden, decoded, fitted and shown;
// the one before stays in the control until the new one replaces it.
void BM_ShowInProcess(benchmark::State& state) {
    const Picture& p = picture();
    Frame frame;
    const double cpuStart = bench::cpuMs();
    for (auto _ : state) {
        frame.image->hide();
        const QImage decoded = decodeInProcess(p.path);
        frame.image->setPicture(decoded);
        frame.image->setGeometry(framework::fitPictureInFrame(frame.box.size(), decoded.size()));
        frame.image->show();
        frame.image->repaint();
    }
    g_showInProcessCpuMs = (bench::cpuMs() - cpuStart) / double(state.iterations());
    state.counters["cpu_ms"] = g_showInProcessCpuMs;
    state.counters["paints"] = double(frame.paints) / double(state.iterations());
}

void BM_ShowThroughHelper(benchmark::State& state) {
    const Picture& p = picture();
    Frame frame;
    framework::PictureDisplay display(frame.image, &frame.box, nullptr);
    QEventLoop loop;
    bool failed = false;
    QObject::connect(&display.loader(), &framework::PictureLoader::loaded, &loop,
                     &QEventLoop::quit);
    QObject::connect(&display.loader(), &framework::PictureLoader::failed, &loop,
                     [&failed, &loop](const QString&, const QString& message) {
                         failed = true;
                         qWarning("%s", qPrintable(message));
                         loop.quit();
                     });
    const Clock::time_point start = Clock::now();
    const double cpuStart = cpuMsWithHelpers();
    for (auto _ : state) {
        display.showFile(p.path);
        loop.exec();
        frame.image->repaint();
        if (failed) {
            state.SkipWithError("the helper gave no picture");
            break;
        }
    }
    const double iterations = double(state.iterations());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count() / iterations;
    const double cpu = (cpuMsWithHelpers() - cpuStart) / iterations;
    state.counters["cpu_ms"] = cpu;
    state.counters["paints"] = double(frame.paints) / iterations;
    if (g_inProcessSeconds > 0)
        state.counters["x_in_process"] = seconds / g_inProcessSeconds;
    if (g_inProcessCpuMs > 0)
        state.counters["x_in_process_cpu"] = cpu / g_inProcessCpuMs;
    if (g_showInProcessCpuMs > 0)
        state.counters["x_show_in_process_cpu"] = cpu / g_showInProcessCpuMs;
    state.counters["target_x"] = 2;
}

// What starting and reaping a program costs here: /bin/true through the same runner.
void BM_StartTrivialProgram(benchmark::State& state) {
    framework::ChildProcess child;
    QEventLoop loop;
    QObject::connect(&child, &framework::ChildProcess::ended, &loop, &QEventLoop::quit);
    for (auto _ : state) {
        child.start(QStringLiteral("/bin/true"), {}, std::chrono::seconds(5));
        loop.exec();
    }
}

} // namespace

BENCHMARK(BM_StartTrivialProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecodeInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShowInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShowThroughHelper)->Unit(benchmark::kMillisecond)->UseRealTime();

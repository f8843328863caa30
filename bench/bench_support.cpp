#include "bench_support.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

std::vector<std::function<void()>>& releases() {
    static std::vector<std::function<void()>> list;
    return list;
}

std::vector<std::function<void()>>& afterRunWork() {
    static std::vector<std::function<void()>> list;
    return list;
}

void releaseWorlds() {
    std::vector<std::function<void()>>& list = releases();
    while (!list.empty()) {
        const std::function<void()> release = std::move(list.back());
        list.pop_back();
        release();
    }
}

} // namespace

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double secondsOf(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e9;
}

double cpuMs() {
    return 1e3 * double(std::clock()) / CLOCKS_PER_SEC;
}

double childrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double residentMb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void releaseAtEnd(std::function<void()> release) {
    releases().push_back(std::move(release));
}

bool afterRun(std::function<void()> work) {
    afterRunWork().push_back(std::move(work));
    return true;
}

int runBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const std::function<void()>& work : afterRunWork())
        work();
    releaseWorlds();
    return 0;
}

} // namespace bench

#pragma once

// What every benchmark program shares: its main() (bench_main.cpp), the worlds a run
// builds once and releases at its end, and readings of the process's memory and time.

#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>

namespace bench {

using Clock = std::chrono::steady_clock;

// Milliseconds since start.
double msSince(Clock::time_point start);

// Seconds on a running clock.
double secondsOf(const QElapsedTimer& clock);

// Processor time this process has used, in milliseconds: on a busy machine the wall time
// of a run says more about the others than about it.
double cpuMs();

// Processor time of the child processes that have ended and been reaped, in milliseconds.
double childrenCpuMs();

// Resident memory of the process now, in MB, from /proc/self/statm.
double residentMb();

// Runs release at the end of main(), after the benchmarks and while the application
// object still stands: windows and the data module must not outlive it. The latest
// registered runs first.
void releaseAtEnd(std::function<void()> release);

// Runs work at the end of main(), once every benchmark has run and before the worlds are
// released (a summary of the run). Returns true, so that a program can register its work
// with a namespace-scope constant.
bool afterRun(std::function<void()> work);

// Runs the benchmarks the command line asks for, then the work registered with afterRun,
// then releases the worlds. Returns main()'s exit code.
int runBenchmarks(int& argc, char** argv);

// A world built on first use, kept for the rest of the run and released at the end of
// main(). Hold it in a function-local static:
//     World& world() {
//         static bench::RunWorld<World> w;
//         return w.get();
//     }
template <class World> class RunWorld {
public:
    RunWorld() = default;
    RunWorld(const RunWorld&) = delete;
    RunWorld& operator=(const RunWorld&) = delete;

    // The world, built with args on the first call.
    template <class... Args> World& get(Args&&... args) {
        if (!m_world) {
            m_world = std::make_unique<World>(std::forward<Args>(args)...);
            releaseAtEnd([this] { m_world.reset(); });
        }
        return *m_world;
    }

private:
    std::unique_ptr<World> m_world;
};

} // namespace bench

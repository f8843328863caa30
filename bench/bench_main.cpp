// The main() of every benchmark program: the application object, then the benchmarks,
// then the worlds released while it still stands (a window destroyed after it crashes
// the program at exit). Built twice: with SPOLEBOX_BENCH_WIDGETS for the programs that
// show windows (a QApplication, offscreen unless QT_QPA_PLATFORM names a platform), and
// without for the others (a QCoreApplication).

#include "bench_support.h"

#ifdef SPOLEBOX_BENCH_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv) {
#ifdef SPOLEBOX_BENCH_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    return bench::runBenchmarks(argc, argv);
}

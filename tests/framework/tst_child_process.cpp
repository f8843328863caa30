#include "engine/error.h"
#include "framework/child_process.h"

#include <QtTest>
#include <csignal>
#include <thread>

using framework::runInChildProcess;
using namespace std::chrono_literals;

namespace {

const QString kFailure = QStringLiteral("Metafilen er beskadiget.");

QString failureOf(const std::function<QByteArray()>& work, std::chrono::milliseconds timeout) {
    try {
        runInChildProcess(work, timeout, kFailure);
    } catch (const engine::Error& error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

// The child process that the metafile decoders run in: its answer comes back whole, and
// whatever goes wrong in it ends as an error, never in the program.
class TestChildProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answer_data();
    void answer();
    void errorOfTheWork();
    void crash_data();
    void crash();
    void hangIsStopped();
};

void TestChildProcess::answer_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("small") << QByteArray("PNG");
    QByteArray large(3 * 1024 * 1024 + 7, 'x'); // more than a pipe holds
    large[12345] = '\0';
    QTest::newRow("larger than the pipe") << large;
}

void TestChildProcess::answer() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(runInChildProcess([&bytes] { return bytes; }, 10s, kFailure), bytes);
}

void TestChildProcess::errorOfTheWork() {
    const auto work = []() -> QByteArray { throw engine::Error(QStringLiteral("Filen er tom.")); };
    QCOMPARE(failureOf(work, 10s), "Filen er tom.");
}

void TestChildProcess::crash_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("segmentation fault") << SIGSEGV;
    QTest::newRow("abort") << SIGABRT;
    QTest::newRow("floating point") << SIGFPE;
    QTest::newRow("killed") << SIGKILL;
}

void TestChildProcess::crash() {
    QFETCH(int, signal);
    const auto work = [signal]() -> QByteArray {
        std::raise(signal);
        return QByteArray("not reached");
    };
    QCOMPARE(failureOf(work, 10s), kFailure);
    // The program goes on, and so does the next child.
    QCOMPARE(runInChildProcess([] { return QByteArray("ok"); }, 10s, kFailure), "ok");
}

void TestChildProcess::hangIsStopped() {
    QElapsedTimer timer;
    timer.start();
    const auto work = []() -> QByteArray {
        std::this_thread::sleep_for(60s);
        return QByteArray();
    };
    QCOMPARE(failureOf(work, 300ms), kFailure);
    QVERIFY(timer.elapsed() < 10000);
}

QTEST_MAIN(TestChildProcess)
#include "tst_child_process.moc"

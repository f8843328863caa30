#include "framework/child_process.h"
#include "process_children.h"

#include <QtTest>

using framework::ChildProcess;
using namespace std::chrono_literals;

namespace {

struct Run {
    std::optional<ChildProcess::Ending> ending;
    int endings = 0;
    int exitCode = -1;
    QByteArray output;
};

// Runs a shell command to its end, reading its output as it comes.
Run runShell(ChildProcess& child, const QString& command, std::chrono::milliseconds limit) {
    Run run;
    const auto read = QObject::connect(&child, &ChildProcess::outputReady, [&] {
        QByteArray chunk(int(child.bytesAvailable()), '\0');
        chunk.resize(qsizetype(child.read(chunk.data(), chunk.size())));
        run.output += chunk;
    });
    const auto ended = QObject::connect(&child, &ChildProcess::ended, [&](ChildProcess::Ending e) {
        run.ending = e;
        ++run.endings;
        run.exitCode = child.exitCode();
    });
    child.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}, limit);
    (void)QTest::qWaitFor([&run] { return run.ending.has_value(); }, 30000);
    QObject::disconnect(read);
    QObject::disconnect(ended);
    return run;
}

} // namespace

// The runner of the picture helper: a program is watched, timed and always reaped, and
// whatever becomes of it ends in exactly one report.
class TestChildProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endings_data();
    void endings();
    void outputLargerThanThePipe();
    void programThatIsMissing();
    void stoppedProgramIsReapedAndNotHeardOf();
    void destroyedRunnerReapsItsProgram();
};

void TestChildProcess::endings_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("ending");
    QTest::addColumn<int>("exitCode"); // -1: not looked at
    QTest::newRow("exit 0") << "exit 0" << int(ChildProcess::Ending::Exited) << 0;
    QTest::newRow("exit 3") << "exit 3" << int(ChildProcess::Ending::Exited) << 3;
    QTest::newRow("segmentation fault")
        << "kill -SEGV $$" << int(ChildProcess::Ending::Crashed) << -1;
    QTest::newRow("abort") << "kill -ABRT $$" << int(ChildProcess::Ending::Crashed) << -1;
    QTest::newRow("killed") << "kill -KILL $$" << int(ChildProcess::Ending::Crashed) << -1;
    QTest::newRow("hangs") << "sleep 60" << int(ChildProcess::Ending::TimedOut) << -1;
}

void TestChildProcess::endings() {
    QFETCH(QString, command);
    QFETCH(int, ending);
    QFETCH(int, exitCode);
    ChildProcess child;
    const Run run = runShell(child, command, 500ms);
    QVERIFY(run.ending);
    QCOMPARE(int(*run.ending), ending);
    QCOMPARE(run.endings, 1);
    if (exitCode >= 0)
        QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!child.isRunning());
    QCOMPARE(childProcessesOfThisProcess(), QList<qint64>());
}

void TestChildProcess::outputLargerThanThePipe() {
    ChildProcess child;
    const Run run = runShell(child, QStringLiteral("head -c 3145735 /dev/zero"), 10s);
    QCOMPARE(run.ending, ChildProcess::Ending::Exited);
    QCOMPARE(run.output.size(), 3145735);
}

void TestChildProcess::programThatIsMissing() {
    ChildProcess child;
    std::optional<ChildProcess::Ending> ending;
    connect(&child, &ChildProcess::ended, [&ending](ChildProcess::Ending e) { ending = e; });
    child.start(QStringLiteral("/nonexistent/spolebox-picture-helper"), {}, 10s);
    QVERIFY(!ending); // told after start() has returned
    QTRY_COMPARE(ending, ChildProcess::Ending::NotStarted);
}

void TestChildProcess::stoppedProgramIsReapedAndNotHeardOf() {
    ChildProcess child;
    int endings = 0;
    connect(&child, &ChildProcess::ended, [&endings] { ++endings; });
    child.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")}, 60s);
    QTRY_COMPARE(childProcessesOfThisProcess().size(), 1);
    child.stop();
    QVERIFY(!child.isRunning());
    QTRY_COMPARE(childProcessesOfThisProcess(), QList<qint64>());
    QTest::qWait(50);
    QCOMPARE(endings, 0);
}

void TestChildProcess::destroyedRunnerReapsItsProgram() {
    {
        ChildProcess child;
        child.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")}, 60s);
        QTRY_COMPARE(childProcessesOfThisProcess().size(), 1);
    }
    QCOMPARE(childProcessesOfThisProcess(), QList<qint64>());
}

QTEST_MAIN(TestChildProcess)
#include "tst_child_process.moc"

// One copy per user: a second process finds the first, brings it forward and ends with
// exit code 0; a socket left behind by a crashed copy does not block a new start.

#include "shell/JustOne.h"

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <cstdio>

namespace {

const char* const kChildVariable = "SPOLEBOX_JUSTONE_CHILD";

QString freshServerName() {
    return QStringLiteral("spolebox-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// Starts this test program as another copy of the program, guarding with the same name.
std::unique_ptr<QProcess> startCopy(const QString& serverName) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), serverName);
    process->setProcessEnvironment(env);
    process->start(QCoreApplication::applicationFilePath(), {});
    return process;
}

// The other copy: the guard ends it at once when a copy runs; otherwise it says so and waits.
int runCopy(int argc, char** argv) {
    QApplication app(argc, argv);
    TJustOne guard(nullptr, qEnvironmentVariable(kChildVariable));
    std::printf("alone\n");
    std::fflush(stdout);
    QTimer::singleShot(20000, &app, &QCoreApplication::quit);
    return app.exec() == 0 ? 3 : 4;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondCopyRestoresMinimisedMainWindow();
    void secondCopyBringsOpenDialogForward();
    void staleSocketDoesNotBlockStart();
};

void TestSingleInstance::secondCopyRestoresMinimisedMainWindow() {
    const QString name = freshServerName();
    TJustOne guard(nullptr, name);
    QVERIFY(!guard.foundOtherCopy());
    QVERIFY(guard.isListening());
    QWidget mainWindow;
    mainWindow.setObjectName(QStringLiteral("MainForm"));
    mainWindow.showMinimized();
    QTRY_VERIFY(mainWindow.isMinimized());
    QSignalSpy asked(&guard, &TJustOne::activationRequested);

    auto copy = startCopy(name);
    QVERIFY(copy->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(asked.count(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(copy->state(), QProcess::NotRunning, 10000);
    QCOMPARE(copy->exitStatus(), QProcess::NormalExit);
    QCOMPARE(copy->exitCode(), 0);
    QCOMPARE(copy->readAllStandardOutput(), QByteArray()); // it never got past the guard
    QVERIFY(!mainWindow.isMinimized());
    QCOMPARE(guard.lastActivated(), &mainWindow);
}

void TestSingleInstance::secondCopyBringsOpenDialogForward() {
    const QString name = freshServerName();
    TJustOne guard(nullptr, name);
    QWidget mainWindow;
    mainWindow.setObjectName(QStringLiteral("MainForm"));
    mainWindow.show();
    QDialog dialog(&mainWindow);
    dialog.setObjectName(QStringLiteral("SomeDialog"));
    QWidget* activated = nullptr;
    int exitCode = -1;
    QTimer::singleShot(0, this, [&] {
        auto copy = startCopy(name);
        copy->waitForStarted();
        QSignalSpy asked(&guard, &TJustOne::activationRequested);
        asked.wait(10000);
        const bool ended =
            QTest::qWaitFor([&] { return copy->state() == QProcess::NotRunning; }, 10000);
        exitCode = ended ? copy->exitCode() : -2;
        activated = guard.lastActivated();
        dialog.reject();
    });
    dialog.exec();
    QCOMPARE(exitCode, 0);
    QCOMPARE(activated, &dialog);
}

void TestSingleInstance::staleSocketDoesNotBlockStart() {
    const QString name = freshServerName();
    // A first copy that dies without cleaning up leaves its socket behind.
    auto crashed = startCopy(name);
    QVERIFY(crashed->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(crashed->canReadLine() || crashed->waitForReadyRead(100), 10000);
    QCOMPARE(crashed->readLine().trimmed(), QByteArray("alone"));
    crashed->kill();
    QVERIFY(crashed->waitForFinished(5000));

    TJustOne guard(nullptr, name);
    QVERIFY(!guard.foundOtherCopy());
    QVERIFY(guard.isListening());
    // And it is found by the copy after it.
    QSignalSpy asked(&guard, &TJustOne::activationRequested);
    auto next = startCopy(name);
    QVERIFY(next->waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(asked.count(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(next->state(), QProcess::NotRunning, 10000);
    QCOMPARE(next->exitCode(), 0);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildVariable))
        return runCopy(argc, argv);
    QApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_single_instance.moc"

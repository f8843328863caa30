// One copy per user and display: a second process finds the first, brings it forward and
// ends with exit code 0; of copies started at the same moment exactly one runs; a socket
// left behind by a crashed copy does not block a new start; the meeting point lies in a
// folder of the user's own.

#include "shell/JustOne.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <cstdio>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Set for a child copy: the meeting point's name ("" for the program's own name).
const char* const kChildVariable = "SPOLEBOX_JUSTONE_CHILD";
// Set for copies that must start together: the moment (ms since the epoch) they all wait for.
const char* const kStartAtVariable = "SPOLEBOX_JUSTONE_START_AT";

// Sets an environment variable (or unsets it, for a null value) while the object lives.
class EnvironmentChange {
public:
    EnvironmentChange(const char* name, const QString& value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentChange() {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentChange(const EnvironmentChange&) = delete;
    EnvironmentChange& operator=(const EnvironmentChange&) = delete;

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_old;
};

int modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Short: a socket's whole path must stay below about a hundred characters.
QString freshServerName() {
    return QStringLiteral("spolebox-test-") +
           QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
}

// A folder standing for the temporary folder every user writes in.
QString sharedTemplate() {
    return QDir::tempPath() + QStringLiteral("/sh-XXXXXX");
}

// Starts this test program as another copy of the program, guarding with the same name;
// more maps further environment variables to their values.
std::unique_ptr<QProcess> startCopy(const QString& serverName,
                                    const std::map<QString, QString>& more = {}) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), serverName);
    for (const auto& [name, value] : more)
        env.insert(name, value);
    process->setProcessEnvironment(env);
    process->start(QCoreApplication::applicationFilePath(), {});
    return process;
}

// The other copy: the guard ends it at once when a copy runs; otherwise it says "alone",
// then "raised" each time a later copy brings it forward, and waits.
int runCopy(int argc, char** argv) {
    QApplication app(argc, argv);
    if (const qint64 at = qgetenv(kStartAtVariable).toLongLong(); at > 0) {
        // Asleep until just before the moment, then awake: the copies go within a hair.
        if (const qint64 wait = at - QDateTime::currentMSecsSinceEpoch() - 50; wait > 0)
            QThread::msleep(static_cast<unsigned long>(wait));
        while (QDateTime::currentMSecsSinceEpoch() < at) {
        }
    }
    const QString name = qEnvironmentVariable(kChildVariable);
    TJustOne guard(nullptr, name.isEmpty() ? TJustOne::defaultServerName() : name);
    std::printf("alone\n");
    std::fflush(stdout);
    QObject::connect(&guard, &TJustOne::activationRequested, [] {
        std::printf("raised\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    return app.exec() == 0 ? 3 : 4;
}

// What a copy wrote so far, line by line.
QStringList linesOf(QProcess& process) {
    process.waitForReadyRead(0);
    QStringList lines;
    for (const QByteArray& line : process.peek(1 << 16).split('\n')) {
        if (!line.isEmpty())
            lines << QString::fromLatin1(line);
    }
    return lines;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondCopyRestoresMinimisedMainWindow();
    void secondCopyBringsOpenDialogForward();
    void staleSocketDoesNotBlockStart();
    void copiesStartedTogether_data();
    void copiesStartedTogether();
    void copiesOnOtherDisplaysBothRun();
    void meetingPointInUsersOwnFolder_data();
    void meetingPointInUsersOwnFolder();
    void listenerInSharedFolderIgnored();
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

void TestSingleInstance::copiesStartedTogether_data() {
    QTest::addColumn<int>("copies");
    QTest::newRow("two") << 2;
    QTest::newRow("four") << 4;
}

// Copies started at the same moment: exactly one runs, the others bring it forward and end
// with exit code 0.
void TestSingleInstance::copiesStartedTogether() {
    QFETCH(int, copies);
    const QString name = freshServerName();
    const QString startAt = QString::number(QDateTime::currentMSecsSinceEpoch() + 3000);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < copies; ++i) {
        processes.push_back(startCopy(name, {{QString::fromLatin1(kStartAtVariable), startAt}}));
        QVERIFY(processes.back()->waitForStarted());
    }
    auto running = [&] {
        return std::count_if(processes.begin(), processes.end(),
                             [](const auto& p) { return p->state() != QProcess::NotRunning; });
    };
    QTRY_COMPARE_WITH_TIMEOUT(running(), 1, 20000);
    QProcess* survivor = nullptr;
    for (const auto& p : processes) {
        if (p->state() != QProcess::NotRunning) {
            survivor = p.get();
            continue;
        }
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(p->readAllStandardOutput(), QByteArray()); // it never got past the guard
    }
    QStringList raisedOnce{QStringLiteral("alone")};
    for (int i = 1; i < copies; ++i)
        raisedOnce << QStringLiteral("raised");
    QTRY_COMPARE_WITH_TIMEOUT(linesOf(*survivor), raisedOnce, 10000);
    survivor->kill();
    survivor->waitForFinished(5000);
}

// The same user on two displays runs a copy on each.
void TestSingleInstance::copiesOnOtherDisplaysBothRun() {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const char* display : {":71", ":72"}) {
        processes.push_back(
            startCopy(QString(), {{QStringLiteral("DISPLAY"), QString::fromLatin1(display)},
                                  {QStringLiteral("WAYLAND_DISPLAY"), QString()}}));
        QVERIFY(processes.back()->waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(linesOf(*processes.back()), QStringList{QStringLiteral("alone")},
                                  10000);
    }
    for (const auto& p : processes) {
        QCOMPARE(p->state(), QProcess::Running);
        p->kill();
        p->waitForFinished(5000);
    }
}

void TestSingleInstance::meetingPointInUsersOwnFolder_data() {
    QTest::addColumn<int>("runtimeMode"); // of $XDG_RUNTIME_DIR; 0: not set
    QTest::addColumn<bool>("runtimeUsed");
    QTest::newRow("runtime folder of the user") << 0700 << true;
    QTest::newRow("no runtime folder") << 0 << false;
    QTest::newRow("runtime folder open to others") << 0777 << false;
}

// The socket and its lock lie in $XDG_RUNTIME_DIR when that is the user's private folder,
// else in a private folder made for the purpose; never in the shared temporary folder.
void TestSingleInstance::meetingPointInUsersOwnFolder() {
    QFETCH(int, runtimeMode);
    QFETCH(bool, runtimeUsed);
    QTemporaryDir shared(sharedTemplate());
    QTemporaryDir runtime;
    QVERIFY(shared.isValid() && runtime.isValid());
    QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), mode_t(runtimeMode)) == 0);
    EnvironmentChange temp("TMPDIR", shared.path());
    EnvironmentChange xdg("XDG_RUNTIME_DIR", runtimeMode ? runtime.path() : QString());

    const QString name = freshServerName();
    TJustOne guard(nullptr, name);
    QVERIFY(guard.isListening());
    const QString folder = QFileInfo(guard.socketPath()).absolutePath();
    if (runtimeUsed) {
        QCOMPARE(folder, runtime.path());
    } else {
        QVERIFY(folder.startsWith(shared.path() + u'/'));
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(QFileInfo(folder).ownerId(), ::geteuid());
    }
    QCOMPARE(QFileInfo(guard.socketPath()).fileName(), name);
    QVERIFY(QFileInfo::exists(guard.socketPath()));
    QVERIFY(!QFileInfo::exists(shared.filePath(name)));
}

// Whatever listens on a name in the shared temporary folder is no copy of the program.
void TestSingleInstance::listenerInSharedFolderIgnored() {
    QTemporaryDir shared(sharedTemplate());
    QTemporaryDir runtime;
    QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), 0700) == 0);
    EnvironmentChange temp("TMPDIR", shared.path());
    EnvironmentChange xdg("XDG_RUNTIME_DIR", runtime.path());
    QLocalServer stranger;
    QVERIFY(stranger.listen(shared.filePath(QStringLiteral("spolebox-%1").arg(::getuid()))));

    bool ended = false;
    TJustOne guard(nullptr, TJustOne::defaultServerName(), [&ended] { ended = true; });
    QVERIFY(!ended);
    QVERIFY(!guard.foundOtherCopy());
    QVERIFY(guard.isListening());
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildVariable))
        return runCopy(argc, argv);
    // The tests and their copies meet in a runtime folder of their own.
    QTemporaryDir runtime;
    if (!runtime.isValid() || ::chmod(QFile::encodeName(runtime.path()).constData(), 0700) != 0)
        return 2;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_single_instance.moc"

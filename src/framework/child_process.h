#pragma once

#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <chrono>

class QTimer;

namespace framework {

// Runs a helper program of the project (QProcess: a new program, never a copy of this one)
// and watches it while the event loop runs on: it is killed when it takes longer than its
// time limit, its standard error is thrown away, and it is always reaped, also when it is
// stopped early or its owner goes. The owner reads its standard output as it comes.
//
//   auto* child = new ChildProcess(this);
//   connect(child, &ChildProcess::outputReady, ...);  // child->read(...)
//   connect(child, &ChildProcess::ended, ...);
//   child->start(program, {file}, 5s);
class ChildProcess : public QObject {
    Q_OBJECT
public:
    enum class Ending {
        Exited,     // ended by itself; exitCode() says how
        Crashed,    // ended by a signal (a crash, or killed from outside)
        TimedOut,   // killed at the time limit
        NotStarted, // the program could not be started
    };
    Q_ENUM(Ending)

    explicit ChildProcess(QObject* parent = nullptr);
    // Kills a program still running; it is reaped before this returns.
    ~ChildProcess() override;

    // Starts the program; a program still running from an earlier start is stopped first.
    // A descriptor of this process given as `shared` is the program's descriptor 3.
    void start(const QString& program, const QStringList& arguments,
               std::chrono::milliseconds timeLimit, int shared = -1);
    // Kills the running program without waiting for it (it is reaped when it has gone);
    // nothing more is heard of it.
    void stop();
    bool isRunning() const { return m_process != nullptr; }

    // What the program has written to its standard output and not been read yet.
    qint64 bytesAvailable() const;
    qint64 read(char* data, qint64 maxSize);

    // Valid after ended(Exited).
    int exitCode() const { return m_exitCode; }

Q_SIGNALS:
    void outputReady();
    // Once per start, after the program has been reaped (not after stop()).
    void ended(framework::ChildProcess::Ending ending);

private:
    void finish(Ending ending);

    QPointer<QProcess> m_process;
    QTimer* m_timer = nullptr;
    bool m_timedOut = false;
    int m_exitCode = 0;
};

} // namespace framework

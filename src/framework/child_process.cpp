#include "child_process.h"

#include <QProcess>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

namespace framework {

ChildProcess::ChildProcess(QObject* parent) : QObject(parent), m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (!m_process)
            return;
        m_timedOut = true;
        m_process->kill();
    });
}

ChildProcess::~ChildProcess() {
    // Every program started and not yet reaped: the running one and those stopped earlier.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(-1);
        }
    }
}

void ChildProcess::start(const QString& program, const QStringList& arguments,
                         std::chrono::milliseconds timeLimit, int shared) {
    stop();
    auto* process = new QProcess(this);
    m_process = process;
    m_timedOut = false;
    m_exitCode = 0;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->setReadChannel(QProcess::StandardOutput);
    if (shared >= 0) {
        // In the child, between fork and exec: only calls that are safe there.
        process->setChildProcessModifier([shared] {
            if (shared == 3)
                ::fcntl(3, F_SETFD, 0);
            else
                ::dup2(shared, 3);
        });
    }
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        if (process == m_process)
            Q_EMIT outputReady();
    });
    connect(process, &QProcess::finished, this,
            [this, process](int exitCode, QProcess::ExitStatus status) {
                if (process != m_process)
                    return;
                m_exitCode = exitCode;
                finish(m_timedOut                      ? Ending::TimedOut
                       : status == QProcess::CrashExit ? Ending::Crashed
                                                       : Ending::Exited);
            });
    // Told after start() has returned, like every other ending.
    connect(
        process, &QProcess::errorOccurred, this,
        [this, process](QProcess::ProcessError error) {
            if (process == m_process && error == QProcess::FailedToStart)
                finish(Ending::NotStarted);
        },
        Qt::QueuedConnection);
    m_timer->start(timeLimit);
    process->start(program, arguments, QIODevice::ReadOnly);
}

void ChildProcess::stop() {
    m_timer->stop();
    QProcess* process = m_process;
    m_process = nullptr;
    if (!process)
        return;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Reaped by QProcess when it has gone; the object goes with it.
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

qint64 ChildProcess::bytesAvailable() const {
    return m_process ? m_process->bytesAvailable() : 0;
}

qint64 ChildProcess::read(char* data, qint64 maxSize) {
    return m_process ? m_process->read(data, maxSize) : -1;
}

void ChildProcess::finish(Ending ending) {
    m_timer->stop();
    QProcess* process = m_process;
    // The owner may still read what is left of the output while it hears of the end.
    Q_EMIT ended(ending);
    if (m_process == process)
        m_process = nullptr;
    if (process) {
        process->disconnect(this);
        process->deleteLater();
    }
}

} // namespace framework

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

// The single-instance guard. Built while the main window is being built: when another
// copy of the program already runs for this user on this display, that copy is asked to
// come to the front (its open modal dialog, or its main window, restored when minimised)
// and this process ends at once with exit code 0, before any window is shown.
//
// The running copy holds a lock file and listens on a local socket beside it, both in a
// folder only the user can enter. The lock decides which copy runs, however close together
// they start; the socket only carries the request to come forward.
class TJustOne : public QObject {
    Q_OBJECT
public:
    using EndProcess = std::function<void()>;

    // serverName: the meeting point's name in guardFolder(); endProcess: how this copy ends
    // when another runs (tests replace the default, which exits with code 0).
    explicit TJustOne(QObject* parent = nullptr, const QString& serverName = defaultServerName(),
                      EndProcess endProcess = {});
    ~TJustOne() override;

    // One meeting point per user and display (or session, without a display).
    static QString defaultServerName();
    // The folder of the socket and the lock: $XDG_RUNTIME_DIR when it is the user's private
    // folder, else a private folder made for it in the temporary folder. Empty when neither
    // can be had safely; the program then starts without the guard.
    static QString guardFolder();

    // True when this copy found another one running (and has asked it to come forward).
    bool foundOtherCopy() const { return m_foundOther; }
    bool isListening() const;
    // Where the running copy listens; empty without a guard folder.
    const QString& socketPath() const { return m_socketPath; }
    // The window last brought to the front for another copy.
    QWidget* lastActivated() const { return m_lastActivated; }

Q_SIGNALS:
    // The running copy was asked to come to the front (after it has done so).
    void activationRequested();

private:
    enum class Start { Alone, OtherCopyRuns, Unguarded };
    // Takes the lock, or asks the copy that holds it to come forward (waiting for it to
    // answer while it starts).
    Start takeLock();
    bool askToComeForward() const;
    void listen();
    void bringToFront();

    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_lastActivated;
    bool m_foundOther = false;
};

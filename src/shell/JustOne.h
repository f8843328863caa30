#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QLocalServer;

// The single-instance guard. Built while the main window is being built: when another
// copy of the program already runs for this user, that copy is asked to come to the
// front (its open modal dialog, or its main window, restored when minimised) and this
// process ends at once with exit code 0, before any window is shown.
class TJustOne : public QObject {
    Q_OBJECT
public:
    using EndProcess = std::function<void()>;

    // serverName: the per-user meeting point; endProcess: how this copy ends when another
    // runs (tests replace the default, which exits with code 0).
    explicit TJustOne(QObject* parent = nullptr, const QString& serverName = defaultServerName(),
                      EndProcess endProcess = {});
    ~TJustOne() override;

    static QString defaultServerName();
    // True when this copy found another one running (and has asked it to come forward).
    bool foundOtherCopy() const { return m_foundOther; }
    bool isListening() const;
    // The window last brought to the front for another copy.
    QWidget* lastActivated() const { return m_lastActivated; }

Q_SIGNALS:
    // The running copy was asked to come to the front (after it has done so).
    void activationRequested();

private:
    void listen();
    void bringToFront();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_lastActivated;
    bool m_foundOther = false;
};

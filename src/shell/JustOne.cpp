#include "JustOne.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr int kConnectTimeoutMs = 500;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

} // namespace

QString TJustOne::defaultServerName() {
    // One meeting point per user of the desktop.
    return QStringLiteral("spolebox-%1").arg(::getuid());
}

TJustOne::TJustOne(QObject* parent, const QString& serverName, EndProcess endProcess)
    : QObject(parent), m_serverName(serverName) {
    setObjectName(QStringLiteral("JustOne1"));
    // Ask first: only a live copy answers. A socket left behind by a crash does not.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(kConnectTimeoutMs)) {
        probe.write(kActivate);
        probe.waitForBytesWritten(kConnectTimeoutMs);
        probe.disconnectFromServer();
        m_foundOther = true;
        if (endProcess) {
            endProcess();
            return;
        }
        std::fflush(nullptr);
        std::_Exit(0);
    }
    listen();
}

TJustOne::~TJustOne() = default;

void TJustOne::listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        // A stale socket from a copy that crashed: nobody answered above, so take it over.
        QLocalServer::removeServer(m_serverName);
        m_server->listen(m_serverName);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("activate"))
                    bringToFront();
            });
        }
    });
}

bool TJustOne::isListening() const {
    return m_server && m_server->isListening();
}

void TJustOne::bringToFront() {
    // The last active pop-up of the running copy: its open modal dialog, else the main window.
    QWidget* target = QApplication::activeModalWidget();
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (!target && w->objectName() == QLatin1String("MainForm"))
            target = w;
    }
    for (QWidget* w : windows) {
        if (!target && w->isVisible())
            target = w;
    }
    if (target) {
        if (QWidget* top = target->window(); top->isMinimized())
            top->showNormal();
        target->window()->raise();
        target->window()->activateWindow();
        m_lastActivated = target;
    }
    Q_EMIT activationRequested();
}

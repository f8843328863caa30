#include "JustOne.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kConnectTimeoutMs = 500;
// How long a copy waits for the copy that holds the lock to answer: it may itself be
// starting at this moment.
constexpr int kAnswerTimeoutMs = 10000;
constexpr int kRetryMs = 20;
const QByteArray kActivate = QByteArrayLiteral("activate\n");

// A folder only this user may enter: a real directory, not a link, owned by the user and
// closed to everyone else.
bool isPrivateFolder(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

// Letters, digits, '.', '-' and '_' only: a display such as "localhost:10.0" becomes part
// of a file name.
QString fileNamePart(const QString& text) {
    QString part = text;
    for (QChar& c : part) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'_';
        if (!plain)
            c = u'_';
    }
    return part;
}

} // namespace

QString TJustOne::defaultServerName() {
    QString where = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (where.isEmpty())
        where = qEnvironmentVariable("DISPLAY");
    if (where.isEmpty())
        where = QStringLiteral("session-") + qEnvironmentVariable("XDG_SESSION_ID");
    return QStringLiteral("spolebox-%1-%2").arg(::geteuid()).arg(fileNamePart(where));
}

QString TJustOne::guardFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return QDir::cleanPath(runtime);
    // The temporary folder is shared by every user: a folder there is used only when it is
    // ours and closed to others, never one that someone else made.
    const QString own =
        QDir::cleanPath(QDir::tempPath() + QStringLiteral("/spolebox-runtime-%1").arg(::geteuid()));
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (isPrivateFolder(own))
        return own;
    return QString();
}

TJustOne::TJustOne(QObject* parent, const QString& serverName, EndProcess endProcess)
    : QObject(parent) {
    setObjectName(QStringLiteral("JustOne1"));
    const QString folder = guardFolder();
    if (folder.isEmpty()) {
        qWarning("Spolebox: no private folder for the single-instance guard; it is not used");
        return;
    }
    m_socketPath = folder + u'/' + serverName;
    switch (takeLock()) {
    case Start::Alone:
        listen();
        return;
    case Start::Unguarded:
        return;
    case Start::OtherCopyRuns:
        break;
    }
    m_foundOther = true;
    if (endProcess) {
        endProcess();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

TJustOne::~TJustOne() {
    // The socket goes before the lock: a copy that takes the lock next finds no socket of ours.
    delete m_server;
    m_server = nullptr;
}

TJustOne::Start TJustOne::takeLock() {
    m_lock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    // A running copy holds the lock for its whole life, however long: only the lock of a
    // copy that has ended (crashed) is stale.
    m_lock->setStaleLockTime(0);
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    for (;;) {
        if (m_lock->tryLock(0))
            return Start::Alone;
        if (m_lock->error() != QLockFile::LockFailedError) {
            qWarning().noquote() << "Spolebox: cannot take the single-instance lock"
                                 << m_lock->error() << "in"
                                 << QFileInfo(m_socketPath).absolutePath()
                                 << "; the guard is not used";
            m_lock.reset();
            return Start::Unguarded;
        }
        // Another copy runs, or is starting and will listen in a moment.
        if (askToComeForward())
            return Start::OtherCopyRuns;
        if (deadline.hasExpired()) {
            qWarning("Spolebox: another copy runs but does not answer");
            return Start::OtherCopyRuns;
        }
        QThread::msleep(kRetryMs);
    }
}

bool TJustOne::askToComeForward() const {
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

void TJustOne::listen() {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, this copy owns the name: a socket still there is a dead copy's.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath))
        qWarning().noquote() << "Spolebox: the single-instance guard cannot listen at"
                             << m_socketPath << ":" << m_server->errorString();
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

#include "daily_backup.h"

#include "Spolebox.h"
#include "data/schema.h"
#include "engine/error.h"
#include "engine/session.h"
#include "keeping/daily_backups.h"

#include <QDate>
#include <QStatusBar>
#include <QThread>

namespace {
constexpr int kFailureShownMs = 30000;
}

DailyBackup::DailyBackup(const QString& backupsFolder, QObject* parent)
    : QObject(parent), m_folder(backupsFolder) {}

DailyBackup::~DailyBackup() {
    if (m_thread)
        m_thread->wait();
}

bool DailyBackup::running() const {
    return m_thread && !m_thread->isFinished();
}

void DailyBackup::start(const QString& catalogueDir) {
    if (m_thread)
        return;
    const QString folder = m_folder;
    m_thread = QThread::create([this, catalogueDir, folder] {
        try {
            m_written = keeping::takeDailyBackup(catalogueDir, folder, QDate::currentDate());
        } catch (const engine::Error& e) {
            m_error = e.message();
        } catch (const std::exception& e) {
            m_error = QString::fromLocal8Bit(e.what());
        }
    });
    m_thread->setParent(this);
    // Read after the thread has ended: finished() is delivered in this object's thread.
    connect(m_thread, &QThread::finished, this, [this] {
        if (m_error.isEmpty())
            Q_EMIT finished(m_written);
        else
            Q_EMIT failed(m_error);
    });
    m_thread->start(QThread::IdlePriority);
}

DailyBackup* keepDailyBackups(TMainForm& mainForm, engine::Session& session,
                              const QString& backupsFolder) {
    auto* backup = new DailyBackup(
        backupsFolder.isEmpty() ? keeping::dailyBackupsFolder() : backupsFolder, &mainForm);
    auto startBackup = [backup, &session] {
        try {
            backup->start(session.aliasDirectory(QString::fromUtf8(schema::kAlias)));
        } catch (const engine::Error& e) {
            Q_EMIT backup->failed(e.message());
        }
    };
    QObject::connect(backup, &DailyBackup::failed, &mainForm, [&mainForm](const QString& message) {
        mainForm.statusBar()->showMessage(
            QStringLiteral("Den daglige sikkerhedskopi mislykkedes: %1").arg(message),
            kFailureShownMs);
    });
    if (mainForm.catalogueOpened())
        startBackup();
    else
        QObject::connect(&mainForm, &TMainForm::catalogueReady, backup, startBackup);
    return backup;
}

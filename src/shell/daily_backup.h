#pragma once

#include <QObject>
#include <QString>

class QThread;
class TMainForm;

namespace engine {
class Session;
}

// The daily backup of the catalogue (see keeping::takeDailyBackup), taken on a thread of
// its own at idle priority with a connection of its own: the program stays usable and
// goes on posting meanwhile.
class DailyBackup : public QObject {
    Q_OBJECT
public:
    explicit DailyBackup(const QString& backupsFolder, QObject* parent = nullptr);
    ~DailyBackup() override; // lets a backup under way finish

    // Starts the backup of the catalogue in catalogueDir; nothing when one has started.
    void start(const QString& catalogueDir);
    bool running() const;

Q_SIGNALS:
    // The backup file written; empty when today's backup was there already.
    void finished(const QString& writtenFile);
    void failed(const QString& message);

private:
    QString m_folder;
    QThread* m_thread = nullptr;
    QString m_written;
    QString m_error;
};

// Takes the daily backup into backupsFolder once mainForm has opened its catalogue (at
// once when it has); a failure shows in the status bar for a while.
DailyBackup* keepDailyBackups(TMainForm& mainForm, engine::Session& session,
                              const QString& backupsFolder = QString());

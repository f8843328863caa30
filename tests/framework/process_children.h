#pragma once

#include <QDir>
#include <QFile>
#include <QList>

// The process ids of this process's children, zombies (ended, not yet reaped) included.
inline QList<qint64> childProcessesOfThisProcess() {
    QList<qint64> children;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/children")));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : file.readAll().split(' '))
            if (!pid.trimmed().isEmpty())
                children << pid.trimmed().toLongLong();
    }
    return children;
}

#include "table_file_lock.h"

#include <QFile>
#include <sqlite3.h>

TableFileLock::TableFileLock(const QString& filePath) {
    if (sqlite3_open_v2(QFile::encodeName(filePath).constData(), &m_db, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK)
        return;
    m_locked = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

TableFileLock::~TableFileLock() {
    release();
    sqlite3_close_v2(m_db);
}

void TableFileLock::release() {
    if (m_locked)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_locked = false;
}

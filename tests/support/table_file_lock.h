#pragma once

#include <QString>

struct sqlite3;

// Another process's hold on a table file, as a second SQLite connection that keeps the
// file's write lock: every write of the program to that table fails (after the engine's
// wait for a busy file) until release() or the end of the object. Reading goes on.
class TableFileLock {
public:
    explicit TableFileLock(const QString& filePath);
    ~TableFileLock();
    TableFileLock(const TableFileLock&) = delete;
    TableFileLock& operator=(const TableFileLock&) = delete;

    bool isLocked() const { return m_locked; }
    void release();

private:
    sqlite3* m_db = nullptr;
    bool m_locked = false;
};

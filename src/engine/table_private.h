#pragma once

// What the parts of Table (opening, cursor, editing, filtering) share; not for other users.

#include "database.h"
#include "error.h"
#include "sqlite_failure.h"
#include "table.h"

#include <QFileInfo>
#include <unordered_map>

namespace engine {

inline bool isTextType(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}

inline const QString kEmptyDataset =
    QStringLiteral("Cannot perform this operation on an empty dataset");
inline const QString kRecordDeleted = QStringLiteral("Record/Key deleted.");

// Refuses a change to a table file that may only be read, before any rule runs for it.
inline void ensureWritable(const StoredTable& stored) {
    if (stored.readOnly)
        throw Error(readOnlyTableMessage(QFileInfo(stored.filePath).fileName()),
                    QStringLiteral("'%1' was opened read-only").arg(stored.filePath));
}

// A row of a running statement, read lazily by field name.
class TableRecordView : public RecordView {
public:
    TableRecordView(const StoredTable& stored, const Statement& st, int firstColumn)
        : m_stored(stored), m_st(st), m_first(firstColumn) {}
    QVariant value(const QString& fieldName) const override {
        int column = m_stored.column(fieldName);
        if (column < 0)
            throw Error(QStringLiteral("Field '%1' not found").arg(fieldName));
        return m_st.value(m_first + column, m_stored.fields[std::size_t(column)].type);
    }

private:
    const StoredTable& m_stored;
    const Statement& m_st;
    int m_first;
};

// Recently read rows, so that a grid painting many rows does not read each again.
struct Table::RowCache {
    static constexpr std::size_t kMaxRows = 512;
    quint64 generation = 0;
    std::unordered_map<qint64, std::vector<QVariant>> rows;
    // A detail's rows as read with their keys, row r's fields from r * width: read again at
    // every move of the master, so kept in one piece that keeps its memory.
    std::vector<QVariant> inOrder;
    std::size_t width = 0;

    // Forgets the rows when the table changed since they were read.
    void follow(quint64 tableGeneration) {
        if (generation != tableGeneration) {
            clear();
            generation = tableGeneration;
        }
    }
    void clear() {
        rows.clear();
        inOrder.clear();
    }
    // Forgets one row, to read it from the file again.
    void forget(qint64 rowid) {
        rows.erase(rowid);
        inOrder.clear();
    }
    // Row r's fields as read with the keys, when they are still kept.
    const QVariant* inOrderRow(std::size_t row, quint64 tableGeneration) const {
        if (generation != tableGeneration || width == 0 || (row + 1) * width > inOrder.size())
            return nullptr;
        return inOrder.data() + row * width;
    }
    const std::vector<QVariant>& keep(qint64 rowid, std::vector<QVariant> row) {
        if (rows.size() >= kMaxRows)
            rows.clear();
        return rows.insert_or_assign(rowid, std::move(row)).first->second;
    }
};

} // namespace engine

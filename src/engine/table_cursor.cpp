#include "database.h"
#include "error.h"
#include "table.h"
#include "table_private.h"

#include <algorithm>

namespace engine {

int Table::recordCount() const {
    return int(m_keys.size());
}

int Table::displayRowCount() const {
    return recordCount() + (state() == DatasetState::Insert ? 1 : 0);
}

int Table::displayRow() const {
    return state() == DatasetState::Insert ? m_insertRow : Dataset::displayRow();
}

const std::vector<QVariant>& Table::fetchRow(qint64 rowid) const {
    m_cache->follow(m_stored->generation);
    if (auto it = m_cache->rows.find(rowid); it != m_cache->rows.end())
        return it->second;
    Statement& st = m_db->cached(
        QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(m_stored->qualifiedName()));
    StatementUse use(st);
    st.bind(1, QVariant(rowid));
    if (!st.step())
        throw Error(QStringLiteral("Record not found"));
    return m_cache->keep(rowid, rowAt(st, 0));
}

std::vector<QVariant> Table::rowAt(const Statement& st, int firstColumn) const {
    std::vector<QVariant> row(static_cast<std::size_t>(fieldCount()));
    for (int i = 0; i < fieldCount(); ++i) {
        const int column = m_columnOfField[std::size_t(i)];
        row[std::size_t(i)] =
            st.value(firstColumn + column, m_stored->fields[std::size_t(column)].type);
    }
    return row;
}

void Table::loadRow(int row) {
    const qint64 rowid = m_keys.at(std::size_t(row));
    if (const QVariant* kept = m_cache->inOrderRow(std::size_t(row), m_stored->generation)) {
        m_buffer.assign(kept, kept + fieldCount());
        m_currentRowid = rowid;
        std::fill(m_changed.begin(), m_changed.end(), false);
        m_modified = false;
        return;
    }
    try {
        m_buffer = fetchRow(rowid);
    } catch (const Error&) {
        // Deleted behind this dataset's back: read the rows again and stay near.
        readKeys();
        if (m_keys.empty()) {
            setCurrentRowSilently(-1);
            m_currentRowid = 0;
            clearBuffer();
            return;
        }
        int clamped = std::min(row, int(m_keys.size()) - 1);
        setCurrentRowSilently(clamped);
        m_buffer = fetchRow(m_keys[std::size_t(clamped)]);
        m_currentRowid = m_keys[std::size_t(clamped)];
        std::fill(m_changed.begin(), m_changed.end(), false);
        m_modified = false;
        return;
    }
    m_currentRowid = rowid;
    std::fill(m_changed.begin(), m_changed.end(), false);
    m_modified = false;
}

QVariant Table::rowValue(int row, int fieldIndex) const {
    if (!isActive() || fieldIndex < 0 || fieldIndex >= fieldCount())
        return QVariant();
    if (state() == DatasetState::Insert) {
        if (row == m_insertRow)
            return currentValue(fieldIndex);
        if (row > m_insertRow)
            --row;
    }
    if (row < 0 || std::size_t(row) >= m_keys.size())
        return QVariant();
    if (row == currentRow() && state() == DatasetState::Edit)
        return currentValue(fieldIndex);
    try {
        return fetchRow(m_keys[std::size_t(row)])[std::size_t(fieldIndex)];
    } catch (const Error&) {
        return QVariant();
    }
}

void Table::first() {
    ensureActive();
    checkBrowseMode();
    Dataset::first();
}

void Table::last() {
    ensureActive();
    checkBrowseMode();
    Dataset::last();
}

void Table::next() {
    ensureActive();
    checkBrowseMode();
    Dataset::next();
}

void Table::prior() {
    ensureActive();
    checkBrowseMode();
    Dataset::prior();
}

void Table::setRecNo(int recNo) {
    ensureActive();
    checkBrowseMode();
    Dataset::setRecNo(recNo);
}

Bookmark Table::bookmark() const {
    if (!isActive() || state() == DatasetState::Insert || currentRow() < 0)
        return 0;
    return m_currentRowid;
}

bool Table::bookmarkValid(Bookmark bookmark) const {
    return bookmark != 0 && positionOf(bookmark) >= 0;
}

void Table::gotoBookmark(Bookmark bookmark) {
    ensureActive();
    checkBrowseMode();
    int position = positionOf(bookmark);
    if (position < 0)
        throw Error(QStringLiteral("Record not found"));
    moveTo(position, false, false);
}

void Table::refresh() {
    ensureActive();
    checkBrowseMode();
    const qint64 current = m_currentRowid;
    const int row = currentRow();
    m_cache->clear();
    readKeys();
    int position = positionOf(current);
    setCurrentRowSilently(-1);
    moveTo(position >= 0 ? position : row, m_keys.empty(), m_keys.empty());
    notify(ChangeKind::DataChanged);
}

int Table::positionOf(qint64 rowid) const {
    // A plain scan of the ids in memory beats keeping a map up to date.
    auto it = std::find(m_keys.begin(), m_keys.end(), rowid);
    return it == m_keys.end() ? -1 : int(it - m_keys.begin());
}

bool Table::locate(const QString& fieldName, const QVariant& value, bool caseInsensitive) {
    ensureActive();
    checkBrowseMode();
    int column = m_stored->column(fieldName);
    if (column < 0)
        throw Error(QStringLiteral("Field '%1' not found").arg(fieldName));
    const FieldDef& def = m_stored->fields[std::size_t(column)];
    QVariant key = value;
    if (!isTextType(def.type)) {
        // Compare as the field's own kind of value; a value that cannot be one matches nothing.
        Dataset* self = this;
        Field probe(*self, -1, def);
        try {
            key = probe.convert(value);
        } catch (const Error&) {
            return false;
        }
    } else {
        key = QVariant(value.toString());
    }
    QString condition;
    if (key.isNull() || (isTextType(def.type) && key.toString().isEmpty()))
        condition = QStringLiteral("%1 IS NULL").arg(quoteIdentifier(def.name));
    else if (isTextType(def.type) && caseInsensitive)
        condition = QStringLiteral("%1 = ? COLLATE DANISH").arg(quoteIdentifier(def.name));
    else
        condition = QStringLiteral("%1 = ?").arg(quoteIdentifier(def.name));
    const bool byRowid = column == m_stored->autoIncColumn;
    // The row found is read with it, for the move that follows.
    Statement& st = m_db->cached(byRowid ? QStringLiteral("SELECT rowid, * FROM %1 WHERE rowid = ?")
                                               .arg(m_stored->qualifiedName())
                                         : QStringLiteral("SELECT rowid, * FROM %1 WHERE %2")
                                               .arg(m_stored->qualifiedName(), condition));
    StatementUse use(st);
    if (!condition.endsWith(QStringLiteral("IS NULL")) || byRowid)
        st.bind(1, key);
    int best = -1;
    std::vector<QVariant> bestRow;
    while (st.step()) {
        int position = positionOf(st.int64(0));
        if (position >= 0 && (best < 0 || position < best)) {
            best = position;
            bestRow = rowAt(st, 1);
        }
    }
    if (best < 0)
        return false;
    m_cache->follow(m_stored->generation);
    m_cache->keep(m_keys[std::size_t(best)], std::move(bestRow));
    moveTo(best, false, false);
    return true;
}

} // namespace engine

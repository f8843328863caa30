#include "collation.h"
#include "database.h"
#include "error.h"
#include "table.h"
#include "table_private.h"

#include <algorithm>
#include <sqlite3.h>

namespace engine {

namespace {

// Index order as SQLite sorts it: NULL first, numbers numerically, text in Danish order.
int compareKeyValues(const QVariant& a, const QVariant& b, FieldType type) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (isTextType(type))
        return danishCompare(a.toString(), b.toString());
    double x = a.toDouble(), y = b.toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // namespace

void Table::checkBrowseMode() {
    if (!isEditing())
        return;
    if (modified())
        post();
    else
        cancel();
}

void Table::edit() {
    ensureActive();
    if (isEditing())
        return;
    if (m_keys.empty() || currentRow() < 0) {
        // Editing an empty table starts its first row.
        insert();
        return;
    }
    if (beforeEdit)
        beforeEdit(*this);
    // Start from the row as it is on disk now.
    const qint64 rowid = m_currentRowid;
    m_cache->forget(rowid);
    loadRow(currentRow());
    if (m_currentRowid != rowid) {
        // Deleted meanwhile by another dataset: show the rows as they are, edit nothing.
        notify(ChangeKind::DataChanged);
        notify(ChangeKind::RecordMoved);
        throw Error(kRecordDeleted);
    }
    setState(DatasetState::Edit);
}

void Table::startNewRow(bool atEnd) {
    ensureActive();
    // The pending row is posted first: it may move, and the new row's place follows it.
    checkBrowseMode();
    if (beforeInsert)
        beforeInsert(*this);
    m_insertRow = atEnd ? recordCount() : std::max(currentRow(), 0);
    clearBuffer();
    if (m_master && m_master->isActive() && !m_master->isEmpty()) {
        // A new detail row belongs to the master's current row.
        int link = fieldIndex(m_indexFields.first());
        if (link >= 0)
            m_buffer[std::size_t(link)] =
                field(link).convert(m_master->fieldByName(m_masterField).value());
    }
    setState(DatasetState::Insert);
    notify(ChangeKind::RecordMoved);
    if (afterInsert)
        afterInsert(*this);
}

void Table::insert() {
    startNewRow(false);
}

void Table::append() {
    startNewRow(true);
}

void Table::checkRequired() {
    for (int i = 0; i < fieldCount(); ++i) {
        const Field& f = field(i);
        if (f.def().required && f.isNull() && f.type() != FieldType::AutoInc)
            throw Error(requiredErrorMessage(f));
    }
}

void Table::writeRow() {
    const bool inserting = state() == DatasetState::Insert;
    QStringList names;
    std::vector<QVariant> values;
    for (int i = 0; i < fieldCount(); ++i) {
        if (field(i).type() == FieldType::AutoInc)
            continue;
        if (inserting ? m_buffer[std::size_t(i)].isNull() : !m_changed[std::size_t(i)])
            continue;
        names << quoteIdentifier(
            m_stored->fields[std::size_t(m_columnOfField[std::size_t(i)])].name);
        values.push_back(m_buffer[std::size_t(i)]);
    }
    QString sql;
    if (inserting) {
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_stored->qualifiedName());
        } else {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(m_stored->qualifiedName(), names.join(u','), marks.join(u','));
        }
    } else {
        if (names.isEmpty())
            return;
        sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                  .arg(m_stored->qualifiedName(), names.join(QStringLiteral(" = ?, ")));
    }
    std::vector<QVariant> written;
    m_db->transaction([&] {
        written.clear();
        Statement& st = m_db->cached(sql);
        StatementUse use(st);
        int position = 1;
        for (const QVariant& v : values)
            st.bind(position++, v);
        if (!inserting)
            st.bind(position, QVariant(m_currentRowid));
        st.step();
        if (!inserting && sqlite3_changes(m_db->handle()) == 0)
            throw Error(kRecordDeleted); // the row went after edit() began
        if (inserting) {
            Statement& id = m_db->cached(QStringLiteral("SELECT last_insert_rowid()"));
            StatementUse useId(id);
            id.step();
            m_currentRowid = id.int64(0);
        }
        // The row as written, read back before the commit: what is shown next, without a
        // transaction of its own.
        Statement& back = m_db->cached(
            QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(m_stored->qualifiedName()));
        StatementUse useBack(back);
        back.bind(1, QVariant(m_currentRowid));
        if (back.step())
            written = rowAt(back, 0);
    });
    ++m_stored->generation;
    m_cache->follow(m_stored->generation);
    if (!written.empty())
        m_cache->keep(m_currentRowid, std::move(written));
    if (inserting && m_rowidField >= 0)
        m_buffer[std::size_t(m_rowidField)] = QVariant(m_currentRowid);
}

bool Table::indexFieldChanged() const {
    for (int i = 0; i < fieldCount(); ++i) {
        if (m_changed[std::size_t(i)] &&
            m_indexFields.contains(field(i).name(), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void Table::placeAfterPost(qint64 rowid) {
    auto old = std::find(m_keys.begin(), m_keys.end(), rowid);
    int oldPosition = old == m_keys.end() ? -1 : int(old - m_keys.begin());
    if (old != m_keys.end())
        m_keys.erase(old);
    if (!rowPassesFilter(rowid)) {
        // The row left this dataset's view: stay at the same place in the list.
        int place = oldPosition >= 0 ? oldPosition : std::max(m_insertRow, 0);
        setCurrentRowSilently(-1);
        moveTo(place);
        return;
    }
    // Find the row's place in index order by comparing index keys.
    std::vector<int> keyFields;
    std::vector<FieldType> keyTypes;
    for (const QString& name : m_indexFields) {
        int column = m_stored->column(name);
        keyFields.push_back(column);
        keyTypes.push_back(m_stored->fields[std::size_t(column)].type);
    }
    auto keysOf = [&](qint64 id) {
        std::vector<QVariant> values;
        if (keyFields.empty())
            return values;
        Statement& st = m_db->cached(
            QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(m_stored->qualifiedName()));
        StatementUse use(st);
        st.bind(1, QVariant(id));
        if (st.step()) {
            for (std::size_t k = 0; k < keyFields.size(); ++k)
                values.push_back(st.value(keyFields[k], keyTypes[k]));
        }
        return values;
    };
    const std::vector<QVariant> mine = keysOf(rowid);
    auto less = [&](qint64 other) { // true when `other` sorts before the posted row
        const std::vector<QVariant> theirs = keysOf(other);
        for (std::size_t k = 0; k < mine.size() && k < theirs.size(); ++k) {
            int c = compareKeyValues(theirs[k], mine[k], keyTypes[k]);
            if (c != 0)
                return c < 0;
        }
        return other < rowid;
    };
    auto place = std::partition_point(m_keys.begin(), m_keys.end(), less);
    int position = int(place - m_keys.begin());
    m_keys.insert(place, rowid);
    setCurrentRowSilently(position);
    m_buffer = fetchRow(rowid);
    m_currentRowid = rowid;
}

void Table::post() {
    ensureActive();
    if (!isEditing())
        return;
    ensureWritable(*m_stored);
    bool staysInPlace = false;
    {
        // The rule's reads and the write in one transaction.
        Database::ReadsTogether together(*m_db);
        if (beforePost)
            beforePost(*this);
        checkRequired();
        // An edit that changes no index field, in a view that no filter narrows, leaves the
        // row where it is: no need to search its place among all the rows again.
        staysInPlace = state() == DatasetState::Edit && !m_filtered && !indexFieldChanged() &&
                       currentRow() >= 0 && m_keys[std::size_t(currentRow())] == m_currentRowid;
        writeRow();
    }
    const qint64 rowid = m_currentRowid;
    std::fill(m_changed.begin(), m_changed.end(), false);
    m_modified = false;
    setState(DatasetState::Browse);
    if (staysInPlace)
        m_buffer = fetchRow(rowid);
    else
        placeAfterPost(rowid);
    m_insertRow = -1;
    notify(ChangeKind::DataChanged);
    notify(ChangeKind::RecordMoved);
    if (afterPost)
        afterPost(*this);
}

void Table::cancel() {
    ensureActive();
    if (!isEditing())
        return;
    const bool inserting = state() == DatasetState::Insert;
    m_insertRow = -1;
    setState(DatasetState::Browse);
    if (inserting) {
        moveTo(currentRow());
    } else {
        m_cache->forget(m_currentRowid);
        moveTo(currentRow());
    }
    notify(ChangeKind::DataChanged);
}

void Table::deleteRecord() {
    ensureActive();
    if (state() == DatasetState::Insert) {
        cancel();
        return;
    }
    if (m_keys.empty() || currentRow() < 0)
        throw Error(kEmptyDataset);
    ensureWritable(*m_stored);
    // The row asked for is the one deleted, even when the handler moves this table.
    const qint64 rowid = m_keys[std::size_t(currentRow())];
    // The rule's reads and the delete in one transaction.
    Database::ReadsTogether together(*m_db);
    if (beforeDelete)
        beforeDelete(*this);
    if (positionOf(rowid) < 0)
        throw Error(kRecordDeleted);
    setCurrentRowSilently(positionOf(rowid));
    m_db->transaction([&] {
        Statement& st = m_db->cached(
            QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(m_stored->qualifiedName()));
        StatementUse use(st);
        st.bind(1, QVariant(rowid));
        st.step();
    });
    ++m_stored->generation;
    const int row = currentRow();
    m_keys.erase(m_keys.begin() + row);
    setState(DatasetState::Browse);
    setCurrentRowSilently(-1);
    moveTo(row, m_keys.empty(), m_keys.empty());
    notify(ChangeKind::DataChanged);
    if (afterDelete)
        afterDelete(*this);
}

} // namespace engine

#include "table.h"

#include "collation.h"
#include "database.h"
#include "error.h"
#include "session.h"

#include <algorithm>
#include <sqlite3.h>
#include <unordered_map>

namespace engine {

namespace {

bool isTextType(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}

// Index order as SQLite sorts it: NULL first, numbers numerically, text in Danish order.
int compareKeyValues(const QVariant& a, const QVariant& b, FieldType type) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (isTextType(type))
        return danishCompare(a.toString(), b.toString());
    double x = a.toDouble(), y = b.toDouble();
    return x < y ? -1 : (x > y ? 1 : 0);
}

const QString kEmptyDataset = QStringLiteral("Cannot perform this operation on an empty dataset");
const QString kRecordDeleted = QStringLiteral("Record/Key deleted.");

} // namespace

QString RecordView::asString(const QString& fieldName) const {
    return value(fieldName).toString();
}

qint64 RecordView::asInteger(const QString& fieldName) const {
    return value(fieldName).toLongLong();
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

// A view of the values already in memory, for re-checking one row after a post.
class BufferRecordView : public RecordView {
public:
    BufferRecordView(const Dataset& ds, const StoredTable& stored, const std::vector<QVariant>& row)
        : m_ds(ds), m_stored(stored), m_row(row) {}
    QVariant value(const QString& fieldName) const override {
        int index = m_ds.fieldIndex(fieldName);
        if (index >= 0)
            return m_row[std::size_t(index)];
        if (m_stored.column(fieldName) < 0)
            throw Error(QStringLiteral("Field '%1' not found").arg(fieldName));
        return QVariant();
    }

private:
    const Dataset& m_ds;
    const StoredTable& m_stored;
    const std::vector<QVariant>& m_row;
};

// Recently read rows, so that a grid painting many rows does not read each again.
struct Table::RowCache {
    quint64 generation = 0;
    std::unordered_map<qint64, std::vector<QVariant>> rows;
};

Table::Table(Session& session) : m_session(session), m_cache(std::make_unique<RowCache>()) {}

Table::~Table() {
    if (m_master && m_masterListener)
        m_master->removeListener(m_masterListener);
}

void Table::setMasterLink(Table* master, const QString& masterField) {
    if (isActive())
        throw Error(QStringLiteral("Cannot change the master link of an open table"));
    if (m_master && m_masterListener)
        m_master->removeListener(m_masterListener);
    m_master = master;
    m_masterField = masterField;
    m_masterListener = 0;
    if (m_master) {
        m_masterListener = m_master->addListener([this](const ChangeNotice& notice) {
            if (!isActive())
                return;
            if (notice.kind == ChangeKind::RecordMoved || notice.kind == ChangeKind::DataChanged ||
                (notice.kind == ChangeKind::StateChanged && !m_master->isActive()))
                masterMoved();
        });
    }
}

void Table::setFilterCallback(std::function<bool(const RecordView&)> callback) {
    m_filterCallback = std::move(callback);
    if (isActive() && m_filtered) {
        checkBrowseMode();
        readKeys();
        Dataset::first();
        notify(ChangeKind::DataChanged);
    }
}

void Table::setFilterCandidates(std::function<std::optional<std::vector<qint64>>()> candidates) {
    m_filterCandidates = std::move(candidates);
}

void Table::setFilterText(const QString& text) {
    std::optional<FilterExpression> parsed;
    if (!text.trimmed().isEmpty())
        parsed = parseFilterExpression(text);
    if (isActive() && parsed) {
        for (const FilterTerm& term : parsed->terms) {
            if (m_stored->column(term.field) < 0)
                throw Error(QStringLiteral("Field '%1' not found").arg(term.field));
        }
    }
    if (isActive() && m_filtered)
        checkBrowseMode();
    m_filterText = text;
    m_filterExpression = std::move(parsed);
    if (isActive() && m_filtered) {
        readKeys();
        Dataset::first();
        notify(ChangeKind::DataChanged);
    }
}

void Table::setFilterCaseInsensitive(bool on) {
    if (m_filterCaseInsensitive == on)
        return;
    if (isActive() && m_filtered)
        checkBrowseMode();
    m_filterCaseInsensitive = on;
    if (isActive() && m_filtered) {
        readKeys();
        Dataset::first();
        notify(ChangeKind::DataChanged);
    }
}

void Table::setFiltered(bool on) {
    if (m_filtered == on)
        return;
    if (isActive())
        checkBrowseMode();
    m_filtered = on;
    if (isActive()) {
        readKeys();
        Dataset::first();
        notify(ChangeKind::DataChanged);
    }
}

void Table::doOpen() {
    if (m_tableName.isEmpty())
        throw Error(QStringLiteral("No table name given"));
    m_db = m_session.database(m_alias);
    StoredTable& stored = m_db->table(m_tableName);

    std::vector<FieldDef> fields = m_declared.empty() ? stored.fields : m_declared;
    std::vector<int> columns;
    for (const FieldDef& f : fields) {
        int column = stored.column(f.name);
        if (column < 0)
            throw Error(
                QStringLiteral("Field '%1' not found in table '%2'").arg(f.name, m_tableName));
        const FieldDef& actual = stored.fields[std::size_t(column)];
        if (actual.type != f.type || (f.type == FieldType::Text && actual.size != f.size))
            throw Error(QStringLiteral("Field '%1' of table '%2' is of type %3(%4), not %5(%6)")
                            .arg(f.name, m_tableName, fieldTypeName(actual.type))
                            .arg(actual.size)
                            .arg(fieldTypeName(f.type))
                            .arg(f.size));
        columns.push_back(column);
    }
    QStringList indexFields;
    if (!m_indexName.isEmpty()) {
        auto it =
            std::find_if(stored.indexes.begin(), stored.indexes.end(), [&](const IndexDef& i) {
                return i.name.compare(m_indexName, Qt::CaseInsensitive) == 0;
            });
        if (it == stored.indexes.end())
            throw Error(
                QStringLiteral("Index '%1' not found in table '%2'").arg(m_indexName, m_tableName));
        indexFields = it->fields;
    }
    if (m_master) {
        if (indexFields.isEmpty())
            throw Error(QStringLiteral("A master link on '%1' needs an index").arg(m_tableName));
        if (!m_master->isActive() || !m_master->findField(m_masterField))
            throw Error(QStringLiteral("The master field '%1' of '%2' is not available")
                            .arg(m_masterField, m_tableName));
    }
    if (m_filterExpression) {
        for (const FilterTerm& term : m_filterExpression->terms) {
            if (stored.column(term.field) < 0)
                throw Error(QStringLiteral("Field '%1' not found").arg(term.field));
        }
    }

    m_stored = &stored;
    m_columnOfField = std::move(columns);
    m_indexFields = indexFields;
    m_rowidField = -1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].type == FieldType::AutoInc)
            m_rowidField = int(i);
    }
    setFields(fields);
    m_cache->rows.clear();
    m_insertRow = -1;
    readKeys();
}

void Table::doClose() {
    m_keys.clear();
    m_cache->rows.clear();
    m_insertRow = -1;
    m_currentRowid = 0;
    m_stored = nullptr;
    m_db.reset();
}

void Table::ensureActive() const {
    if (!isActive())
        throw Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

QString Table::orderByClause() const {
    QStringList parts;
    for (const QString& name : m_indexFields) {
        int column = m_stored->column(name);
        bool text = column >= 0 && isTextType(m_stored->fields[std::size_t(column)].type);
        parts << quoteIdentifier(name) + (text ? QStringLiteral(" COLLATE DANISH") : QString());
    }
    parts << QStringLiteral("rowid");
    return QStringLiteral(" ORDER BY ") + parts.join(QStringLiteral(", "));
}

QString Table::whereClause(std::vector<QVariant>& bindings) const {
    QStringList conditions;
    if (m_master) {
        const QString& linkField = m_indexFields.first();
        int column = m_stored->column(linkField);
        const QVariant key = m_master->isActive() && !m_master->isEmpty()
                                 ? m_master->fieldByName(m_masterField).value()
                                 : QVariant();
        if (!m_master->isActive() || m_master->isEmpty()) {
            conditions << QStringLiteral("0");
        } else if (key.isNull()) {
            conditions << quoteIdentifier(linkField) + QStringLiteral(" IS NULL");
        } else {
            bool text = isTextType(m_stored->fields[std::size_t(column)].type);
            conditions << quoteIdentifier(linkField) + QStringLiteral(" = ?") +
                              (text ? QStringLiteral(" COLLATE DANISH") : QString());
            bindings.push_back(text ? QVariant(key.toString()) : key);
        }
    }
    if (m_filtered && m_filterExpression) {
        for (const FilterTerm& term : m_filterExpression->terms) {
            int column = m_stored->column(term.field);
            conditions << QStringLiteral("sb_match(%1, ?, %2, %3)")
                              .arg(quoteIdentifier(m_stored->fields[std::size_t(column)].name))
                              .arg(term.prefix ? 1 : 0)
                              .arg(m_filterCaseInsensitive ? 1 : 0);
            bindings.push_back(term.value);
        }
    }
    if (conditions.isEmpty())
        return QString();
    return QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
}

std::optional<std::vector<qint64>> Table::filterCandidateIds() const {
    if (!m_filtered || !m_filterCallback || !m_filterCandidates)
        return std::nullopt;
    return m_filterCandidates();
}

void Table::readKeys() {
    std::vector<QVariant> bindings;
    const bool callback = m_filtered && m_filterCallback;
    QString where = whereClause(bindings);
    const auto candidates = filterCandidateIds();
    if (candidates) {
        // Only these rows can pass the callback: read just them. The ids are numbers of
        // our own, written into the text as such.
        QStringList ids;
        for (qint64 id : *candidates)
            ids << QString::number(id);
        where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) +
                 QStringLiteral("rowid IN (%1)").arg(ids.join(u','));
    }
    const QString sql = QStringLiteral("SELECT rowid%1 FROM %2%3%4")
                            .arg(callback ? QStringLiteral(", *") : QString(),
                                 m_stored->qualifiedName(), where, orderByClause());
    // A list of ids makes a statement of its own each time: not worth keeping.
    std::optional<Statement> own;
    if (candidates)
        own.emplace(m_db->handle(), sql);
    Statement& st = candidates ? *own : m_db->cached(sql);
    StatementUse use(st);
    for (std::size_t i = 0; i < bindings.size(); ++i)
        st.bind(int(i + 1), bindings[i]);
    m_keys.clear();
    if (callback) {
        TableRecordView view(*m_stored, st, 1);
        while (st.step()) {
            if (m_filterCallback(view))
                m_keys.push_back(st.int64(0));
        }
    } else {
        while (st.step())
            m_keys.push_back(st.int64(0));
    }
}

void Table::masterMoved() {
    checkBrowseMode();
    readKeys();
    Dataset::first();
    notify(ChangeKind::DataChanged);
}

int Table::recordCount() const {
    return int(m_keys.size());
}

int Table::displayRowCount() const {
    return recordCount() + (state() == DatasetState::Insert ? 1 : 0);
}

int Table::displayRow() const {
    return state() == DatasetState::Insert ? m_insertRow : Dataset::displayRow();
}

std::vector<QVariant> Table::fetchRow(qint64 rowid) const {
    if (m_cache->generation != m_stored->generation) {
        m_cache->rows.clear();
        m_cache->generation = m_stored->generation;
    }
    if (auto it = m_cache->rows.find(rowid); it != m_cache->rows.end())
        return it->second;
    Statement& st = m_db->cached(
        QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(m_stored->qualifiedName()));
    StatementUse use(st);
    st.bind(1, QVariant(rowid));
    std::vector<QVariant> row(static_cast<std::size_t>(fieldCount()));
    if (!st.step())
        throw Error(QStringLiteral("Record not found"));
    for (int i = 0; i < fieldCount(); ++i) {
        int column = m_columnOfField[std::size_t(i)];
        row[std::size_t(i)] = st.value(column, m_stored->fields[std::size_t(column)].type);
    }
    if (m_cache->rows.size() > 512)
        m_cache->rows.clear();
    m_cache->rows.emplace(rowid, row);
    return row;
}

void Table::loadRow(int row) {
    const qint64 rowid = m_keys.at(std::size_t(row));
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
    m_cache->rows.erase(rowid);
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
    m_db->transaction([&] {
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
    });
    ++m_stored->generation;
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

bool Table::rowPassesFilter(qint64 rowid) {
    std::vector<QVariant> bindings;
    QString where = whereClause(bindings);
    if (!where.isEmpty()) {
        Statement& st = m_db->cached(QStringLiteral("SELECT 1 FROM %1%2 AND rowid = ?")
                                         .arg(m_stored->qualifiedName(), where));
        StatementUse use(st);
        for (std::size_t i = 0; i < bindings.size(); ++i)
            st.bind(int(i + 1), bindings[i]);
        st.bind(int(bindings.size() + 1), QVariant(rowid));
        if (!st.step())
            return false;
    }
    if (const auto candidates = filterCandidateIds();
        candidates && std::find(candidates->begin(), candidates->end(), rowid) == candidates->end())
        return false;
    if (m_filtered && m_filterCallback) {
        Statement& st = m_db->cached(
            QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(m_stored->qualifiedName()));
        StatementUse use(st);
        st.bind(1, QVariant(rowid));
        if (!st.step())
            return false;
        TableRecordView view(*m_stored, st, 0);
        return m_filterCallback(view);
    }
    return true;
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
    if (beforePost)
        beforePost(*this);
    checkRequired();
    // An edit that changes no index field, in a view that no filter narrows, leaves the
    // row where it is: no need to search its place among all the rows again.
    const bool staysInPlace = state() == DatasetState::Edit && !m_filtered &&
                              !indexFieldChanged() && currentRow() >= 0 &&
                              m_keys[std::size_t(currentRow())] == m_currentRowid;
    writeRow();
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
        m_cache->rows.erase(m_currentRowid);
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
    // The row asked for is the one deleted, even when the handler moves this table.
    const qint64 rowid = m_keys[std::size_t(currentRow())];
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
    m_cache->rows.clear();
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
    Statement& st = m_db->cached(
        byRowid
            ? QStringLiteral("SELECT rowid FROM %1 WHERE rowid = ?").arg(m_stored->qualifiedName())
            : QStringLiteral("SELECT rowid FROM %1 WHERE %2")
                  .arg(m_stored->qualifiedName(), condition));
    StatementUse use(st);
    if (!condition.endsWith(QStringLiteral("IS NULL")) || byRowid)
        st.bind(1, key);
    int best = -1;
    while (st.step()) {
        int position = positionOf(st.int64(0));
        if (position >= 0 && (best < 0 || position < best))
            best = position;
    }
    if (best < 0)
        return false;
    moveTo(best, false, false);
    return true;
}

} // namespace engine

#include "database.h"
#include "error.h"
#include "table.h"
#include "table_private.h"

#include <algorithm>

namespace engine {

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
    // The rows of a detail (one master's rows, a handful) or of a filter callback are read
    // with their keys and kept: reading each again by its id would cost a statement a row.
    // A detail reads just the dataset's fields; the callback may ask for any.
    const bool detail = m_master && !callback;
    QString columns;
    if (callback) {
        columns = QStringLiteral(", *");
    } else if (detail) {
        for (int column : m_columnOfField)
            columns +=
                QStringLiteral(", ") + quoteIdentifier(m_stored->fields[std::size_t(column)].name);
    }
    const QString sql = QStringLiteral("SELECT rowid%1 FROM %2%3%4")
                            .arg(columns, m_stored->qualifiedName(), where, orderByClause());
    // A list of ids makes a statement of its own each time: not worth keeping.
    std::optional<Statement> own;
    if (candidates)
        own.emplace(m_db->handle(), sql);
    Statement& st = candidates ? *own : m_db->cached(sql);
    StatementUse use(st);
    for (std::size_t i = 0; i < bindings.size(); ++i)
        st.bind(int(i + 1), bindings[i]);
    m_keys.clear();
    if (columns.isEmpty()) {
        while (st.step())
            m_keys.push_back(st.int64(0));
        return;
    }
    m_cache->follow(m_stored->generation);
    if (detail) {
        m_cache->inOrder.clear();
        m_cache->width = std::size_t(fieldCount());
        while (st.step()) {
            m_keys.push_back(st.int64(0));
            for (int i = 0; i < fieldCount(); ++i) {
                const int column = m_columnOfField[std::size_t(i)];
                m_cache->inOrder.push_back(
                    st.value(1 + i, m_stored->fields[std::size_t(column)].type));
            }
        }
        return;
    }
    TableRecordView view(*m_stored, st, 1);
    while (st.step()) {
        if (!m_filterCallback(view))
            continue;
        const qint64 rowid = st.int64(0);
        m_keys.push_back(rowid);
        if (m_keys.size() <= RowCache::kMaxRows)
            m_cache->keep(rowid, rowAt(st, 1));
    }
}

void Table::masterMoved() {
    checkBrowseMode();
    readKeys();
    Dataset::first();
    notify(ChangeKind::DataChanged);
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

} // namespace engine

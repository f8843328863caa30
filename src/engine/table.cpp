#include "table.h"

#include "database.h"
#include "error.h"
#include "session.h"
#include "table_private.h"

#include <algorithm>

namespace engine {

QString RecordView::asString(const QString& fieldName) const {
    return value(fieldName).toString();
}

qint64 RecordView::asInteger(const QString& fieldName) const {
    return value(fieldName).toLongLong();
}

Table::Table(Session& session) : m_session(session), m_cache(std::make_unique<RowCache>()) {}

Table::~Table() {
    if (m_master && m_masterListener)
        m_master->removeListener(m_masterListener);
}

void Table::doOpen() {
    if (m_tableName.isEmpty())
        throw Error(QStringLiteral("No table name given"));
    // A table opened again and again (a detail read for each check) finds its catalogue
    // once: an alias is never changed while the program runs.
    if (!m_db || m_dbAlias != m_alias) {
        m_db = m_session.database(m_alias);
        m_dbAlias = m_alias;
    }
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
    m_cache->clear();
    m_insertRow = -1;
    readKeys();
}

void Table::doClose() {
    m_keys.clear();
    m_cache->clear();
    m_insertRow = -1;
    m_currentRowid = 0;
    m_stored = nullptr;
}

void Table::ensureActive() const {
    if (!isActive())
        throw Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

} // namespace engine

#include "hit_query.h"

#include "engine/database.h"
#include "engine/error.h"
#include "engine/hit_order.h"
#include "engine/session.h"
#include "engine/spare_memory.h"
#include "engine/sql_translator.h"
#include "engine/statement.h"

#include <algorithm>

namespace {

// Enough for a few screens of a grid scrolled back and forth.
constexpr std::size_t kWindowRows = 1024;
// Hits are read a block at a time: a screenful or more.
constexpr int kBlockRows = 64;

} // namespace

HitQuery::HitQuery(engine::Session& session) : SqlDataset(session) {}

HitQuery::~HitQuery() = default;

void HitQuery::doOpen() {
    release();
    try {
        readHits();
    } catch (...) {
        release();
        throw;
    }
}

void HitQuery::readHits() {
    m_database = database();
    engine::Database& database = *m_database;
    // The tables in the order of the statement, whose columns the hits hold in that order.
    std::vector<engine::StoredTable*> tables;
    const engine::TranslatedSql translated = engine::translateSql(
        sql().join(u'\n'),
        [&](const QString& fileName) -> const engine::StoredTable& {
            engine::StoredTable& table = database.table(fileName);
            tables.push_back(&table);
            return table;
        },
        engine::SqlResult::HitIds);
    for (engine::StoredTable* table : tables)
        m_sources.push_back(Source{table});
    m_columns = int(translated.columns.size());

    engine::Statement statement = prepareStatement(database, translated);
    // The statement decides the hits and their order; of each hit only the row ids are
    // kept.
    m_ids = engine::orderHits(statement, translated.hitOrder);
    engine::handBackSpareMemory(); // what sorting them took
    setFields(translated.columns);
}

void HitQuery::doClose() {
    release();
}

// Lets go of the hits and of every row read.
void HitQuery::release() {
    m_ids.clear();
    m_ids.shrink_to_fit();
    m_window.clear();
    m_sources.clear();
    m_database.reset();
    m_columns = 0;
    engine::handBackSpareMemory();
}

int HitQuery::recordCount() const {
    return m_sources.empty() ? 0 : int(m_ids.size() / m_sources.size());
}

void HitQuery::loadRow(int row) {
    if (row < 0 || row >= recordCount())
        return;
    m_buffer = hit(row);
}

QVariant HitQuery::rowValue(int row, int fieldIndex) const {
    if (row < 0 || row >= recordCount() || fieldIndex < 0 || fieldIndex >= m_columns)
        return QVariant();
    return hit(row)[std::size_t(fieldIndex)];
}

const std::vector<QVariant>& HitQuery::hit(int row) const {
    quint64 generation = 0;
    for (const Source& source : m_sources)
        generation += source.table->generation;
    if (generation != m_windowGeneration) {
        m_window.clear();
        m_windowGeneration = generation;
    }
    if (auto it = m_window.find(row); it != m_window.end())
        return it->second;
    if (m_window.size() + kBlockRows > kWindowRows)
        m_window.clear();
    const int first = row - row % kBlockRows;
    readBlock(first, std::min(first + kBlockRows, recordCount()));
    return m_window.at(row);
}

// The hits of rows [first, end): the row of each table by its id, as the statement would
// have read it; a row deleted since the search shows empty. One statement per table reads
// the rows of them all, in one read transaction (statement by statement, SQLite would take
// and release its file locks for each).
void HitQuery::readBlock(int first, int end) const {
    const std::size_t tables = m_sources.size();
    std::vector<std::unordered_map<qint64, std::vector<QVariant>>> rowsOf(tables);
    engine::Database::ReadsTogether reads(*m_database);
    for (std::size_t s = 0; s < tables; ++s) {
        const engine::StoredTable& table = *m_sources[s].table;
        QStringList ids;
        for (int r = first; r < end; ++r)
            ids << QString::number(m_ids[std::size_t(r) * tables + s]);
        engine::Statement& st = m_database->cached(
            QStringLiteral(
                "SELECT rowid, * FROM %1 WHERE rowid IN (SELECT value FROM json_each(?))")
                .arg(table.qualifiedName()));
        engine::StatementUse use(st);
        st.bind(1, QVariant(u'[' + ids.join(u',') + u']'));
        while (st.step()) {
            std::vector<QVariant> values;
            values.reserve(table.fields.size());
            for (std::size_t c = 0; c < table.fields.size(); ++c)
                values.push_back(st.value(int(c) + 1, table.fields[c].type));
            rowsOf[s].emplace(st.int64(0), std::move(values));
        }
    }
    for (int r = first; r < end; ++r) {
        std::vector<QVariant> values;
        values.reserve(std::size_t(m_columns));
        for (std::size_t s = 0; s < tables; ++s) {
            const auto found = rowsOf[s].find(m_ids[std::size_t(r) * tables + s]);
            if (found != rowsOf[s].end())
                values.insert(values.end(), found->second.begin(), found->second.end());
            else
                values.resize(values.size() + m_sources[s].table->fields.size());
        }
        m_window.insert_or_assign(r, std::move(values));
    }
}

#include "query.h"

#include "database.h"
#include "error.h"
#include "session.h"
#include "sql_translator.h"
#include "statement.h"

namespace engine {

// A statement ready to step, with the connection it runs on kept alive.
struct Query::Prepared {
    std::shared_ptr<Database> database;
    TranslatedSql translated;
    Statement statement;

    std::vector<QVariant> readRow() const {
        std::vector<QVariant> row;
        row.reserve(translated.columns.size());
        for (std::size_t i = 0; i < translated.columns.size(); ++i)
            row.push_back(statement.value(int(i), translated.columns[i].type));
        return row;
    }
};

Query::Query(Session& session) : SqlDataset(session) {}

Query::~Query() = default;

std::unique_ptr<Query::Prepared> Query::prepare() {
    auto prepared = std::make_unique<Prepared>();
    prepared->database = database();
    Database& database = *prepared->database;
    prepared->translated =
        translateSql(sql().join(u'\n'), [&database](const QString& fileName) -> const StoredTable& {
            return database.table(fileName);
        });
    prepared->statement = prepareStatement(database, prepared->translated);
    return prepared;
}

void Query::doOpen() {
    m_rows.clear();
    std::unique_ptr<Prepared> prepared = prepare();
    std::vector<std::vector<QVariant>> rows;
    while (prepared->statement.step())
        rows.push_back(prepared->readRow());
    setFields(prepared->translated.columns);
    m_rows = std::move(rows);
}

void Query::doClose() {
    m_rows.clear();
    m_rows.shrink_to_fit();
}

void Query::loadRow(int row) {
    if (row < 0 || std::size_t(row) >= m_rows.size())
        return;
    m_buffer = m_rows[std::size_t(row)];
}

int Query::recordCount() const {
    return int(m_rows.size());
}

QVariant Query::rowValue(int row, int fieldIndex) const {
    if (row < 0 || std::size_t(row) >= m_rows.size())
        return QVariant();
    const auto& values = m_rows[std::size_t(row)];
    if (fieldIndex < 0 || std::size_t(fieldIndex) >= values.size())
        return QVariant();
    return values[std::size_t(fieldIndex)];
}

void Query::forEachRow(const std::function<void(const Query&)>& fn) {
    if (isActive())
        throw Error(QStringLiteral("The query must be closed to read it row by row"));
    std::unique_ptr<Prepared> prepared = prepare();
    setFields(prepared->translated.columns);
    // The fields show nothing again once the rows have been handed out, however it ends.
    struct ClearBuffer {
        Query& query;
        ~ClearBuffer() { query.clearBuffer(); }
    } clear{*this};
    while (prepared->statement.step()) {
        m_buffer = prepared->readRow();
        fn(*this);
    }
}

} // namespace engine

#include "sql_translator.h"

#include "sql_parser.h"
#include "sql_writer.h"

namespace engine {

TranslatedSql translateSql(const QString& localSql, const TableResolver& resolveTable,
                           SqlResult result) {
    return sql::writeSqlite(sql::parseSelect(localSql, resolveTable), result);
}

namespace {

void bindAll(Statement& statement, const std::vector<TranslatedSql::Binding>& bindings,
             const ParameterValues& valueOf, const QVariant& keys) {
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        const TranslatedSql::Binding& binding = bindings[i];
        const int position = int(i + 1);
        if (binding.keys)
            statement.bind(position, keys);
        else if (binding.parameterName.isEmpty())
            statement.bind(position, binding.constant);
        else
            statement.bind(position, valueOf(binding.parameterName));
    }
}

} // namespace

Statement prepareTranslated(sqlite3* db, const TranslatedSql& translated,
                            const ParameterValues& valueOf) {
    QVariant keys;
    if (!translated.keysSql.isEmpty()) {
        Statement keysStatement(db, translated.keysSql);
        bindAll(keysStatement, translated.keysBindings, valueOf, QVariant());
        if (keysStatement.step())
            keys = keysStatement.value(0);
    }
    Statement statement(db, translated.sql);
    bindAll(statement, translated.bindings, valueOf, keys);
    return statement;
}

} // namespace engine

#include "sql_writer.h"

#include "database.h"
#include "error.h"
#include "sql_chains.h"

#include <algorithm>
#include <optional>

namespace engine::sql {

namespace {

// What SQLite itself accepts: parentheses and calls nested at most this deep in the
// written text (its parser's stack holds about a hundred entries).
constexpr int kMaxSqlDepth = 16;
// The values SQLite binds to one statement at most (unless built with a higher limit).
constexpr std::size_t kMaxBindings = 32766;

class SqlWriter {
public:
    SqlWriter(const ParsedSelect& parsed, SqlResult result)
        : m_tables(parsed.tables), m_orderBy(parsed.orderBy.get()), m_descending(parsed.descending),
          m_result(result) {}

    TranslatedSql write(const ParsedSelect& parsed) const { return emit(parsed.where.get()); }

private:
    static QString columnSql(int table, const QString& field) {
        return QStringLiteral("t%1.%2").arg(table).arg(quoteIdentifier(field));
    }

    // Writes a node as SQLite text. depth counts the parentheses and function calls
    // around it: SQLite's parser refuses deep nesting, so the limit is checked here.
    QString expression(const Node& node, TranslatedSql& out, int depth = 0) const {
        if (node.kind != Node::Kind::Constant && node.kind != Node::Kind::Parameter &&
            node.kind != Node::Kind::Column && depth >= kMaxSqlDepth)
            throw Error(QStringLiteral("SQL error: the statement is nested too deeply"));
        const auto child = [&](std::size_t i) {
            return expression(*node.children[i], out, depth + 1);
        };
        switch (node.kind) {
        case Node::Kind::Constant:
            return bound(node.constant, out);
        case Node::Kind::Parameter:
            return placeholder(TranslatedSql::Binding{QVariant(), node.name}, out);
        case Node::Kind::Column:
            return columnSql(node.table, node.field);
        case Node::Kind::Upper:
            return QStringLiteral("sb_upper(%1)").arg(child(0));
        case Node::Kind::Join: {
            // Numbers at the start are added; from the first text on, all is joined.
            // SQLite binds || tighter than +, so the sum gets its own parentheses.
            std::size_t numbers = 0;
            while (numbers < node.children.size() &&
                   node.children[numbers]->type == ValueType::Number)
                ++numbers;
            QStringList sum;
            QStringList joined;
            for (std::size_t i = 0; i < node.children.size(); ++i)
                (i < numbers ? sum : joined) << child(i);
            if (joined.isEmpty())
                return u'(' + sum.join(QStringLiteral(" + ")) + u')';
            if (sum.size() > 1)
                joined.prepend(u'(' + sum.join(QStringLiteral(" + ")) + u')');
            else if (sum.size() == 1)
                joined.prepend(sum.front());
            return u'(' + joined.join(QStringLiteral(" || ")) + u')';
        }
        case Node::Kind::Compare:
            return QStringLiteral("(%1 %2 %3)").arg(child(0), node.name, child(1));
        case Node::Kind::Like: {
            const QString negation = node.negated ? QStringLiteral("NOT ") : QString();
            const Node& text = *node.children[0];
            // UPPER(x) LIKE p, the form of every search, in one call: no upper-cased copy
            // of each row's text is handed back to SQLite.
            if (text.kind == Node::Kind::Upper) {
                const QString inner = expression(*text.children[0], out, depth + 1);
                return QStringLiteral("%1sb_like_upper(%2, %3)").arg(negation, child(1), inner);
            }
            return QStringLiteral("%1sb_like(%2, %3)").arg(negation, child(1), child(0));
        }
        case Node::Kind::And:
        case Node::Kind::Or:
            return chain(node, out, depth);
        case Node::Kind::Not:
            return QStringLiteral("(NOT %1)").arg(child(0));
        }
        return QString();
    }

    // An AND or OR of any length. The nesting a long chain needs counts towards the
    // statement's depth.
    QString chain(const Node& node, TranslatedSql& out, int depth) const {
        const std::vector<ChainTerm> terms = chainTerms(node);
        const int inner = depth + 1 + chainLevels(terms.size());
        QStringList parts;
        for (const ChainTerm& term : terms) {
            if (term.condition) {
                parts << expression(*term.condition, out, inner);
                continue;
            }
            if (inner >= kMaxSqlDepth)
                throw Error(QStringLiteral("SQL error: the statement is nested too deeply"));
            // One value bound, however many constants: SQLite takes a limited number of
            // values, and of terms in an expression.
            parts << QStringLiteral("(%1 IN (SELECT value FROM json_each(%2)))")
                         .arg(columnSql(term.column->table, term.column->field),
                              bound(jsonArrayOf(term.constants), out));
        }
        return chainSql(parts, node.kind == Node::Kind::And ? QStringLiteral(" AND ")
                                                            : QStringLiteral(" OR "));
    }

    // A cast-list style join: "list LIKE '%*' + key + '*%'" with list and key in different
    // tables. Tried pair by pair it costs a LIKE for every row of one table times every
    // row of the other; it is found instead by splitting each list once at its delimiter
    // and looking the pieces up among the keys (see sb_segments).
    struct TokenJoin {
        const Node* condition = nullptr; // the LIKE
        const Node* list = nullptr;      // the column searched in
        const Node* key = nullptr;       // the other table's column joined into the pattern
        QString delimiter;               // one character, not "%"
    };

    static bool keyTypeJoinsExactly(FieldType type) {
        // Text, and whole numbers, whose text is exactly what the lookup compares with.
        return isTextField(type) || type == FieldType::AutoInc || type == FieldType::Integer ||
               type == FieldType::SmallInt;
    }

    FieldType fieldType(const Node& column) const {
        const StoredTable& stored = *m_tables[std::size_t(column.table)].table;
        return stored.fields[std::size_t(stored.column(column.field))].type;
    }

    // The conditions that must all hold.
    static std::vector<const Node*> conjunctsOf(const Node& where) {
        std::vector<const Node*> conjuncts;
        if (where.kind == Node::Kind::And) {
            for (const NodePtr& child : where.children)
                conjuncts.push_back(child.get());
        } else {
            conjuncts.push_back(&where);
        }
        return conjuncts;
    }

    // The tables a node reads, one bit each.
    static unsigned tablesOf(const Node& node) {
        unsigned tables = node.kind == Node::Kind::Column ? 1u << node.table : 0u;
        for (const NodePtr& child : node.children)
            tables |= tablesOf(*child);
        return tables;
    }

    std::optional<TokenJoin> tokenJoinIn(const Node& where) const {
        if (m_tables.size() != 2)
            return std::nullopt;
        for (const Node* condition : conjunctsOf(where)) {
            if (condition->kind != Node::Kind::Like || condition->negated)
                continue;
            const Node& list = *condition->children[0];
            const Node& pattern = *condition->children[1];
            if (list.kind != Node::Kind::Column || pattern.kind != Node::Kind::Join ||
                pattern.children.size() != 3)
                continue;
            const Node& head = *pattern.children[0];
            const Node& key = *pattern.children[1];
            const Node& tail = *pattern.children[2];
            if (key.kind != Node::Kind::Column || key.table == list.table ||
                !keyTypeJoinsExactly(fieldType(key)))
                continue;
            if (head.kind != Node::Kind::Constant || tail.kind != Node::Kind::Constant ||
                head.type != ValueType::Text || tail.type != ValueType::Text)
                continue;
            const QString headText = head.constant.toString();
            const QString tailText = tail.constant.toString();
            if (headText.size() != 2 || headText.front() != u'%' || tailText.size() != 2 ||
                tailText.back() != u'%')
                continue;
            const QChar delimiter = headText.back();
            if (delimiter != tailText.front() || delimiter == u'%' || delimiter.isSurrogate())
                continue;
            return TokenJoin{condition, &list, &key, QString(delimiter)};
        }
        return std::nullopt;
    }

    // Adds a binding and returns the SQLite parameter that stands for it.
    static QString placeholder(TranslatedSql::Binding binding, TranslatedSql& out) {
        out.bindings.push_back(std::move(binding));
        return QStringLiteral("?%1").arg(out.bindings.size());
    }
    static QString bound(const QVariant& value, TranslatedSql& out) {
        return placeholder(TranslatedSql::Binding{value, QString()}, out);
    }

    QString tableSql(int table) const {
        return QStringLiteral("%1 AS t%2")
            .arg(m_tables[std::size_t(table)].table->qualifiedName(), QString::number(table));
    }

    // The place of a column among the result's columns.
    int resultColumn(const Node& column) const {
        int place = 0;
        for (int i = 0; i < column.table; ++i)
            place += int(m_tables[std::size_t(i)].table->fields.size());
        return place + m_tables[std::size_t(column.table)].table->column(column.field);
    }

    QString orderSql(const QString& key, const QStringList& rowids) const {
        QStringList order;
        order << key +
                     (m_orderBy->type == ValueType::Text ? QStringLiteral(" COLLATE DANISH")
                                                         : QString()) +
                     (m_descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
        order << rowids;
        return order.join(QStringLiteral(", "));
    }

    // The keys statement of a token join: each key that the pieces can find (one without
    // the delimiter and "%") with its row, of the rows that pass the conditions on the key's
    // table alone. Those are read once, before any list is split.
    void writeKeysStatement(const TokenJoin& join, const Node& where, TranslatedSql& out) const {
        const unsigned keyTable = 1u << join.key->table;
        const QString key = columnSql(join.key->table, join.key->field);
        TranslatedSql keys;
        QStringList conditions{
            QStringLiteral("instr(%1, %2) = 0").arg(key, bound(join.delimiter, keys)),
            QStringLiteral("instr(%1, %2) = 0").arg(key, bound(QStringLiteral("%"), keys))};
        for (const Node* condition : conjunctsOf(where)) {
            if ((tablesOf(*condition) & ~keyTable) == 0)
                conditions << expression(*condition, keys);
        }
        out.keysSql =
            QStringLiteral("SELECT json_group_array(json_array(CAST(%1 AS TEXT), t%2.rowid)) "
                           "FROM %3 WHERE %4")
                .arg(key, QString::number(join.key->table), tableSql(join.key->table),
                     conditions.join(QStringLiteral(" AND ")));
        out.keysBindings = std::move(keys.bindings);
    }

    // Two parts give the rows of a token join: pairs whose key is one of the pieces of the
    // list, found through the keys statement, and pairs whose key holds the delimiter or
    // "%", tried the slow way (as a rule there are none). A key found among the pieces
    // holds neither, and a piece is text between two delimiters: so "%" + delimiter + key
    // + delimiter + "%" matches its list, and the key's row passed the conditions on its
    // table alone; only the other conditions are tested again. The slow part tests them
    // all. Each accepted pair comes once. The selected columns are c0, c1, ... and the
    // tables' row ids r0, r1, ...
    QString tokenJoinSql(const TokenJoin& join, const Node& where, const QStringList& columns,
                         TranslatedSql& out) const {
        const unsigned keyTable = 1u << join.key->table;
        QStringList others;
        // Without a column of the key's table to read, its row id is the piece's.
        bool keyRowRead =
            m_result == SqlResult::Rows || (m_orderBy && tablesOf(*m_orderBy) & keyTable);
        for (const Node* condition : conjunctsOf(where)) {
            const unsigned tables = tablesOf(*condition);
            if (condition == join.condition || (tables & ~keyTable) == 0)
                continue;
            others << expression(*condition, out);
            keyRowRead = keyRowRead || (tables & keyTable) != 0;
        }
        const auto select = [&](bool keyRowFromPiece) {
            QStringList selected;
            for (qsizetype i = 0; i < columns.size(); ++i)
                selected << QStringLiteral("%1 AS c%2").arg(columns[i]).arg(i);
            for (std::size_t i = 0; i < m_tables.size(); ++i) {
                selected << (keyRowFromPiece && int(i) == join.key->table
                                 ? QStringLiteral("piece.keyrow AS r%1").arg(i)
                                 : QStringLiteral("t%1.rowid AS r%1").arg(i));
            }
            return QStringLiteral("SELECT ") + selected.join(QStringLiteral(", "));
        };
        const QString list = columnSql(join.list->table, join.list->field);
        const QString key = columnSql(join.key->table, join.key->field);

        writeKeysStatement(join, where, out);
        const QString delimiter = bound(join.delimiter, out);
        const QString keys = placeholder(TranslatedSql::Binding{QVariant(), QString(), true}, out);
        QString found =
            QStringLiteral("%1 FROM %2 CROSS JOIN sb_segments(%3, %4, %5) AS piece")
                .arg(select(!keyRowRead), tableSql(join.list->table), list, delimiter, keys);
        if (keyRowRead) {
            found += QStringLiteral(" CROSS JOIN ") + tableSql(join.key->table);
            others.prepend(QStringLiteral("t%1.rowid = piece.keyrow").arg(join.key->table));
        }
        if (!others.isEmpty())
            found += QStringLiteral(" WHERE ") + others.join(QStringLiteral(" AND "));
        const QString remaining =
            QStringLiteral("%1 FROM %2 CROSS JOIN %3 WHERE (instr(%4, %5) > 0 OR "
                           "instr(%4, %6) > 0) AND %7")
                .arg(select(false), tableSql(join.key->table), tableSql(join.list->table), key,
                     bound(join.delimiter, out), bound(QStringLiteral("%"), out),
                     expression(where, out));
        // Hit ids in no order are the two parts' columns as they stand.
        if (m_result == SqlResult::HitIds)
            return found + QStringLiteral(" UNION ALL ") + remaining;

        QStringList names;
        for (qsizetype i = 0; i < columns.size(); ++i)
            names << QStringLiteral("c%1").arg(i);
        QStringList rowids;
        for (std::size_t i = 0; i < m_tables.size(); ++i)
            rowids << QStringLiteral("r%1").arg(i);
        const QString parts = QStringLiteral("FROM (%1 UNION ALL %2)").arg(found, remaining);
        const QString order = m_orderBy ? orderSql(names[resultColumn(*m_orderBy)], rowids)
                                        : rowids.join(QStringLiteral(", "));
        return QStringLiteral("SELECT %1 %2 ORDER BY %3")
            .arg(names.join(QStringLiteral(", ")), parts, order);
    }

    TranslatedSql emit(const Node* where) const {
        TranslatedSql out;
        QStringList columns;
        QStringList tables;
        QStringList rowids;
        for (std::size_t i = 0; i < m_tables.size(); ++i) {
            const StoredTable& stored = *m_tables[i].table;
            for (const FieldDef& field : stored.fields) {
                if (m_result == SqlResult::Rows)
                    columns << columnSql(int(i), field.name);
                out.columns.push_back(field);
            }
            tables << tableSql(int(i));
            rowids << QStringLiteral("t%1.rowid").arg(i);
        }
        if (m_result == SqlResult::HitIds) {
            if (m_orderBy)
                columns << expression(*m_orderBy, out);
            out.hitOrder = TranslatedSql::HitOrder{m_orderBy != nullptr,
                                                   m_orderBy && m_orderBy->type == ValueType::Text,
                                                   m_descending, int(m_tables.size())};
        }
        if (where) {
            if (const std::optional<TokenJoin> join = tokenJoinIn(*where)) {
                out.sql = tokenJoinSql(*join, *where, columns, out);
                return out;
            }
        }
        if (m_result == SqlResult::HitIds)
            columns << rowids;
        QString sql =
            QStringLiteral("SELECT %1 FROM %2")
                .arg(columns.join(QStringLiteral(", ")), tables.join(QStringLiteral(", ")));
        if (where)
            sql += QStringLiteral(" WHERE ") + expression(*where, out);
        // Rows equal in the sort column keep the tables' own order, so that the result
        // is the same every time.
        if (m_result == SqlResult::Rows) {
            sql += QStringLiteral(" ORDER BY ") +
                   (m_orderBy ? orderSql(expression(*m_orderBy, out), rowids)
                              : rowids.join(QStringLiteral(", ")));
        }
        out.sql = sql;
        return out;
    }

    const std::vector<ParsedSelect::Source>& m_tables;
    const Node* m_orderBy; // a column, or none
    bool m_descending;
    SqlResult m_result;
};

} // namespace

TranslatedSql writeSqlite(const ParsedSelect& parsed, SqlResult result) {
    TranslatedSql translated = SqlWriter(parsed, result).write(parsed);
    if (std::max(translated.bindings.size(), translated.keysBindings.size()) > kMaxBindings)
        throw Error(QStringLiteral("SQL error: the statement has more than %1 texts, numbers "
                                   "and parameters")
                        .arg(kMaxBindings));
    return translated;
}

} // namespace engine::sql

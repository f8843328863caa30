#include "sql_parser.h"

#include "database.h"
#include "error.h"
#include "sql_tokenizer.h"

#include <algorithm>

namespace engine::sql {

namespace {

// Deeper nesting of parentheses, NOT and UPPER is refused: the parser and the tree it
// builds recurse once per level.
constexpr int kMaxNesting = 100;
// SQLite refuses an expression tree more than 1000 deep, and a chain of + is written as
// one such chain (unlike AND and OR, adding numbers is not the same in any grouping).
constexpr std::size_t kMaxJoined = 50;

const char* const kKeywords[] = {"SELECT", "FROM", "WHERE", "ORDER", "BY",   "ASC",
                                 "DESC",   "AND",  "OR",    "NOT",   "LIKE", "UPPER"};

class Parser {
public:
    Parser(const QString& source, const TableResolver& resolve)
        : m_source(source), m_tokens(tokenize(source)), m_resolve(resolve) {}

    ParsedSelect parse() {
        expectWord("SELECT");
        expectSymbol("*", QStringLiteral("'*' (all columns)"));
        expectWord("FROM");
        table();
        if (acceptSymbol(","))
            table();
        NodePtr where;
        if (acceptWord("WHERE")) {
            const qsizetype position = peek().position;
            where = orExpression();
            requireCondition(*where, position);
        }
        NodePtr orderBy;
        bool descending = false;
        if (acceptWord("ORDER")) {
            expectWord("BY");
            orderBy = columnReference();
            if (acceptWord("DESC"))
                descending = true;
            else
                acceptWord("ASC");
        }
        if (peek().kind != TokenKind::End)
            failAt(m_source, peek().position,
                   QStringLiteral("%1 follows the end of the statement").arg(describe(peek())));
        ParsedSelect parsed;
        parsed.tables = std::move(m_tables);
        parsed.where = std::move(where);
        parsed.orderBy = std::move(orderBy);
        parsed.descending = descending;
        return parsed;
    }

private:
    using Source = ParsedSelect::Source;

    // Token access ---------------------------------------------------------------------

    const Token& peek(std::size_t ahead = 0) const {
        return m_tokens[std::min(m_next + ahead, m_tokens.size() - 1)];
    }
    const Token& advance() {
        const Token& token = peek();
        if (m_next < m_tokens.size() - 1)
            ++m_next;
        return token;
    }
    static bool isWord(const Token& token, const char* word) {
        return token.kind == TokenKind::Word &&
               token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    static bool isSymbol(const Token& token, const char* symbol) {
        return token.kind == TokenKind::Symbol && token.text == QLatin1String(symbol);
    }
    static bool isKeyword(const Token& token) {
        for (const char* keyword : kKeywords) {
            if (isWord(token, keyword))
                return true;
        }
        return false;
    }
    bool acceptWord(const char* word) {
        if (!isWord(peek(), word))
            return false;
        advance();
        return true;
    }
    bool acceptSymbol(const char* symbol) {
        if (!isSymbol(peek(), symbol))
            return false;
        advance();
        return true;
    }
    void expectWord(const char* word) {
        if (!acceptWord(word))
            unexpected(QLatin1String(word));
    }
    void expectSymbol(const char* symbol, const QString& what) {
        if (!acceptSymbol(symbol))
            unexpected(what);
    }

    static QString describe(const Token& token) {
        switch (token.kind) {
        case TokenKind::End:
            return QStringLiteral("the end of the statement");
        case TokenKind::String: {
            QString text = token.text;
            if (text.size() > 30)
                text = text.left(30) + QStringLiteral("...");
            return QStringLiteral("the text %1%2%1").arg(token.quote, text);
        }
        case TokenKind::Parameter:
            return QStringLiteral("the parameter :%1").arg(token.text);
        case TokenKind::Number:
            return QStringLiteral("the number %1").arg(token.text);
        default: {
            QString text = token.text;
            if (text.size() > 30)
                text = text.left(30) + QStringLiteral("...");
            return QStringLiteral("'%1'").arg(text);
        }
        }
    }

    [[noreturn]] void unexpected(const QString& expected) const {
        failAt(m_source, peek().position,
               QStringLiteral("%1 expected, but found %2").arg(expected, describe(peek())));
    }

    // Nesting guard --------------------------------------------------------------------

    class Nesting {
    public:
        explicit Nesting(Parser& parser) : m_parser(parser) {
            if (++m_parser.m_depth > kMaxNesting)
                failAt(m_parser.m_source, m_parser.peek().position,
                       QStringLiteral("the statement is nested too deeply"));
        }
        ~Nesting() { --m_parser.m_depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& m_parser;
    };

    // FROM -----------------------------------------------------------------------------

    void table() {
        const Token& token = peek();
        if (token.kind != TokenKind::String || token.quote != u'"')
            unexpected(QStringLiteral("a table file name in double quotes"));
        advance();
        const StoredTable& stored = m_resolve(token.text);
        for (const Source& source : m_tables) {
            if (source.table == &stored ||
                source.name.compare(token.text, Qt::CaseInsensitive) == 0)
                failAt(m_source, token.position,
                       QStringLiteral("the table \"%1\" is named twice").arg(token.text));
        }
        m_tables.push_back(Source{token.text, &stored});
    }

    // Conditions and values ------------------------------------------------------------

    void requireCondition(const Node& node, qsizetype position) const {
        if (node.type != ValueType::Condition)
            failAt(m_source, position,
                   QStringLiteral("a condition expected (a comparison or LIKE), not a value"));
    }
    void requireValue(const Node& node, qsizetype position) const {
        if (node.type == ValueType::Condition)
            failAt(m_source, position, QStringLiteral("a value expected, not a condition"));
    }

    NodePtr logical(Node::Kind kind, const char* keyword, NodePtr (Parser::*operand)()) {
        const qsizetype start = peek().position;
        NodePtr first = (this->*operand)();
        if (!isWord(peek(), keyword))
            return first;
        requireCondition(*first, start);
        NodePtr node = makeNode(kind, ValueType::Condition);
        node->children.push_back(std::move(first));
        while (acceptWord(keyword)) {
            const qsizetype position = peek().position;
            NodePtr next = (this->*operand)();
            requireCondition(*next, position);
            node->children.push_back(std::move(next));
        }
        return node;
    }

    NodePtr orExpression() { return logical(Node::Kind::Or, "OR", &Parser::andExpression); }
    NodePtr andExpression() { return logical(Node::Kind::And, "AND", &Parser::notExpression); }

    NodePtr notExpression() {
        if (!isWord(peek(), "NOT"))
            return comparison();
        Nesting nesting(*this);
        advance();
        const qsizetype position = peek().position;
        NodePtr operand = notExpression();
        requireCondition(*operand, position);
        NodePtr node = makeNode(Node::Kind::Not, ValueType::Condition);
        node->children.push_back(std::move(operand));
        return node;
    }

    NodePtr comparison() {
        const qsizetype start = peek().position;
        NodePtr left = join();
        static const char* const operators[] = {"=", "<>", "<", ">", "<=", ">="};
        for (const char* op : operators) {
            if (isSymbol(peek(), op)) {
                advance();
                requireValue(*left, start);
                const qsizetype position = peek().position;
                NodePtr right = join();
                requireValue(*right, position);
                NodePtr node = makeNode(Node::Kind::Compare, ValueType::Condition);
                node->name = QLatin1String(op);
                node->children.push_back(std::move(left));
                node->children.push_back(std::move(right));
                return node;
            }
        }
        bool negated = false;
        if (isWord(peek(), "NOT") && isWord(peek(1), "LIKE")) {
            advance();
            negated = true;
        }
        if (!acceptWord("LIKE"))
            return left;
        requireValue(*left, start);
        const qsizetype position = peek().position;
        NodePtr pattern = join();
        requireValue(*pattern, position);
        NodePtr node = makeNode(Node::Kind::Like, ValueType::Condition);
        node->negated = negated;
        node->children.push_back(std::move(left));
        node->children.push_back(std::move(pattern));
        return node;
    }

    // value + value + ...: joins text; adds when every part so far is a number.
    NodePtr join() {
        const qsizetype start = peek().position;
        NodePtr first = primary();
        if (!isSymbol(peek(), "+"))
            return first;
        requireValue(*first, start);
        NodePtr node = makeNode(Node::Kind::Join, first->type);
        node->children.push_back(std::move(first));
        while (acceptSymbol("+")) {
            const qsizetype position = peek().position;
            if (node->children.size() == kMaxJoined)
                failAt(m_source, position, QStringLiteral("too many terms joined by +"));
            NodePtr next = primary();
            requireValue(*next, position);
            if (next->type != ValueType::Number)
                node->type = ValueType::Text;
            node->children.push_back(std::move(next));
        }
        return node;
    }

    NodePtr primary() {
        const Token& token = peek();
        switch (token.kind) {
        case TokenKind::String:
            if (token.quote == u'"' && isSymbol(peek(1), "."))
                return columnReference();
            advance();
            return constant(QVariant(token.text), ValueType::Text);
        case TokenKind::Number:
            advance();
            return constant(token.number, ValueType::Number);
        case TokenKind::Parameter: {
            advance();
            NodePtr node = makeNode(Node::Kind::Parameter, ValueType::Text);
            node->name = token.text;
            return node;
        }
        case TokenKind::Symbol:
            if (isSymbol(token, "("))
                return parenthesized();
            if (isSymbol(token, "-") && peek(1).kind == TokenKind::Number) {
                advance();
                const QVariant value = advance().number;
                return constant(value.typeId() == QMetaType::LongLong
                                    ? QVariant(-value.toLongLong())
                                    : QVariant(-value.toDouble()),
                                ValueType::Number);
            }
            break;
        case TokenKind::Word:
            if (isWord(token, "UPPER"))
                return upper();
            if (isSymbol(peek(1), "("))
                failAt(m_source, token.position,
                       QStringLiteral("unknown function %1; only UPPER is known").arg(token.text));
            if (!isKeyword(token))
                return columnReference();
            break;
        case TokenKind::End:
            break;
        }
        unexpected(QStringLiteral("a column, a text, a number or a parameter"));
    }

    NodePtr constant(const QVariant& value, ValueType type) {
        NodePtr node = makeNode(Node::Kind::Constant, type);
        node->constant = value;
        return node;
    }

    NodePtr parenthesized() {
        Nesting nesting(*this);
        advance();
        NodePtr inner = orExpression();
        expectSymbol(")", QStringLiteral("')'"));
        return inner;
    }

    NodePtr upper() {
        Nesting nesting(*this);
        advance();
        expectSymbol("(", QStringLiteral("'(' after UPPER"));
        const qsizetype position = peek().position;
        NodePtr argument = orExpression();
        requireValue(*argument, position);
        expectSymbol(")", QStringLiteral("')'"));
        NodePtr node = makeNode(Node::Kind::Upper, ValueType::Text);
        node->children.push_back(std::move(argument));
        return node;
    }

    // column, or "file".column
    NodePtr columnReference() {
        const Token& first = peek();
        int onlyTable = -1;
        if (first.kind == TokenKind::String && first.quote == u'"') {
            advance();
            for (std::size_t i = 0; i < m_tables.size(); ++i) {
                if (m_tables[i].name.compare(first.text, Qt::CaseInsensitive) == 0)
                    onlyTable = int(i);
            }
            if (onlyTable < 0)
                failAt(m_source, first.position,
                       QStringLiteral("the table \"%1\" is not named in FROM").arg(first.text));
            expectSymbol(".", QStringLiteral("'.'"));
        }
        const Token& name = peek();
        if (name.kind != TokenKind::Word || isKeyword(name))
            unexpected(QStringLiteral("a column name"));
        advance();
        NodePtr node;
        for (std::size_t i = 0; i < m_tables.size(); ++i) {
            if (onlyTable >= 0 && int(i) != onlyTable)
                continue;
            const int column = m_tables[i].table->column(name.text);
            if (column < 0)
                continue;
            if (node)
                failAt(m_source, name.position,
                       QStringLiteral("the column %1 is in both tables; name it as "
                                      "\"table\".%1")
                           .arg(name.text));
            const FieldDef& field = m_tables[i].table->fields[std::size_t(column)];
            node = makeNode(Node::Kind::Column,
                            isTextField(field.type) ? ValueType::Text : ValueType::Number);
            node->table = int(i);
            node->field = field.name;
        }
        if (!node)
            failAt(m_source, name.position, QStringLiteral("unknown column %1").arg(name.text));
        return node;
    }

    const QString& m_source;
    std::vector<Token> m_tokens;
    std::size_t m_next = 0;
    const TableResolver& m_resolve;
    std::vector<Source> m_tables;
    int m_depth = 0;
};

} // namespace

ParsedSelect parseSelect(const QString& source, const TableResolver& resolveTable) {
    return Parser(source, resolveTable).parse();
}

} // namespace engine::sql

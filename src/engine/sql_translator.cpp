#include "sql_translator.h"

#include "database.h"
#include "error.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace engine {

namespace {

// Deeper nesting of parentheses, NOT and UPPER is refused: the parser and the tree it
// builds recurse once per level.
constexpr int kMaxNesting = 100;
// What SQLite itself accepts: parentheses and calls nested at most this deep in the
// written text (its parser's stack holds about a hundred entries), and at most this many
// columns, constants and parameters (an expression tree at most 1000 deep).
constexpr int kMaxSqlDepth = 16;
constexpr int kMaxOperands = 250;

// ---------------------------------------------------------------------------------------
// Tokens

enum class TokenKind { Word, String, Number, Parameter, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;    // the word, symbol, parameter name or the string's contents
    QVariant number; // qint64 or double
    QChar quote;     // the quote character of a string
    qsizetype position = 0;
};

// "line 2, column 7" for a position in the statement's text.
QString placeOf(const QString& source, qsizetype position) {
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < position && i < source.size(); ++i) {
        if (source.at(i) == u'\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return QStringLiteral("line %1, column %2").arg(line).arg(position - lineStart + 1);
}

[[noreturn]] void failAt(const QString& source, qsizetype position, const QString& message) {
    throw Error(QStringLiteral("SQL error at %1: %2").arg(placeOf(source, position), message));
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

class Tokenizer {
public:
    explicit Tokenizer(const QString& source) : m_source(source) {}

    std::vector<Token> run() {
        std::vector<Token> tokens;
        for (;;) {
            while (!atEnd() && current().isSpace())
                ++m_pos;
            if (atEnd()) {
                Token end;
                end.position = m_pos;
                tokens.push_back(end);
                return tokens;
            }
            tokens.push_back(next());
        }
    }

private:
    bool atEnd() const { return m_pos >= m_source.size(); }
    QChar current() const { return m_source.at(m_pos); }
    QChar at(qsizetype pos) const { return pos < m_source.size() ? m_source.at(pos) : QChar(); }

    Token next() {
        Token token;
        token.position = m_pos;
        const QChar c = current();
        if (isWordStart(c)) {
            token.kind = TokenKind::Word;
            token.text = word();
        } else if (isDigit(c)) {
            number(token);
        } else if (c == u'\'' || c == u'"') {
            token.kind = TokenKind::String;
            token.quote = c;
            token.text = quoted(c);
        } else if (c == u':') {
            ++m_pos;
            if (atEnd() || !isWordStart(current()))
                failAt(m_source, token.position,
                       QStringLiteral("a parameter name must follow ':'"));
            token.kind = TokenKind::Parameter;
            token.text = word();
        } else {
            symbol(token);
        }
        return token;
    }

    QString word() {
        const qsizetype start = m_pos;
        while (!atEnd() && isWordChar(current()))
            ++m_pos;
        return m_source.mid(start, m_pos - start);
    }

    void number(Token& token) {
        const qsizetype start = m_pos;
        while (!atEnd() && isDigit(current()))
            ++m_pos;
        bool fraction = false;
        if (!atEnd() && current() == u'.' && isDigit(at(m_pos + 1))) {
            fraction = true;
            ++m_pos;
            while (!atEnd() && isDigit(current()))
                ++m_pos;
        }
        token.kind = TokenKind::Number;
        token.text = m_source.mid(start, m_pos - start);
        bool ok = false;
        if (!fraction) {
            const qint64 value = token.text.toLongLong(&ok);
            if (ok) {
                token.number = QVariant(value);
                return;
            }
        }
        const double value = token.text.toDouble(&ok);
        if (!ok || !std::isfinite(value))
            failAt(m_source, start,
                   QStringLiteral("the number %1 is out of range").arg(token.text));
        token.number = QVariant(value);
    }

    // A constant between quotes; the quote doubled stands for itself.
    QString quoted(QChar quote) {
        const qsizetype start = m_pos;
        ++m_pos;
        QString text;
        for (;;) {
            if (atEnd())
                failAt(m_source, start,
                       QStringLiteral("the text starting here has no closing %1")
                           .arg(quote == u'"' ? QStringLiteral("double quote")
                                              : QStringLiteral("quote")));
            const QChar c = current();
            ++m_pos;
            if (c != quote) {
                text += c;
            } else if (!atEnd() && current() == quote) {
                text += c;
                ++m_pos;
            } else {
                return text;
            }
        }
    }

    void symbol(Token& token) {
        static const QString twoCharacter[] = {QStringLiteral("<>"), QStringLiteral("<="),
                                               QStringLiteral(">=")};
        token.kind = TokenKind::Symbol;
        for (const QString& s : twoCharacter) {
            if (m_source.mid(m_pos, 2) == s) {
                token.text = s;
                m_pos += 2;
                return;
            }
        }
        const QChar c = current();
        if (QStringView(u"=<>(),.*+-").contains(c)) {
            token.text = c;
            ++m_pos;
            return;
        }
        if (c == u';')
            failAt(m_source, m_pos, QStringLiteral("only one statement is allowed, without ';'"));
        const QString shown =
            c.isPrint() ? QString(c) : QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        failAt(m_source, m_pos, QStringLiteral("unexpected character '%1'").arg(shown));
    }

    const QString& m_source;
    qsizetype m_pos = 0;
};

// ---------------------------------------------------------------------------------------
// Syntax tree

enum class ValueType { Text, Number, Condition };

struct Node {
    enum class Kind { Constant, Parameter, Column, Upper, Join, Compare, Like, And, Or, Not };
    Kind kind = Kind::Constant;
    ValueType type = ValueType::Text;
    QVariant constant;
    QString name; // parameter name, or the comparison operator
    int table = 0;
    QString field; // canonical field name
    bool negated = false;
    std::vector<std::unique_ptr<Node>> children;
};
using NodePtr = std::unique_ptr<Node>;

NodePtr makeNode(Node::Kind kind, ValueType type) {
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->type = type;
    return node;
}

bool isTextField(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}

const char* const kKeywords[] = {"SELECT", "FROM", "WHERE", "ORDER", "BY",   "ASC",
                                 "DESC",   "AND",  "OR",    "NOT",   "LIKE", "UPPER"};

// ---------------------------------------------------------------------------------------
// Parser

class Parser {
public:
    Parser(const QString& source, const TableResolver& resolve)
        : m_source(source), m_tokens(Tokenizer(source).run()), m_resolve(resolve) {}

    TranslatedSql translate() {
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
        return emit(where.get(), orderBy.get(), descending);
    }

private:
    struct Source {
        QString name; // as written in FROM
        const StoredTable* table = nullptr;
    };

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
            countOperand(token.position);
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

    void countOperand(qsizetype position) {
        if (++m_operands > kMaxOperands)
            failAt(m_source, position, QStringLiteral("the statement has too many terms"));
    }

    NodePtr constant(const QVariant& value, ValueType type) {
        countOperand(peek().position);
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
        countOperand(name.position);
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

    // SQLite text ----------------------------------------------------------------------

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
        case Node::Kind::Or: {
            QStringList parts;
            for (std::size_t i = 0; i < node.children.size(); ++i)
                parts << child(i);
            return u'(' +
                   parts.join(node.kind == Node::Kind::And ? QStringLiteral(" AND ")
                                                           : QStringLiteral(" OR ")) +
                   u')';
        }
        case Node::Kind::Not:
            return QStringLiteral("(NOT %1)").arg(child(0));
        }
        return QString();
    }

    // A cast-list style join: "list LIKE '%*' + key + '*%'" with list and key in different
    // tables. Tried pair by pair it costs a LIKE for every row of one table times every
    // row of the other; it is found instead by splitting each list once at its delimiter
    // and looking the pieces up among the keys (see sb_segments).
    struct TokenJoin {
        const Node* list = nullptr; // the column searched in
        const Node* key = nullptr;  // the other table's column joined into the pattern
        QString delimiter;          // one character, not "%"
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
            return TokenJoin{&list, &key, QString(delimiter)};
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

    QString orderSql(const QString& key, const Node& orderBy, bool descending,
                     const QStringList& rowids) const {
        QStringList order;
        order << key +
                     (orderBy.type == ValueType::Text ? QStringLiteral(" COLLATE DANISH")
                                                      : QString()) +
                     (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
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
    // "%", tried the slow way (as a rule there are none). Both keep the full condition, so
    // only the pairs it accepts are returned, each once.
    QString tokenJoinSql(const TokenJoin& join, const Node& where, const Node* orderBy,
                         bool descending, const QStringList& columns, TranslatedSql& out) const {
        QStringList selected;
        QStringList names;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            selected << QStringLiteral("%1 AS c%2").arg(columns[i]).arg(i);
            names << QStringLiteral("c%1").arg(i);
        }
        QStringList rowids;
        for (std::size_t i = 0; i < m_tables.size(); ++i) {
            selected << QStringLiteral("t%1.rowid AS r%1").arg(i);
            rowids << QStringLiteral("r%1").arg(i);
        }
        const QString select = QStringLiteral("SELECT ") + selected.join(QStringLiteral(", "));
        const QString list = columnSql(join.list->table, join.list->field);
        const QString key = columnSql(join.key->table, join.key->field);

        writeKeysStatement(join, where, out);
        const QString delimiter = bound(join.delimiter, out);
        const QString keys = placeholder(TranslatedSql::Binding{QVariant(), QString(), true}, out);
        const QString found =
            QStringLiteral("%1 FROM %2 CROSS JOIN sb_segments(%3, %4, %5) AS piece CROSS JOIN %6 "
                           "WHERE t%7.rowid = piece.keyrow AND %8")
                .arg(select, tableSql(join.list->table), list, delimiter, keys,
                     tableSql(join.key->table), QString::number(join.key->table),
                     expression(where, out));
        const QString remaining =
            QStringLiteral("%1 FROM %2 CROSS JOIN %3 WHERE (instr(%4, %5) > 0 OR "
                           "instr(%4, %6) > 0) AND %7")
                .arg(select, tableSql(join.key->table), tableSql(join.list->table), key,
                     bound(join.delimiter, out), bound(QStringLiteral("%"), out),
                     expression(where, out));
        QString sql = QStringLiteral("SELECT %1 FROM (%2 UNION ALL %3) ORDER BY ")
                          .arg(names.join(QStringLiteral(", ")), found, remaining);
        if (orderBy)
            sql += orderSql(names[resultColumn(*orderBy)], *orderBy, descending, rowids);
        else
            sql += rowids.join(QStringLiteral(", "));
        return sql;
    }

    TranslatedSql emit(const Node* where, const Node* orderBy, bool descending) const {
        TranslatedSql out;
        QStringList columns;
        QStringList tables;
        QStringList rowids;
        for (std::size_t i = 0; i < m_tables.size(); ++i) {
            const StoredTable& stored = *m_tables[i].table;
            for (const FieldDef& field : stored.fields) {
                columns << columnSql(int(i), field.name);
                out.columns.push_back(field);
            }
            tables << tableSql(int(i));
            rowids << QStringLiteral("t%1.rowid").arg(i);
        }
        if (where) {
            if (const std::optional<TokenJoin> join = tokenJoinIn(*where)) {
                out.sql = tokenJoinSql(*join, *where, orderBy, descending, columns, out);
                return out;
            }
        }
        QString sql =
            QStringLiteral("SELECT %1 FROM %2")
                .arg(columns.join(QStringLiteral(", ")), tables.join(QStringLiteral(", ")));
        if (where)
            sql += QStringLiteral(" WHERE ") + expression(*where, out);
        // Rows equal in the sort column keep the tables' own order, so that the result
        // is the same every time.
        sql += QStringLiteral(" ORDER BY ");
        if (orderBy)
            sql += orderSql(expression(*orderBy, out), *orderBy, descending, rowids);
        else
            sql += rowids.join(QStringLiteral(", "));
        out.sql = sql;
        return out;
    }

    const QString& m_source;
    std::vector<Token> m_tokens;
    std::size_t m_next = 0;
    const TableResolver& m_resolve;
    std::vector<Source> m_tables;
    int m_depth = 0;
    int m_operands = 0;
};

} // namespace

TranslatedSql translateSql(const QString& localSql, const TableResolver& resolveTable) {
    return Parser(localSql, resolveTable).translate();
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

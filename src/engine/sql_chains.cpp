#include "sql_chains.h"

#include <QHash>

namespace engine::sql {

namespace {

// The most terms written in one chain. SQLite builds a chain as a tree one level deeper
// per term, and refuses trees deeper than 1000; the writer nests at most 16 levels.
constexpr std::size_t kChainLength = 50;

// The column and the constant of "column = constant" or "constant = column".
std::pair<const Node*, const Node*> equalityTest(const Node& node) {
    if (node.kind != Node::Kind::Compare || node.name != QLatin1String("="))
        return {nullptr, nullptr};
    const Node& left = *node.children[0];
    const Node& right = *node.children[1];
    if (left.kind == Node::Kind::Column && right.kind == Node::Kind::Constant)
        return {&left, &right};
    if (left.kind == Node::Kind::Constant && right.kind == Node::Kind::Column)
        return {&right, &left};
    return {nullptr, nullptr};
}

void appendJsonText(const QString& text, QString& json) {
    json += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            json += u'\\';
            json += c;
        } else if (c.unicode() < 0x20) {
            json += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        } else {
            json += c;
        }
    }
    json += u'"';
}

void appendJsonNumber(const QVariant& number, QString& json) {
    if (number.typeId() == QMetaType::LongLong) {
        json += QString::number(number.toLongLong());
        return;
    }
    // A fraction stays a fraction: 3.0 compared with a text column is the text "3.0".
    QString text = QString::number(number.toDouble(), 'g', 17);
    if (!text.contains(u'.') && !text.contains(u'e'))
        text += QStringLiteral(".0");
    json += text;
}

} // namespace

std::vector<ChainTerm> chainTerms(const Node& node) {
    std::vector<ChainTerm> terms;
    if (node.kind != Node::Kind::Or) {
        for (const NodePtr& child : node.children)
            terms.push_back(ChainTerm{child.get(), nullptr, {}});
        return terms;
    }
    // Count each column's tests first: a single test stays as it is.
    QHash<QString, int> testsOfColumn;
    const auto key = [](const Node& column) {
        return QString::number(column.table) + u'.' + column.field;
    };
    for (const NodePtr& child : node.children) {
        if (const auto [column, constant] = equalityTest(*child); column)
            ++testsOfColumn[key(*column)];
    }
    QHash<QString, std::size_t> termOfColumn;
    for (const NodePtr& child : node.children) {
        const auto [column, constant] = equalityTest(*child);
        if (!column || testsOfColumn.value(key(*column)) < 2) {
            terms.push_back(ChainTerm{child.get(), nullptr, {}});
            continue;
        }
        const auto found = termOfColumn.constFind(key(*column));
        if (found != termOfColumn.constEnd()) {
            terms[*found].constants.push_back(constant);
            continue;
        }
        termOfColumn.insert(key(*column), terms.size());
        terms.push_back(ChainTerm{nullptr, column, {constant}});
    }
    return terms;
}

QString jsonArrayOf(const std::vector<const Node*>& constants) {
    QString json = QStringLiteral("[");
    for (const Node* constant : constants) {
        if (json.size() > 1)
            json += u',';
        if (constant->type == ValueType::Number)
            appendJsonNumber(constant->constant, json);
        else
            appendJsonText(constant->constant.toString(), json);
    }
    return json + u']';
}

int chainLevels(std::size_t count) {
    int levels = 0;
    for (; count > kChainLength; count = (count + kChainLength - 1) / kChainLength)
        ++levels;
    return levels;
}

QString chainSql(QStringList terms, const QString& op) {
    while (std::size_t(terms.size()) > kChainLength) {
        QStringList chains;
        for (qsizetype i = 0; i < terms.size(); i += qsizetype(kChainLength))
            chains << u'(' + terms.mid(i, qsizetype(kChainLength)).join(op) + u')';
        terms = std::move(chains);
    }
    return u'(' + terms.join(op) + u')';
}

} // namespace engine::sql

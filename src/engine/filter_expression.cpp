#include "filter_expression.h"

#include "collation.h"
#include "error.h"

namespace engine {

namespace {

// Reads `Field = 'value' AND ...` from left to right.
class FilterParser {
public:
    explicit FilterParser(const QString& text) : m_text(text) {}

    FilterExpression parse() {
        FilterExpression expression;
        skipSpace();
        if (atEnd())
            return expression;
        for (;;) {
            expression.terms.push_back(term());
            skipSpace();
            if (atEnd())
                return expression;
            const qsizetype at = m_pos;
            const QString word = name();
            if (word.compare(QStringLiteral("AND"), Qt::CaseInsensitive) != 0)
                fail(QStringLiteral("AND expected"), at);
            skipSpace();
            if (atEnd())
                fail(QStringLiteral("a condition is missing after AND"), m_pos);
        }
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text.at(m_pos); }

    void skipSpace() {
        while (!atEnd() && peek().isSpace())
            ++m_pos;
    }

    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    QString name() {
        const qsizetype start = m_pos;
        while (!atEnd() && isNameChar(peek()))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }

    FilterTerm term() {
        FilterTerm result;
        const qsizetype at = m_pos;
        result.field = name();
        if (result.field.isEmpty())
            fail(QStringLiteral("a field name expected"), at);
        skipSpace();
        if (peek() != u'=')
            fail(QStringLiteral("'=' expected after the field %1").arg(result.field), m_pos);
        ++m_pos;
        skipSpace();
        if (peek() != u'\'')
            fail(QStringLiteral("a value in apostrophes expected"), m_pos);
        result.value = quoted();
        if (result.value.endsWith(u'*')) {
            result.value.chop(1);
            result.prefix = true;
        }
        return result;
    }

    // A value between apostrophes; a doubled apostrophe stands for one.
    QString quoted() {
        const qsizetype start = m_pos;
        ++m_pos;
        QString value;
        for (;;) {
            if (atEnd())
                fail(QStringLiteral("the value has no closing apostrophe"), start);
            const QChar c = m_text.at(m_pos++);
            if (c != u'\'') {
                value += c;
                continue;
            }
            if (peek() == u'\'') {
                value += c;
                ++m_pos;
                continue;
            }
            return value;
        }
    }

    [[noreturn]] void fail(const QString& reason, qsizetype position) const {
        throw Error(QStringLiteral("Invalid filter expression \"%1\": %2 at position %3")
                        .arg(m_text, reason)
                        .arg(position + 1));
    }

    const QString& m_text;
    qsizetype m_pos = 0;
};

} // namespace

FilterExpression parseFilterExpression(const QString& text) {
    return FilterParser(text).parse();
}

QString quoteFilterValue(const QString& value) {
    QString doubled = value;
    doubled.replace(u'\'', QStringLiteral("''"));
    return u'\'' + doubled + u'\'';
}

bool filterTermMatches(const FilterTerm& term, const QString& value, bool caseInsensitive) {
    const QString text = caseInsensitive ? danishUpper(value) : value;
    const QString pattern = caseInsensitive ? danishUpper(term.value) : term.value;
    return term.prefix ? text.startsWith(pattern) : text == pattern;
}

} // namespace engine

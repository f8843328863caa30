#include "sql_tokenizer.h"

#include "error.h"

#include <cmath>

namespace engine::sql {

namespace {

// Guards against a statement that would fill the memory: its text is read whole, and each
// token and the tree built from it take some hundred bytes. A report on every group of a
// catalogue of 100,000 groups takes about 400,000 tokens.
constexpr qsizetype kMaxLength = 16 * 1024 * 1024;
constexpr std::size_t kMaxTokens = 1'000'000;

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
        if (m_source.size() > kMaxLength)
            tooLong();
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
            if (tokens.size() == kMaxTokens)
                tooLong();
            tokens.push_back(next());
        }
    }

private:
    // A report on more groups than any catalogue holds could meet this: told in Danish.
    [[noreturn]] static void tooLong() {
        throw Error(QStringLiteral("Forespørgslen er for stor til at kunne udføres. Gør udvalget "
                                   "mindre, og prøv igen."),
                    QStringLiteral("SQL error: the statement is too long to be run (more than "
                                   "%1 characters or %2 words, numbers and signs)")
                        .arg(kMaxLength)
                        .arg(kMaxTokens));
    }

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

} // namespace

[[noreturn]] void failAt(const QString& source, qsizetype position, const QString& message) {
    throw Error(QStringLiteral("SQL error at %1: %2").arg(placeOf(source, position), message));
}

std::vector<Token> tokenize(const QString& source) {
    return Tokenizer(source).run();
}

} // namespace engine::sql

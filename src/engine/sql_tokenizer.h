#pragma once

#include <QString>
#include <QVariant>
#include <vector>

// The words, constants and symbols of a local SQL statement.
namespace engine::sql {

enum class TokenKind { Word, String, Number, Parameter, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    QString text;    // the word, symbol, parameter name or the string's contents
    QVariant number; // qint64 or double
    QChar quote;     // the quote character of a string
    qsizetype position = 0;
};

// Throws engine::Error naming the line and column of a position in the statement.
[[noreturn]] void failAt(const QString& source, qsizetype position, const QString& message);

// The statement's tokens, ending with one of kind End; throws Error on a stray character,
// an unclosed text or a number out of range.
std::vector<Token> tokenize(const QString& source);

} // namespace engine::sql

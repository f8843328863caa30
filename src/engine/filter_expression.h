#pragma once

#include <QString>

#include <vector>

namespace engine {

// A table filter expression: terms `Field = 'value'` joined by AND. A value ending in
// an asterisk matches every value that begins with the text before it. Quotes inside a
// value are doubled ('O''Brien'). Field names match without regard to case.
struct FilterTerm {
    QString field;
    QString value;       // without the trailing asterisk
    bool prefix = false; // the value ended in '*'
};

struct FilterExpression {
    std::vector<FilterTerm> terms; // empty: every row passes
};

// Throws engine::Error with a readable message when the text is not such an expression.
FilterExpression parseFilterExpression(const QString& text);

// Quotes a value for a filter expression, doubling any apostrophe.
QString quoteFilterValue(const QString& value);

// Whether one value matches one term.
bool filterTermMatches(const FilterTerm& term, const QString& value, bool caseInsensitive);

} // namespace engine

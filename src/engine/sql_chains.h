#pragma once

// Long AND and OR chains written so that SQLite runs them at any length: tests of one
// column against several constants become one membership test, and the rest is nested in
// chains short enough for SQLite's limit on the depth of an expression.

#include "sql_syntax_tree.h"

#include <QStringList>
#include <vector>

namespace engine::sql {

// One term of a chain: a condition as parsed, or, in an OR, the tests of one column
// against constants ("column = constant", either way round) gathered into one.
struct ChainTerm {
    const Node* condition = nullptr;
    const Node* column = nullptr; // set for a membership test
    std::vector<const Node*> constants;
};

// The terms of an AND or OR node in order; a membership test stands where the first of
// its tests stood. Only two or more tests of a column are gathered.
std::vector<ChainTerm> chainTerms(const Node& node);

// The constants of a membership test as a JSON array, each keeping its type.
QString jsonArrayOf(const std::vector<const Node*>& constants);

// How many levels of parentheses chainSql adds around terms, for a chain of count terms.
int chainLevels(std::size_t count);

// The terms joined by the operator (" AND " or " OR "), in parentheses; more than a
// short chain's worth are nested in further parentheses, chainLevels(count) deep.
QString chainSql(QStringList terms, const QString& op);

} // namespace engine::sql

#pragma once

#include "field_def.h"
#include "statement.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace engine {

struct StoredTable;

// The local SQL dialect:
//   SELECT * FROM "file" [ , "file" ] [ WHERE condition ] [ ORDER BY column [ASC|DESC] ]
// condition: comparisons (=, <>, <, >, <=, >=), LIKE with "%" as the only wildcard,
// AND, OR, NOT, parentheses, UPPER(x), + joining text, text constants in single or
// double quotes, numbers, named parameters (:name) and column names (any letter case,
// optionally qualified by the table's file name). Table files stand in double quotes.
// Text ordering is Danish, ignoring letter case.
//
// A statement is parsed and written out anew for SQLite: nothing of the original text
// is passed through, and every constant is bound as a parameter. AND and OR chains run at
// any length (an OR of tests of one column against constants as one membership test);
// only a statement that would fill the memory is refused.
struct TranslatedSql {
    QString sql; // SQLite text with ?NNN parameters
    // One entry per SQLite parameter, in order: a constant, a named parameter, or the
    // value of the keys statement.
    struct Binding {
        QVariant constant;
        QString parameterName; // non-empty for :name
        bool keys = false;
    };
    std::vector<Binding> bindings;
    // A statement to run first, when not empty; its one value is bound where a binding
    // says keys. (A search joining lists of keys to another table reads the keys wanted,
    // with their rows, once instead of with every row.)
    QString keysSql;
    std::vector<Binding> keysBindings;
    // The result's columns in order, with their stored field definitions.
    std::vector<FieldDef> columns;
    // Of a translation to hit ids: each row of sql is one hit, its order value first (when
    // the statement orders) and then the row id of each table, in no particular order;
    // orderHits (hit_order.h) puts them in the order the rows would come in.
    struct HitOrder {
        bool ordered = false;
        bool danish = false; // texts ordered as the collation DANISH orders them
        bool descending = false;
        int tables = 0;
    } hitOrder;
};

// What a translation returns: the rows with all their columns, in order, or only which
// rows of the tables make each hit, unordered.
enum class SqlResult { Rows, HitIds };

// Finds (and attaches) a table by its file name; throws Error when it cannot.
using TableResolver = std::function<const StoredTable&(const QString& fileName)>;

// Throws engine::Error with a readable message for any text outside the dialect.
TranslatedSql translateSql(const QString& localSql, const TableResolver& resolveTable,
                           SqlResult result = SqlResult::Rows);

// The value of a named parameter; throws Error when it has none.
using ParameterValues = std::function<QVariant(const QString& name)>;

// Prepares a translation on a connection with every value bound, running its keys
// statement first when it has one. Throws Error.
Statement prepareTranslated(sqlite3* db, const TranslatedSql& translated,
                            const ParameterValues& valueOf);

} // namespace engine

#pragma once

#include "field_def.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace engine {
struct StoredTable;
}

// The parsed form of a local SQL statement, read by the SQLite writer.
namespace engine::sql {

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

inline NodePtr makeNode(Node::Kind kind, ValueType type) {
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->type = type;
    return node;
}

inline bool isTextField(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}

// SELECT * FROM tables [WHERE where] [ORDER BY orderBy [DESC]]
struct ParsedSelect {
    struct Source {
        QString name; // as written in FROM
        const StoredTable* table = nullptr;
    };
    std::vector<Source> tables;
    NodePtr where;   // a condition, or none
    NodePtr orderBy; // a column, or none
    bool descending = false;
};

} // namespace engine::sql

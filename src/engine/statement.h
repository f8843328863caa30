#pragma once

#include "field_def.h"

#include <QString>
#include <QVariant>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace engine {

// A prepared SQLite statement, finalized on destruction.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* db, const QString& sql); // throws Error
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int position, const QVariant& value); // 1-based; null QVariant binds NULL
    void bindText(int position, const QString& text);
    int parameterIndex(const QString& name) const; // 0 when not present
    bool step();                                   // true while a row is ready; throws Error
    void reset();                                  // ready to run again, bindings cleared

    int columnCount() const;
    QString columnName(int column) const;
    QString columnDeclType(int column) const;
    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // The column's text as SQLite holds it, UTF-8, valid until the next step; empty when
    // null. For reading many rows without making a string of each.
    std::string_view utf8(int column) const;
    QVariant value(int column) const; // by the stored type: qint64, double, QString or null
    // As a field of that type holds it: text, a day number, or an integer; null when empty.
    QVariant value(int column, FieldType type) const;

    sqlite3_stmt* handle() const { return m_stmt; }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// Resets a statement (from a cache) when leaving scope.
class StatementUse {
public:
    explicit StatementUse(Statement& statement) : m_statement(statement) {}
    ~StatementUse() { m_statement.reset(); }
    Statement* operator->() { return &m_statement; }
    Statement& operator*() { return m_statement; }

private:
    Statement& m_statement;
};

} // namespace engine

#pragma once

#include "dataset.h"
#include "sql_translator.h"
#include "statement.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

namespace engine {

class Database;
class Session;

// What a dataset on a statement of the local SQL dialect (see sql_translator.h) is set up
// with: the alias of its catalogue, the statement's lines and its named parameters.
class SqlDataset : public Dataset {
public:
    explicit SqlDataset(Session& session) : m_session(session) {}

    void setAliasName(const QString& alias) { m_alias = alias; }
    // The statement's lines, read joined by line breaks.
    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }
    void setSql(const QStringList& lines) { m_sql = lines; }
    // Named parameters are set as text before opening.
    void setParam(const QString& name, const QString& value);

protected:
    // The catalogue the alias names, its connection kept alive by the pointer.
    std::shared_ptr<Database> database() const;
    // The translation prepared on database with every parameter bound; throws Error,
    // naming a parameter that has no value.
    Statement prepareStatement(Database& database, const TranslatedSql& translated) const;

private:
    Session& m_session;
    QString m_alias;
    QStringList m_sql;
    QMap<QString, QString> m_params; // by lower-case name
};

} // namespace engine

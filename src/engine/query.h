#pragma once

#include "dataset.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace engine {

class Session;
class Database;

// A read-only dataset on a statement of the local SQL dialect (see sql_translator.h).
// Opening runs the statement and keeps its rows; fields are the result's columns.
class Query : public Dataset {
public:
    explicit Query(Session& session);
    ~Query() override;

    void setAliasName(const QString& alias) { m_alias = alias; }
    // The statement's lines, read joined by line breaks.
    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }
    void setSql(const QStringList& lines) { m_sql = lines; }
    // Named parameters are set as text before opening.
    void setParam(const QString& name, const QString& value);

    int recordCount() const override;
    QVariant rowValue(int row, int fieldIndex) const override;

    // Runs the statement and hands each row to fn without keeping the rows: for long
    // reports. The fields show the row inside fn. The query must be closed.
    void forEachRow(const std::function<void(const Query&)>& fn);

protected:
    void doOpen() override;
    void doClose() override;
    void loadRow(int row) override;

private:
    struct Prepared;
    std::unique_ptr<Prepared> prepare();

    Session& m_session;
    QString m_alias;
    QStringList m_sql;
    QMap<QString, QString> m_params; // by lower-case name
    std::vector<std::vector<QVariant>> m_rows;
};

} // namespace engine

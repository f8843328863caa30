#pragma once

#include "sql_dataset.h"

#include <functional>
#include <memory>
#include <vector>

namespace engine {

// A read-only dataset on a statement of the local SQL dialect (see sql_translator.h).
// Opening runs the statement and keeps its rows; fields are the result's columns.
class Query : public SqlDataset {
public:
    explicit Query(Session& session);
    ~Query() override;

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

    std::vector<std::vector<QVariant>> m_rows;
};

} // namespace engine

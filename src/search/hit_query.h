#pragma once

#include "engine/sql_dataset.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace engine {
class Database;
class Session;
struct StoredTable;
} // namespace engine

// A read-only dataset on a statement of the local SQL dialect that keeps, of all its hits,
// only which rows of its tables make each hit: the statement runs once, for those row ids,
// which are then put in the order it gives. The values of a hit are read from its tables
// when a grid or the cursor asks for them, and a window of recently read hits is kept. So a
// search with a quarter of a million hits costs a few megabytes, not hundreds.
class HitQuery : public engine::SqlDataset {
public:
    explicit HitQuery(engine::Session& session);
    ~HitQuery() override;

    int recordCount() const override;
    QVariant rowValue(int row, int fieldIndex) const override;

protected:
    void doOpen() override;
    void doClose() override;
    void loadRow(int row) override;

private:
    // A table of the statement, whose row a hit names by its id.
    struct Source {
        engine::StoredTable* table = nullptr;
    };

    void readHits();
    const std::vector<QVariant>& hit(int row) const;
    void readBlock(int first, int end) const;
    void release();

    std::shared_ptr<engine::Database> m_database;
    std::vector<Source> m_sources;
    std::vector<qint64> m_ids; // the hits in order, each its sources' row ids
    int m_columns = 0;
    // Hits read lately, by row; read again after any change to the tables.
    mutable std::unordered_map<int, std::vector<QVariant>> m_window;
    mutable quint64 m_windowGeneration = 0;
};

#pragma once

#include "engine/field_def.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace keeping {
class CatalogueReader;
}

namespace tool {

// One row of a table: its row id and its values in the order the table declares its
// fields, each as a field of that kind holds it.
struct TableRow {
    qint64 rowid = 0;
    std::vector<QVariant> values;

    const QVariant& operator[](int field) const { return values[std::size_t(field)]; }
};

// Visits every row of a table, ordered by orderBy (SQL after ORDER BY; the row id when
// empty). Throws engine::Error.
void forEachRow(keeping::CatalogueReader& catalogue, const engine::TableDef& table,
                const QString& orderBy, const std::function<void(const TableRow&)>& visit);

// The position of a field in the table's declaration; throws when it has none.
int fieldPosition(const engine::TableDef& table, const QString& name);

} // namespace tool

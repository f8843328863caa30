#include "table_rows.h"

#include "engine/database.h"
#include "engine/error.h"
#include "engine/statement.h"
#include "keeping/catalogue_reader.h"

namespace tool {

void forEachRow(keeping::CatalogueReader& catalogue, const engine::TableDef& table,
                const QString& orderBy, const std::function<void(const TableRow&)>& visit) {
    QStringList columns{QStringLiteral("rowid")};
    for (const engine::FieldDef& field : table.fields)
        columns << engine::quoteIdentifier(field.name);
    engine::Statement select(catalogue.handle(),
                             QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                 .arg(columns.join(QStringLiteral(", ")), catalogue.sqlName(table),
                                      orderBy.isEmpty() ? QStringLiteral("rowid") : orderBy));
    TableRow row;
    row.values.resize(table.fields.size());
    while (select.step()) {
        row.rowid = select.int64(0);
        for (std::size_t i = 0; i < table.fields.size(); ++i)
            row.values[i] = select.value(int(i) + 1, table.fields[i].type);
        visit(row);
    }
}

int fieldPosition(const engine::TableDef& table, const QString& name) {
    for (std::size_t i = 0; i < table.fields.size(); ++i) {
        if (table.fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throw engine::Error(
        QStringLiteral("Field '%1' not found in table '%2'").arg(name, table.fileName));
}

} // namespace tool

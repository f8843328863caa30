#pragma once

#include "engine/field_def.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace tool {

// A bad value or row of an import file: printed as "file:line: message".
struct ImportProblem {
    QString file;
    int line = 0;
    QString message;
};

struct ImportedRow {
    int line = 0;                 // where the row begins in its file
    std::vector<QVariant> values; // in the order the table declares its fields; empty when bad
    bool sound = true;            // false when a value broke its rule (a problem says which)
};

// One table as read from its CSV file, every value already through the field rules.
struct ImportedTable {
    const engine::TableDef* def = nullptr;
    QString file; // the CSV file, as named in messages; empty when there was none
    std::vector<ImportedRow> rows;
};

// Reads the CSV file at path (made by export, or alike: a header row of field names in
// any order, then one row per record) for table. Every value breaking a field rule adds a
// problem and marks its row unsound; a row of the wrong length is left out.
ImportedTable readImportFile(const QString& path, const engine::TableDef& table,
                             std::vector<ImportProblem>& problems);

} // namespace tool

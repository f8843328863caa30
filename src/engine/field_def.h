#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace engine {

enum class FieldType {
    Text,     // text n: at most `size` characters, cut to size when stored
    SmallInt, // 16-bit signed
    Integer,  // 32-bit signed
    AutoInc,  // 32-bit, assigned by the engine when a new row is posted, never reused
    Time,     // time of day as a fraction of a day
    Date,     // whole day number
    Memo,     // text of any length; `size` is the part kept inside the row
};

QString fieldTypeName(FieldType type);

// A field as a table declares it, with the attributes the dataset layer enforces.
struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;
    QString displayLabel;  // names the field in messages and grid headings
    QString displayFormat; // e.g. "h:nn", "d mmmm yyyy"
    QString editMask;      // e.g. "90:00;1;_"
    bool required = false;
    std::optional<double> minValue;
    std::optional<double> maxValue;

    // The label when one is set, the field name otherwise.
    QString label() const { return displayLabel.isEmpty() ? name : displayLabel; }
};

struct IndexDef {
    QString name;
    QStringList fields; // ascending; text fields compare in Danish order, ignoring case
};

// A table as declared in code: used both to create its file and to check it on opening.
struct TableDef {
    QString fileName;  // e.g. "Spolebox.DB"
    QString tableName; // the name of the table inside the SQLite file
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;

    const FieldDef* field(const QString& name) const;
    const IndexDef* index(const QString& name) const;
};

} // namespace engine

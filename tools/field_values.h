#pragma once

#include "engine/field_def.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace tool {

// A stored value as the program shows it: times as h:mm (with the seconds when there are
// any; hours past 24 and a sign are kept), dates as dd-mm-yyyy, numbers in decimal,
// nothing for an empty field.
QString formatValue(const engine::FieldDef& field, const QVariant& value);
QString formatTime(double dayFraction);

// Milliseconds of a time value, an empty one counting as 0:00.
qint64 timeMsecs(const QVariant& value);

// The fields of one table with the program's rules for their values: required fields,
// allowed ranges, sizes, and times and dates typed as their edit masks ask.
class FieldRules {
public:
    explicit FieldRules(const engine::TableDef& table);
    ~FieldRules();
    FieldRules(const FieldRules&) = delete;
    FieldRules& operator=(const FieldRules&) = delete;

    const engine::TableDef& table() const { return m_table; }
    int fieldCount() const { return int(m_table.fields.size()); }
    const engine::FieldDef& field(int index) const;
    int fieldIndex(const QString& name) const; // -1 when the table has no such field

    // The value text gives the field, as the program would store it typed in. Throws
    // engine::Error with the rule's message when the text breaks a rule.
    QVariant parse(int index, const QString& text) const;
    // A computed value as the field stores it (times to the millisecond, text cut to size).
    QVariant convert(int index, const QVariant& value) const;
    // The rules a stored value breaks: none when it keeps them all.
    QStringList violations(int index, const QVariant& value) const;

private:
    class Fields;

    const engine::TableDef& m_table;
    std::unique_ptr<Fields> m_fields;
};

} // namespace tool

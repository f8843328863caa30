#include "field_text.h"

#include "engine/datetime.h"

namespace framework {

QString editTextOf(const engine::FieldDef& field, const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return QString();
    switch (field.type) {
    case engine::FieldType::Time:
        return engine::formatDateTime(engine::formatSettings().longTimeFormat, value.toDouble());
    case engine::FieldType::Date:
        return engine::formatDateTime(engine::formatSettings().shortDateFormat, value.toDouble());
    default:
        return value.toString();
    }
}

QString displayTextOf(const engine::FieldDef& field, const QVariant& value) {
    const bool dateOrTime =
        field.type == engine::FieldType::Time || field.type == engine::FieldType::Date;
    if (dateOrTime && !field.displayFormat.isEmpty() && !value.isNull() && value.isValid())
        return engine::formatDateTime(field.displayFormat, value.toDouble());
    return editTextOf(field, value);
}

} // namespace framework

#pragma once

#include "engine/field_def.h"

#include <QString>
#include <QVariant>

namespace framework {

// The texts of a field value of any row, as engine::Field gives them for the current row:
// grids and lists show rows without moving the cursor.

// The edit text: dates in the short date format, times in the long time format.
QString editTextOf(const engine::FieldDef& field, const QVariant& value);
// The display text: the display format of a date or time field, else the edit text.
QString displayTextOf(const engine::FieldDef& field, const QVariant& value);

} // namespace framework

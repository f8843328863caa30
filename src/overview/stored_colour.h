#pragma once

#include <QColor>
#include <QString>

namespace engine {
class Table;
}

namespace overview {

// A colour as the settings store it: red in the lowest byte, green in the next, blue in
// the third.
QColor storedColour(qint64 value);

// A colour field of the settings table's current row, read now; 0 (black) while the
// table has no row or is closed.
QColor settingsColour(const engine::Table& settings, const QString& fieldName);

} // namespace overview

#include "stored_colour.h"

#include "engine/table.h"

namespace overview {

QColor storedColour(qint64 value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor settingsColour(const engine::Table& settings, const QString& fieldName) {
    if (!settings.isActive() || settings.isEmpty())
        return storedColour(0);
    const engine::Field* field = settings.findField(fieldName);
    return storedColour(field ? field->asInteger() : 0);
}

} // namespace overview

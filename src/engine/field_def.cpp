#include "field_def.h"

namespace engine {

QString fieldTypeName(FieldType type) {
    switch (type) {
    case FieldType::Text:
        return QStringLiteral("text");
    case FieldType::SmallInt:
        return QStringLiteral("small integer");
    case FieldType::Integer:
        return QStringLiteral("integer");
    case FieldType::AutoInc:
        return QStringLiteral("auto-increment");
    case FieldType::Time:
        return QStringLiteral("time");
    case FieldType::Date:
        return QStringLiteral("date");
    case FieldType::Memo:
        return QStringLiteral("memo");
    }
    return QStringLiteral("unknown");
}

const FieldDef* TableDef::field(const QString& name) const {
    for (const auto& f : fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

const IndexDef* TableDef::index(const QString& name) const {
    for (const auto& i : indexes) {
        if (i.name.compare(name, Qt::CaseInsensitive) == 0)
            return &i;
    }
    return nullptr;
}

} // namespace engine

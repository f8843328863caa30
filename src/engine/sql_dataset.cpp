#include "sql_dataset.h"

#include "database.h"
#include "error.h"
#include "session.h"

namespace engine {

void SqlDataset::setParam(const QString& name, const QString& value) {
    QString key = name.toLower();
    if (key.startsWith(u':'))
        key.remove(0, 1);
    m_params.insert(key, value);
}

std::shared_ptr<Database> SqlDataset::database() const {
    return m_session.database(m_alias);
}

Statement SqlDataset::prepareStatement(Database& database, const TranslatedSql& translated) const {
    return prepareTranslated(database.handle(), translated, [this](const QString& name) {
        const auto value = m_params.constFind(name.toLower());
        if (value == m_params.constEnd())
            throw Error(QStringLiteral("The parameter :%1 has no value").arg(name));
        return QVariant(*value);
    });
}

} // namespace engine

#include "session.h"

#include "database.h"
#include "error.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace engine {

namespace {

const QString kAliasesGroup = QStringLiteral("Aliases");

// Alias names are matched without regard to case; QSettings keys are not.
QString storedAliasKey(QSettings& settings, const QString& name) {
    settings.beginGroup(kAliasesGroup);
    const QStringList groups = settings.childGroups();
    settings.endGroup();
    for (const QString& g : groups) {
        if (g.compare(name, Qt::CaseInsensitive) == 0)
            return g;
    }
    return QString();
}

} // namespace

Session::Session(const QString& configFile) : m_configFile(configFile) {}

Session::~Session() = default;

QString Session::defaultConfigFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/spolebox-engine/engine.ini");
}

bool Session::aliasExists(const QString& name) const {
    QSettings settings(m_configFile, QSettings::IniFormat);
    return !storedAliasKey(settings, name).isEmpty();
}

void Session::addAlias(const QString& name, const QString& directory, const QString& driver) {
    if (name.trimmed().isEmpty())
        throw Error(QStringLiteral("An alias needs a name"));
    if (driver.compare(QStringLiteral("PARADOX"), Qt::CaseInsensitive) != 0)
        throw Error(QStringLiteral("Unknown database driver '%1'").arg(driver));
    if (aliasExists(name))
        throw Error(QStringLiteral("The alias '%1' already exists").arg(name));
    const QFileInfo config(m_configFile);
    if (!QDir().mkpath(config.absolutePath()))
        throw Error(QStringLiteral("Cannot create the folder '%1'").arg(config.absolutePath()));
    QSettings settings(m_configFile, QSettings::IniFormat);
    settings.beginGroup(kAliasesGroup);
    settings.beginGroup(name);
    settings.setValue(QStringLiteral("Path"), directory);
    settings.setValue(QStringLiteral("Driver"), QStringLiteral("PARADOX"));
    settings.endGroup();
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw Error(QStringLiteral("Cannot save the alias '%1' in '%2'").arg(name, m_configFile));
}

QString Session::aliasDirectory(const QString& name) const {
    QSettings settings(m_configFile, QSettings::IniFormat);
    const QString key = storedAliasKey(settings, name);
    if (key.isEmpty())
        throw Error(QStringLiteral("Unknown database alias: %1").arg(name));
    return settings.value(kAliasesGroup + u'/' + key + QStringLiteral("/Path")).toString();
}

std::shared_ptr<Database> Session::database(const QString& alias) {
    const QString directory = aliasDirectory(alias);
    // Every table open asks: the directory named as before is the catalogue found before,
    // without resolving its path again.
    if (const auto known = m_byAliasDirectory.find(directory);
        known != m_byAliasDirectory.end() && QFileInfo::exists(directory))
        return known->second;
    QString key = QFileInfo(directory).canonicalFilePath();
    if (key.isEmpty())
        throw Error(QStringLiteral("The directory '%1' does not exist").arg(directory));
    auto& slot = m_databases[key];
    if (!slot)
        slot = std::make_shared<Database>(key);
    m_byAliasDirectory[directory] = slot;
    return slot;
}

} // namespace engine

#pragma once

#include <QString>

#include <map>
#include <memory>

namespace engine {

class Database;

// The engine's entry point: the aliases (kept in the engine's own configuration file)
// and the open catalogues, one connection per catalogue directory.
class Session {
public:
    // configFile: where the aliases are kept; defaultConfigFile() for the real user.
    explicit Session(const QString& configFile);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    static QString defaultConfigFile();
    const QString& configFile() const { return m_configFile; }

    // Alias names match without regard to letter case.
    bool aliasExists(const QString& name) const;
    // Adds a standard alias; the driver must be "PARADOX" (our table driver). Kept in the
    // configuration file at once. Throws Error on failure.
    void addAlias(const QString& name, const QString& directory, const QString& driver);
    QString aliasDirectory(const QString& name) const; // throws Error when missing

    // The open catalogue behind an alias (opened on first use).
    std::shared_ptr<Database> database(const QString& alias);

private:
    QString m_configFile;
    std::map<QString, std::shared_ptr<Database>> m_databases; // by directory
    // The same, by the directory as an alias names it.
    std::map<QString, std::shared_ptr<Database>> m_byAliasDirectory;
};

} // namespace engine

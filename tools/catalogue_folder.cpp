#include "catalogue_folder.h"

#include "data/schema.h"
#include "engine/error.h"
#include "engine/session.h"
#include "tool_output.h"

namespace tool {

QString catalogueFolder(const QString& given) {
    if (!given.isEmpty())
        return given;
    const engine::Session session(engine::Session::defaultConfigFile());
    const QString alias = QString::fromUtf8(schema::kAlias);
    if (!session.aliasExists(alias))
        throw engine::Error(QStringLiteral("no catalogue folder given, and the database alias "
                                           "\"%1\" is not set up in '%2' (start Spolebox once, "
                                           "or name the folder)")
                                .arg(alias, session.configFile()));
    return session.aliasDirectory(alias);
}

int fail(const QString& message) {
    err() << "spolebox-catalogue: " << message << '\n';
    err().flush();
    return 1;
}

} // namespace tool

#include "data_module_world.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>

DataModuleWorld::DataModuleWorld(const std::function<void(const QString& directory)>& fill) {
    const QString dir = root.filePath(QStringLiteral("DATA"));
    QDir().mkpath(dir);
    fill(dir);
    session = std::make_unique<engine::Session>(root.filePath(QStringLiteral("engine.ini")));
    messages = std::make_unique<framework::ScopedMessageHandler>(
        [this](const framework::MessageRequest& r) {
            std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
            ++messagesShown;
            return r.defaultButton;
        });
    box = std::make_unique<TDataBox>(*session, root.path() + u'/');
    if (!box->opened())
        std::exit(1);
}

#pragma once

#include "data/Databoxunit.h"
#include "engine/session.h"
#include "framework/message_box.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// A catalogue in a temporary folder, made by fill(directory), with an engine session and
// the data module opened on it, kept for a whole benchmark run. Messages are printed to
// standard error, counted and answered with their default button. Ends the program when
// the data module cannot open the catalogue.
struct DataModuleWorld {
    explicit DataModuleWorld(const std::function<void(const QString& directory)>& fill);

    QTemporaryDir root;
    std::unique_ptr<engine::Session> session;
    std::unique_ptr<framework::ScopedMessageHandler> messages;
    std::unique_ptr<TDataBox> box;
    int messagesShown = 0;
};

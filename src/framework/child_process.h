#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

namespace framework {

// Runs work in a forked child process and returns the bytes it returned. Decoders from
// third-party C libraries run this way: a damaged file that makes one of them crash, hang or
// run away ends only the child, never the program.
//
// The child runs work alone: it must not use the event loop or any window. When work
// throws engine::Error, the same error is thrown here. When the child crashes, takes
// longer than timeout or cannot be started, engine::Error(failure) is thrown.
QByteArray runInChildProcess(const std::function<QByteArray()>& work,
                             std::chrono::milliseconds timeout, const QString& failure);

} // namespace framework

#pragma once

#include <QString>

namespace tool {

// The catalogue folder a command works on: the one given, or else the folder that the
// database alias "Spolebox" names. Throws engine::Error when neither is there.
QString catalogueFolder(const QString& given);

// Prints "spolebox-catalogue: message" to standard error and returns the exit code 1.
int fail(const QString& message);

} // namespace tool

#pragma once

#include <QTextStream>

namespace tool {

// Exit code for a command line the tool does not understand.
constexpr int kUsageError = 2;

// The tool's standard output and standard error; messages go to err(), results to out().
QTextStream& out();
QTextStream& err();

} // namespace tool

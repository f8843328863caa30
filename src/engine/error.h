#pragma once

#include <QString>

#include <stdexcept>

namespace engine {

// An engine failure with a message meant for the user. Windows catch it at their
// event-handler boundary and show it through the standard error display.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// The silent abort: a rule that has already told the user why refuses the operation.
// Deliberately not an Error, so that a plain catch of Error never swallows it; the
// window boundary ends the action without any further message.
class Abort {};

[[noreturn]] inline void abort() { throw Abort{}; }

} // namespace engine

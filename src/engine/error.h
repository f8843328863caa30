#pragma once

#include <QString>

#include <stdexcept>

namespace engine {

// An engine failure with a message meant for the user. Windows catch it at their
// event-handler boundary and show it through the standard error display. A failure of the
// storage below carries its technical text as well, for standard error.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    Error(const QString& message, const QString& detail)
        : std::runtime_error(message.toStdString()), m_message(message), m_detail(detail) {}
    const QString& message() const { return m_message; }
    // The technical text (SQLite's own message, the file, the operation); may be empty.
    const QString& detail() const { return m_detail; }

private:
    QString m_message;
    QString m_detail;
};

// The silent abort: a rule that has already told the user why refuses the operation.
// Deliberately not an Error, so that a plain catch of Error never swallows it; the
// window boundary ends the action without any further message.
class Abort {};

[[noreturn]] inline void abort() { throw Abort{}; }

} // namespace engine

#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

// The boundary between event handlers and the event loop: engine errors are shown to the
// user, the silent abort ends the action quietly, and nothing escapes into Qt.
namespace framework {

// The standard error display: the "Error" dialog (error icon, OK) with the message.
void showError(const QString& message);
// The same for any exception: engine::Error shows its message (and writes its technical
// detail to standard error), others their what().
void showException(const std::exception& error);

// Runs an event handler. Returns true when it ran to the end; false when it was aborted
// (engine::Abort, silently) or failed (shown through the standard error display).
bool runGuarded(const std::function<void()>& handler);

// Runs a handler whose refusal the caller reports itself, after putting things back (the
// focus, the text): std::nullopt when it went through, otherwise the message to show (empty
// for the silent abort). An engine error's technical detail goes to standard error.
std::optional<QString> refusalOf(const std::function<void()>& handler);

template <typename F> bool guarded(F&& handler) {
    return runGuarded(std::function<void()>(std::forward<F>(handler)));
}

// Wraps a handler for connect(): the slot runs it guarded.
template <typename F> auto guardedSlot(F handler) {
    return [handler = std::move(handler)]() { runGuarded(handler); };
}

} // namespace framework

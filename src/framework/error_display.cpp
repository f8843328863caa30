#include "error_display.h"

#include "engine/error.h"
#include "message_box.h"

#include <cstdio>

namespace framework {

namespace {

// The user reads the message; the technical text is for whoever looks into the failure.
void writeDetail(const engine::Error& error) {
    if (error.detail().isEmpty())
        return;
    std::fprintf(stderr, "spolebox: %s\n", error.detail().toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

void showError(const QString& message) {
    errorMessage(message);
}

void showException(const std::exception& error) {
    if (const auto* engineError = dynamic_cast<const engine::Error*>(&error)) {
        writeDetail(*engineError);
        showError(engineError->message());
    } else {
        showError(QString::fromUtf8(error.what()));
    }
}

bool runGuarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const engine::Abort&) {
        // The rule that aborted has already told the user why.
    } catch (const std::exception& error) {
        showException(error);
    } catch (...) {
        showError(QStringLiteral("Unknown error"));
    }
    return false;
}

std::optional<QString> refusalOf(const std::function<void()>& handler) {
    try {
        handler();
        return std::nullopt;
    } catch (const engine::Error& error) {
        writeDetail(error);
        return error.message();
    } catch (const engine::Abort&) {
        return QString();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
}

} // namespace framework

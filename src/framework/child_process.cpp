#include "child_process.h"

#include "engine/error.h"

#include <QtEndian>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Present when the program is built with a sanitizer: lets the child die without the
// sanitizer's (or a fuzzer's) report of the parent process being written.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace framework {

namespace {

// What the child writes to the pipe: one status byte, the length, the bytes.
constexpr char kDone = 'D';
constexpr char kError = 'E';
constexpr qsizetype kHeaderSize = 5;

bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// In the child: a crash ends it at once, quietly; the parent sees the missing answer.
void dieQuietlyOnCrash() {
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(nullptr);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        std::signal(signal, SIG_DFL);
}

[[noreturn]] void runChild(int fd, const std::function<QByteArray()>& work) {
    dieQuietlyOnCrash();
    char status = kDone;
    QByteArray payload;
    try {
        payload = work();
    } catch (const engine::Error& error) {
        status = kError;
        payload = error.message().toUtf8();
    } catch (...) {
        ::_exit(1);
    }
    char header[kHeaderSize];
    header[0] = status;
    qToLittleEndian<quint32>(quint32(payload.size()), header + 1);
    const bool ok =
        writeAll(fd, header, kHeaderSize) && writeAll(fd, payload.constData(), payload.size());
    ::_exit(ok ? 0 : 1);
}

// Reads until the child closes the pipe or the time is up; false on time out.
bool readUntilClosed(int fd, QByteArray& received, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, int(left.count()));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return true; // the answer stays incomplete
        }
        if (ready == 0)
            return false;
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return true;
        received.append(buffer, qsizetype(got));
    }
}

void reap(pid_t child) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

QByteArray runInChildProcess(const std::function<QByteArray()>& work,
                             std::chrono::milliseconds timeout, const QString& failure) {
    int fds[2];
    if (::pipe(fds) != 0)
        throw engine::Error(failure);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw engine::Error(failure);
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(fds[1], work);
    }
    ::close(fds[1]);
    QByteArray received;
    const bool finished = readUntilClosed(fds[0], received, timeout);
    ::close(fds[0]);
    if (!finished)
        ::kill(child, SIGKILL);
    reap(child);

    if (!finished || received.size() < kHeaderSize)
        throw engine::Error(failure);
    const quint32 length = qFromLittleEndian<quint32>(received.constData() + 1);
    if (received.size() != kHeaderSize + qsizetype(length))
        throw engine::Error(failure);
    QByteArray payload = received.mid(kHeaderSize);
    if (received.at(0) == kError)
        throw engine::Error(QString::fromUtf8(payload));
    return payload;
}

} // namespace framework

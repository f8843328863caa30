#include "program.h"

#include "Spolebox.h"
#include "application_setup.h"
#include "daily_backup.h"
#include "data/Databoxunit.h"
#include "engine/session.h"
#include "install_dirs.h"
#include "overview/hint_pauses.h"

#include <QApplication>
#include <QDebug>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may do almost nothing: it writes the signal's number into this pair,
// and the event loop reads it there. [0] is written, [1] read.
int g_signalPair[2] = {-1, -1};

extern "C" void noteEndingSignal(int signalNumber) {
    const int savedErrno = errno;
    const char number = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPair[0], &number, 1);
    errno = savedErrno;
}

} // namespace

void endOnSignals(TMainForm& form) {
    if (g_signalPair[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_signalPair) != 0) {
        qWarning("Spolebox: cannot watch for SIGTERM, SIGHUP and SIGINT");
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPair[1], QSocketNotifier::Read, &form);
    QObject::connect(notifier, &QSocketNotifier::activated, &form, [notifier, &form] {
        char numbers[16];
        while (::read(g_signalPair[1], numbers, sizeof numbers) > 0) {
        }
        notifier->setEnabled(false); // the program is ending: once is enough
        form.endBySignal();
    });
    struct sigaction action {};
    action.sa_handler = noteEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signalNumber, &action, nullptr);
}

int runSpolebox(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Spolebox"));
    // The desktop entry that launches an installed copy (its icon on the task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("dk.kvistholm.Spolebox"));
    setUpApplication();
    setApplicationHintPauses(kStandardHintPauses);

    engine::Session session(engine::Session::defaultConfigFile());
    MainFormOptions options;
    options.session = &session;
    options.programDir = programFileDirectory();
    options.catalogueHome =
        catalogueHome(options.programDir, QStringLiteral(SPOLEBOX_INSTALL_FULL_BINDIR));

    TMainForm mainForm(options);
    keepDailyBackups(mainForm, session);
    QObject::connect(&mainForm, &TMainForm::catalogueFailed, &app,
                     [] { QTimer::singleShot(0, [] { QApplication::exit(0); }); });
    endOnSignals(mainForm);
    mainForm.show();
    return app.exec();
}

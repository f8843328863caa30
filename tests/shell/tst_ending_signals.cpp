// The session ends the program with SIGTERM, SIGHUP or SIGINT (logout, shutdown, kill,
// Ctrl+C): the program closes as the user's close does, saving the recording in edit, or,
// when the rules refuse it, dropping it; no box waits for an answer and the program ends
// with exit code 0.
// Each case runs the program's main window in a process of its own and signals it.

#include "framework/db_edit.h"
#include "main_window_fixture.h"
#include "shell/program.h"

#include <QDir>
#include <QProcess>
#include <QToolButton>
#include <csignal>
#include <cstdio>

namespace {

// Set for the child: the engine configuration of the catalogue it opens.
const char* const kChildVariable = "SPOLEBOX_SIGNAL_CHILD";
// The new recording's start time on tape "T", where "Alien" lies at 0:00-1:00.
const char* const kStartVariable = "SPOLEBOX_SIGNAL_START";
// Set when the about box is to be open when the signal comes.
const char* const kAboutVariable = "SPOLEBOX_SIGNAL_ABOUT";

// The child: the program's main window, wired to the signals as the program is; a new
// recording is typed and left unsaved, and "editing" says that the signal may come.
int runChild(int argc, char** argv) {
    QApplication app(argc, argv);
    engine::Session session(qEnvironmentVariable(kChildVariable));
    MainFormOptions options;
    options.session = &session;
    options.programDir = QDir::tempPath() + u'/';
    options.splashWaitMs = 0;
    options.instanceServerName =
        QStringLiteral("spolebox-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    TMainForm form(options);
    endOnSignals(form);
    onNextModal<TAboutForm>([](TAboutForm* about) { about->LukButton->click(); });
    form.show();
    if (!QTest::qWaitFor(
            [&] { return form.catalogueOpened() && !QApplication::activeModalWidget(); }, 20000))
        return 5;

    QTest::mouseClick(form.SpeedButton2, Qt::LeftButton);
    engine::Table& recordings = form.dataBox()->VideoTable();
    recordings.fieldByName(QStringLiteral("Baandnummer")).setAsString(QStringLiteral("T"));
    recordings.fieldByName(QStringLiteral("Starttid"))
        .setText(qEnvironmentVariable(kStartVariable));
    recordings.fieldByName(QStringLiteral("SpilletidSPLP")).setText(QStringLiteral("1:00"));
    form.Titel1Edit->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(form.Titel1Edit, QStringLiteral("Brazil")); // still in the edit field

    auto sayEditing = [] {
        std::printf("editing\n");
        std::fflush(stdout);
    };
    if (qEnvironmentVariableIsSet(kAboutVariable)) {
        onNextModal<TAboutForm>([sayEditing](TAboutForm*) { sayEditing(); });
        QTimer::singleShot(0, &form, [&form] { form.OmSpolebox1->trigger(); });
    } else {
        sayEditing();
    }
    QTimer::singleShot(30000, &app, [] { QCoreApplication::exit(6); }); // never signalled
    return app.exec();
}

QStringList titlesIn(TempCatalogue& catalogue) {
    QStringList titles;
    auto recordings = catalogue.openTable(schema::recordings());
    for (recordings->first(); !recordings->eof(); recordings->next())
        titles << recordings->fieldByName(QStringLiteral("Titel1")).asString();
    titles.sort();
    return titles;
}

} // namespace

class TestEndingSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void signalClosesAsTheUserWould_data();
    void signalClosesAsTheUserWould();
};

void TestEndingSignals::signalClosesAsTheUserWould_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("aboutOpen");
    QTest::addColumn<QStringList>("titles"); // in the catalogue afterwards
    QTest::addColumn<QString>("refusal");    // on standard error
    const QStringList saved{QStringLiteral("Alien"), QStringLiteral("Brazil")};
    const QStringList dropped{QStringLiteral("Alien")};
    const QString overlap = QStringLiteral("Der er overlappende tider..");
    QTest::newRow("SIGTERM saves") << int(SIGTERM) << "1:00" << false << saved << QString();
    QTest::newRow("SIGHUP saves") << int(SIGHUP) << "1:00" << false << saved << QString();
    QTest::newRow("SIGINT saves") << int(SIGINT) << "1:00" << false << saved << QString();
    QTest::newRow("SIGTERM with the about box open")
        << int(SIGTERM) << "1:00" << true << saved << QString();
    QTest::newRow("SIGTERM, overlap refused")
        << int(SIGTERM) << "0:30" << false << dropped << overlap;
}

void TestEndingSignals::signalClosesAsTheUserWould() {
    QFETCH(int, signalNumber);
    QFETCH(QString, start);
    QFETCH(bool, aboutOpen);
    QFETCH(QStringList, titles);
    QFETCH(QString, refusal);
    TempCatalogue catalogue;
    QVERIFY(catalogue.isValid());
    catalogue.appendRow(schema::tapes(), {{"BaandNavn", "T"}, {"Baandlaengde", 180}});
    catalogue.appendRow(schema::recordings(), {{"Baandnummer", "T"},
                                               {"Titel1", "Alien"},
                                               {"Starttid", 0.0},
                                               {"SpilletidSPLP", 1 / 24.0},
                                               {"SpilletidSP", 1 / 24.0}});

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildVariable), catalogue.configFile());
    env.insert(QString::fromLatin1(kStartVariable), start);
    if (aboutOpen)
        env.insert(QString::fromLatin1(kAboutVariable), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine() || child.state() == QProcess::NotRunning, 30000);
    QCOMPARE(child.readLine().trimmed(), QByteArray("editing"));

    ::kill(pid_t(child.processId()), signalNumber);
    QVERIFY(child.waitForFinished(20000));
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(titlesIn(catalogue), titles);
    if (!refusal.isEmpty())
        QVERIFY2(errors.contains(refusal), qPrintable(errors));
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildVariable))
        return runChild(argc, argv);
    QApplication app(argc, argv);
    TestEndingSignals test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ending_signals.moc"

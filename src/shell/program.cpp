#include "program.h"

#include "Spolebox.h"
#include "daily_backup.h"
#include "data/Databoxunit.h"
#include "engine/session.h"

#include "overview/hint_pauses.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

int runSpolebox(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Spolebox"));
    // The windows are laid out for narrow sans-serif fonts; where the classic ones are
    // missing, take the nearest narrow ones rather than a wide default.
    const QStringList narrow{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                             QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), narrow);
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman"),
                                QStringLiteral("DejaVu Serif")});
    setApplicationHintPauses(kStandardHintPauses);

    engine::Session session(engine::Session::defaultConfigFile());
    MainFormOptions options;
    options.session = &session;
    options.programDir = programFileDirectory();

    TMainForm mainForm(options);
    keepDailyBackups(mainForm, session);
    QObject::connect(&mainForm, &TMainForm::catalogueFailed, &app,
                     [] { QTimer::singleShot(0, [] { QApplication::exit(0); }); });
    mainForm.show();
    return app.exec();
}

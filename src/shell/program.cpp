#include "program.h"

#include "Spolebox.h"
#include "application_setup.h"
#include "data/Databoxunit.h"
#include "engine/session.h"

#include "overview/hint_pauses.h"

#include <QApplication>
#include <QTimer>

int runSpolebox(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Spolebox"));
    setUpApplication();
    setApplicationHintPauses(kStandardHintPauses);

    engine::Session session(engine::Session::defaultConfigFile());
    MainFormOptions options;
    options.session = &session;
    options.programDir = programFileDirectory();

    TMainForm mainForm(options);
    QObject::connect(&mainForm, &TMainForm::catalogueFailed, &app,
                     [] { QTimer::singleShot(0, [] { QApplication::exit(0); }); });
    mainForm.show();
    return app.exec();
}

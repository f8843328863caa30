// "Kapitler til digitalisering…" under "Diverse": the chapters of the current recording's
// tape saved through a file dialog in the format its file type names; a tape whose
// recordings overlap, or a recording on no tape, gets a message and no file.

#include "framework/db_edit.h"
#include "main_window_fixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

// Tape T1: SP 0:00-1:00 "Festen", 10 minutes blank, LP 91 minutes "Idioterne".
// Tape OV: two recordings sharing tape, from before the overlap rule.
void fill(TempCatalogue& catalogue) {
    for (const char* tape : {"T1", "OV"})
        catalogue.appendRow(schema::tapes(),
                            {{QStringLiteral("BaandNavn"), QString::fromLatin1(tape)},
                             {QStringLiteral("Baandlaengde"), 180}});
    catalogue.appendRecording(QStringLiteral("T1"), 0, 60, QStringLiteral("SP"),
                              QStringLiteral("Festen"));
    catalogue.appendRecording(QStringLiteral("T1"), 70, 91, QStringLiteral("LP"),
                              QStringLiteral("Idioterne"));
    catalogue.appendRecording(QStringLiteral("OV"), 0, 30, QStringLiteral("SP"),
                              QStringLiteral("Lang"));
    catalogue.appendRecording(QStringLiteral("OV"), 20, 20, QStringLiteral("SP"),
                              QStringLiteral("Oveni"));
}

QString contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Answers the save dialog as a user does: the file type picked with the arrow keys, the
// name written and "Save" clicked. An empty name cancels. A dialog still open after that
// is closed, so that a failing test never hangs.
void answerSaveDialog(int typeSteps, const QString& name, bool* shown) {
    onNextModal<QFileDialog>([=](QFileDialog* dialog) {
        *shown = true;
        QTimer::singleShot(5000, dialog, &QDialog::reject);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (name.isEmpty() || !types || !edit || !buttons) {
            dialog->reject();
            return;
        }
        for (int i = 0; i < typeSteps; ++i)
            QTest::keyClick(types, Qt::Key_Down);
        edit->setText(name);
        buttons->button(QDialogButtonBox::Save)->click();
    });
}

} // namespace

class TestChaptersMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void itemFollowsTheSeedItemsUnderDiverse() {
        TempCatalogue catalogue;
        MainWindowFixture main(catalogue);
        QVERIFY(main.waitOpened());
        auto* diverse = main.form->menuBar()->findChild<QMenu*>(QStringLiteral("Diverse1"));
        QVERIFY(diverse);
        const QList<QAction*> items = diverse->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->objectName(), QStringLiteral("Visfritidpbnd1"));
        QCOMPARE(items[1]->objectName(), QStringLiteral("Kapitlertildigitalisering1"));
        QCOMPARE(items[1]->text(), QStringLiteral("Kapitler til digitalisering…"));
    }

    void savesTheChaptersOfTheCurrentTape_data() {
        QTest::addColumn<int>("typeSteps"); // from the first file type
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("FFmpeg metadata") << 0 << "txt"
                                         << "START=4200000\nEND=9660000\ntitle=Idioterne 2\n";
        QTest::newRow("Matroska") << 1 << "xml"
                                  << "<ChapterTimeStart>01:10:00.000000000</ChapterTimeStart>\n"
                                     "      <ChapterTimeEnd>02:41:00.000000000</ChapterTimeEnd>";
        QTest::newRow("cut script") << 2 << "sh"
                                    << "cut_recording 4200.000 9660.000 '02 Idioterne 2'";
    }
    void savesTheChaptersOfTheCurrentTape() {
        QFETCH(int, typeSteps);
        QFETCH(QString, suffix);
        QFETCH(QString, expected);
        TempCatalogue catalogue;
        fill(catalogue);
        QTemporaryDir dir;
        MainWindowFixture main(catalogue);
        QVERIFY(main.waitOpened());
        QVERIFY(
            main.recordings().locate(QStringLiteral("Titel1"), QStringLiteral("Idioterne"), false));
        // A change still in the editor counts: it is stored first.
        main.form->Titel1Edit->setFocus();
        main.form->Titel1Edit->selectAll();
        QTest::keyClicks(main.form->Titel1Edit, QStringLiteral("Idioterne 2"));

        bool shown = false;
        answerSaveDialog(typeSteps, dir.filePath(QStringLiteral("kapitler")), &shown);
        MessageLog log;
        main.form->Kapitlertildigitalisering1->trigger();
        QVERIFY(shown);
        QVERIFY(log.shown.empty());
        const QString saved = dir.filePath(QStringLiteral("kapitler.") + suffix);
        QVERIFY2(contents(saved).contains(expected), qPrintable(contents(saved)));
        QCOMPARE(QFileInfo(saved).isExecutable(), suffix == u"sh");
        QCOMPARE(main.recordings().state(), engine::DatasetState::Browse);
    }

    void refused_data() {
        QTest::addColumn<QString>("current"); // its title; empty: a new one; "-": none at all
        QTest::addColumn<bool>("dialog");     // whether the save dialog comes up (and is cancelled)
        QTest::addColumn<QString>("message");
        QTest::newRow("overlapping recordings")
            << "Oveni" << false
            << "Optagelserne på bånd OV overlapper hinanden, så deres plads i en optagelse af "
               "hele båndet kendes ikke:\n\"Lang\" (0:00-0:30) og \"Oveni\" (0:20-0:40)\n"
               "Ret optagelserne, før kapitlerne gemmes.";
        // A new recording is stored first, and the rules refuse one without a tape.
        QTest::newRow("new recording on no tape") << "" << false << "Bånd navn er ikke oprettet...";
        QTest::newRow("no recordings at all")
            << "-" << false << "Den aktuelle optagelse ligger ikke på et bånd.";
        QTest::newRow("dialog cancelled") << "Festen" << true << "";
    }
    void refused() {
        QFETCH(QString, current);
        QFETCH(bool, dialog);
        QFETCH(QString, message);
        TempCatalogue catalogue;
        if (current != u"-")
            fill(catalogue);
        QTemporaryDir dir;
        MainWindowFixture main(catalogue);
        QVERIFY(main.waitOpened());
        if (current.isEmpty())
            QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);
        else if (current != u"-")
            QVERIFY(main.recordings().locate(QStringLiteral("Titel1"), current, false));

        bool shown = false;
        answerSaveDialog(0, QString(), &shown);
        MessageLog log;
        main.form->Kapitlertildigitalisering1->trigger();
        QCOMPARE(log.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (!dialog)
            QTest::qWait(100); // the dialog would have come up by now
        QCOMPARE(shown, dialog);
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_MAIN(TestChaptersMenu)
#include "tst_chapters_menu.moc"

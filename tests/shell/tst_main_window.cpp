// The main window driven as a user does: start-up, new and deleted recordings, the tape
// name check, closing.

#include "engine/database.h"
#include "engine/datetime.h"
#include "engine/error.h"
#include "framework/db_edit.h"
#include "framework/db_radio_group.h"
#include "main_window_fixture.h"
#include "registers/BaandtypeFormUnit.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolButton>

using framework::MessageButton;

namespace {

void addTape(TDataBox& box, const QString& name, int length) {
    engine::Table& tapes = box.BaandTable();
    tapes.append();
    tapes.fieldByName(QStringLiteral("BaandNavn")).setAsString(name);
    tapes.fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(length);
    tapes.post();
}

void addRecording(TDataBox& box, const QString& tape, const QString& start, const QString& playing,
                  const QString& title) {
    engine::Table& recordings = box.VideoTable();
    recordings.append();
    recordings.fieldByName(QStringLiteral("Baandnummer")).setAsString(tape);
    recordings.fieldByName(QStringLiteral("Starttid")).setText(start);
    recordings.fieldByName(QStringLiteral("SpilletidSPLP")).setText(playing);
    recordings.fieldByName(QStringLiteral("Hastighed")).setAsString(QStringLiteral("SP"));
    recordings.fieldByName(QStringLiteral("Titel1")).setAsString(title);
    recordings.post();
}

// Types into a data edit and leaves it, as the user does with Tab.
void typeAndLeave(framework::DBEdit* edit, const QString& text, QWidget* next) {
    edit->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
    next->setFocus(Qt::TabFocusReason);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensCatalogueAndShowsCount();
    void splashHasNoCloseButton();
    void aliasAddedOnFirstStartOnly();
    void aliasWithoutTablesEndsProgram_data();
    void aliasWithoutTablesEndsProgram();
    void aboutBoxClosesOnlyThroughLuk();
    void newRecordingDefaults();
    void newRecordingPostsPendingChangesFirst();
    void newRecordingAfterRefusedPostStartsNoRow();
    void tapeNameExit_data();
    void tapeNameExit();
    void unknownTapeName_data();
    void unknownTapeName();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void deleteOnEmptyCatalogueShowsEngineError();
    void closingWithOverlapStaysOpen();
    void closingSavesPendingRecording();
};

void TestMainWindow::opensCatalogueAndShowsCount() {
    TempCatalogue catalogue;
    catalogue.appendRow(schema::tapes(), {{"BaandNavn", "A1"}, {"Baandlaengde", 180}});
    catalogue.appendRow(schema::recordings(), {{"Baandnummer", "A1"}, {"Titel1", "Alien"}});
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    QCOMPARE(main.form->StatusPanel1->text(), QStringLiteral("Antal poster: 1"));
    QCOMPARE(main.form->windowTitle(), QStringLiteral("Spolebox"));
    QCOMPARE(main.form->PageControl1->currentWidget(), main.form->HovedSide);
    QVERIFY(main.form->findChild<QWidget*>(QStringLiteral("Titel1Edit")));
}

void TestMainWindow::splashHasNoCloseButton() {
    TempCatalogue catalogue;
    // The splash is up only while the catalogue opens; look at every about box then.
    bool sawSplash = false, splashButtonVisible = false;
    auto* watch = new QTimer(this);
    watch->setInterval(0);
    connect(watch, &QTimer::timeout, this, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* about = qobject_cast<TAboutForm*>(w);
            if (about && about->isVisible() && !about->isModal()) {
                sawSplash = true;
                splashButtonVisible |= about->LukButton->isVisible();
            }
        }
    });
    watch->start();
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    watch->stop();
    QVERIFY(sawSplash);
    QVERIFY(!splashButtonVisible);
}

void TestMainWindow::aliasAddedOnFirstStartOnly() {
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("DATA")));
    for (const engine::TableDef* def : schema::allTables())
        engine::Database::createTable(root.path() + QStringLiteral("/DATA"), *def);
    const QString config = root.path() + QStringLiteral("/engine.ini");
    const QString programDir = root.path() + u'/';
    // Starts the program with this engine configuration and program directory, and waits
    // until the catalogue is open.
    auto start = [](engine::Session& session, const QString& dir) {
        MainFormOptions options;
        options.session = &session;
        options.programDir = dir;
        options.splashWaitMs = 0;
        options.instanceServerName =
            QStringLiteral("spolebox-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        auto form = std::make_unique<TMainForm>(options);
        onNextModal<TAboutForm>([](TAboutForm* about) { about->LukButton->click(); });
        form->show();
        return form;
    };
    {
        engine::Session session(config);
        QVERIFY(!session.aliasExists(QStringLiteral("Spolebox")));
        auto form = start(session, programDir);
        QTRY_VERIFY(form->catalogueOpened());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY(session.aliasExists(QStringLiteral("Spolebox")));
        QCOMPARE(session.aliasDirectory(QStringLiteral("Spolebox")),
                 programDir + QStringLiteral("DATA"));
    }
    QFile file(config);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        engine::Session session(config);
        auto form = start(session, root.path() + QStringLiteral("/elsewhere/"));
        QTRY_VERIFY(form->catalogueOpened());
        QTRY_VERIFY(!QApplication::activeModalWidget());
        // The existing alias is used unchanged, whatever the program directory is now.
        QCOMPARE(session.aliasDirectory(QStringLiteral("Spolebox")),
                 programDir + QStringLiteral("DATA"));
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestMainWindow::aliasWithoutTablesEndsProgram_data() {
    QTest::addColumn<QString>("missing"); // the table left out ("*": all of them)
    QTest::addColumn<bool>("damaged");    // there, but not a table
    QTest::newRow("no tables") << "*" << false;
    QTest::newRow("no recordings") << "Spolebox.DB" << false;
    QTest::newRow("no settings") << "System.db" << false;
    QTest::newRow("damaged settings") << "System.db" << true;
}

// Every failure to open the catalogue shows one message, in Danish; the engine's own text
// goes to standard error only.
void TestMainWindow::aliasWithoutTablesEndsProgram() {
    QFETCH(QString, missing);
    QFETCH(bool, damaged);
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    for (const engine::TableDef* def : schema::allTables()) {
        if (missing != u'*' && def->fileName != missing)
            catalogue.createTable(*def);
    }
    if (damaged) {
        QFile file(catalogue.filePath(missing));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) > 0);
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Spolebox: .+")));
    MessageLog log;
    MainWindowFixture main(catalogue);
    QTRY_VERIFY(main.failed);
    QVERIFY(!main.form->catalogueOpened());
    QCOMPARE(log.shown.size(), std::size_t(1));
    QCOMPARE(log.shown[0].text,
             QStringLiteral("Kan ikke åbne datafiler. Kontakt evt. Kvistholm for support."));
    QCOMPARE(log.shown[0].caption, QStringLiteral("Error"));
    QCOMPARE(log.shown[0].icon, framework::MessageIcon::Error);
}

void TestMainWindow::aboutBoxClosesOnlyThroughLuk() {
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    bool stayedAfterEscape = false, buttonVisible = false;
    onNextModal<TAboutForm>([&](TAboutForm* about) {
        QTest::keyClick(about, Qt::Key_Escape);
        about->close();
        stayedAfterEscape = about->isVisible();
        buttonVisible = about->LukButton->isVisible();
        about->LukButton->click();
    });
    main.form->OmSpolebox1->trigger();
    QVERIFY(stayedAfterEscape);
    QVERIFY(buttonVisible);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestMainWindow::newRecordingDefaults() {
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    main.form->PageControl1->setCurrentWidget(main.form->NoterSide);
    QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);

    TMainForm& f = *main.form;
    QCOMPARE(main.recordings().state(), engine::DatasetState::Insert);
    QCOMPARE(f.PageControl1->currentWidget(), f.HovedSide);
    QTRY_VERIFY(f.Titel1Edit->hasFocus());
    QCOMPARE(f.SpilletidEdit->text(), QStringLiteral("0:00"));
    QCOMPARE(f.Hastighed->itemIndex(), 0);
    QCOMPARE(f.Lyd->itemIndex(), 1);
    QCOMPARE(f.OptagetdatoEdit->text(),
             engine::formatDateTime(QStringLiteral("d mmmm yyyy"),
                                    engine::dateToDayNumber(QDate::currentDate())));
    QCOMPARE(f.BaandnavnEdit->text(), QString());
    QCOMPARE(f.StarttidEdit->text(), QString());
}

void TestMainWindow::newRecordingPostsPendingChangesFirst() {
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    addTape(main.box(), QStringLiteral("A1"), 180);
    addRecording(main.box(), QStringLiteral("A1"), QStringLiteral("0:00"), QStringLiteral("1:00"),
                 QStringLiteral("Alien"));
    main.recordings().edit();
    main.recordings().fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Aliens"));
    QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);
    QCOMPARE(main.recordings().state(), engine::DatasetState::Insert);
    QCOMPARE(catalogue.rowCount(schema::recordings()), 1);
    auto fresh = catalogue.openTable(schema::recordings());
    QCOMPARE(fresh->fieldByName(QStringLiteral("Titel1")).asString(), QStringLiteral("Aliens"));
}

void TestMainWindow::newRecordingAfterRefusedPostStartsNoRow() {
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    MessageLog log;
    addTape(main.box(), QStringLiteral("A1"), 180);
    addRecording(main.box(), QStringLiteral("A1"), QStringLiteral("0:00"), QStringLiteral("1:00"),
                 QStringLiteral("Alien"));
    addRecording(main.box(), QStringLiteral("A1"), QStringLiteral("1:00"), QStringLiteral("1:00"),
                 QStringLiteral("Brazil"));
    // Move the second recording over the first: the post is refused.
    QVERIFY(main.recordings().locate(QStringLiteral("Titel1"), QStringLiteral("Brazil"), false));
    main.recordings().edit();
    main.recordings().fieldByName(QStringLiteral("Starttid")).setText(QStringLiteral("0:30"));
    QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);
    QCOMPARE(log.texts(), QStringList{QStringLiteral("Der er overlappende tider..")});
    QCOMPARE(main.recordings().state(), engine::DatasetState::Edit);
    QCOMPARE(main.recordings().fieldByName(QStringLiteral("Titel1")).asString(),
             QStringLiteral("Brazil"));
    QCOMPARE(catalogue.rowCount(schema::recordings()), 2);
}

void TestMainWindow::tapeNameExit_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("startBefore");
    QTest::addColumn<QString>("startAfter");
    QTest::newRow("empty name does nothing") << QString() << QString() << QString();
    QTest::newRow("other letter case counts as existing")
        << QStringLiteral("a1") << QString() << QStringLiteral("01:00:00");
    QTest::newRow("exact name proposes the first free time")
        << QStringLiteral("A1") << QString() << QStringLiteral("01:00:00");
    QTest::newRow("a start time already set stays")
        << QStringLiteral("A1") << QStringLiteral("2:00") << QStringLiteral("02:00:00");
}

void TestMainWindow::tapeNameExit() {
    QFETCH(QString, typed);
    QFETCH(QString, startBefore);
    QFETCH(QString, startAfter);
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    MessageLog log;
    addTape(main.box(), QStringLiteral("A1"), 180);
    addRecording(main.box(), QStringLiteral("A1"), QStringLiteral("0:00"), QStringLiteral("1:00"),
                 QStringLiteral("Alien"));
    QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);
    if (!startBefore.isEmpty())
        main.recordings().fieldByName(QStringLiteral("Starttid")).setText(startBefore);
    bool dialogShown = false;
    QPointer<QTimer> answer = onNextModal<TBaandtypeForm>(
        [&](TBaandtypeForm* dialog) {
            dialog->BitBtn2->click();
            dialogShown = true;
        },
        300);
    typeAndLeave(main.form->BaandnavnEdit, typed, main.form->SpilletidEdit);
    QTest::qWait(350);
    // On a busy machine the answer may still be waiting: it must not answer a later test.
    delete answer.data();
    QVERIFY(!dialogShown);
    QVERIFY(log.shown.empty());
    QCOMPARE(main.recordings().fieldByName(QStringLiteral("Starttid")).text(), startAfter);
}

void TestMainWindow::unknownTapeName_data() {
    QTest::addColumn<bool>("confirm");
    QTest::newRow("dialog cancelled") << false;
    QTest::newRow("dialog confirmed") << true;
}

void TestMainWindow::unknownTapeName() {
    QFETCH(bool, confirm);
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);
    QString shownName;
    onNextModal<TBaandtypeForm>([&](TBaandtypeForm* dialog) {
        shownName = dialog->Baandnavn->text();
        (confirm ? dialog->BitBtn1 : dialog->BitBtn2)->click();
    });
    typeAndLeave(main.form->BaandnavnEdit, QStringLiteral("A12"), main.form->SpilletidEdit);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(shownName, QStringLiteral("A12"));
    engine::Table& recordings = main.recordings();
    if (confirm) {
        QVERIFY(main.box().baandnavnexist(QStringLiteral("A12")));
        QCOMPARE(main.box().BaandTable().fieldByName(QStringLiteral("Baandlaengde")).asInteger(),
                 240);
        QCOMPARE(recordings.fieldByName(QStringLiteral("Starttid")).text(),
                 QStringLiteral("00:00:00"));
        QCOMPARE(recordings.fieldByName(QStringLiteral("Baandnummer")).asString(),
                 QStringLiteral("A12"));
    } else {
        QCOMPARE(catalogue.rowCount(schema::tapes()), 0);
        QCOMPARE(main.form->BaandnavnEdit->text(), QString());
        // Headless, the main window is not made active again after the dialog: look at
        // the control that has the focus within it.
        QTRY_COMPARE(main.form->focusWidget(), main.form->BaandnavnEdit);
        QVERIFY(recordings.fieldByName(QStringLiteral("Starttid")).isNull());
    }
}

void TestMainWindow::deleteAsksFirst_data() {
    QTest::addColumn<MessageButton>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("No keeps the recording") << MessageButton::No << 1;
    QTest::newRow("Yes deletes it") << MessageButton::Yes << 0;
}

void TestMainWindow::deleteAsksFirst() {
    QFETCH(MessageButton, answer);
    QFETCH(int, left);
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    addTape(main.box(), QStringLiteral("A1"), 180);
    addRecording(main.box(), QStringLiteral("A1"), QStringLiteral("0:00"), QStringLiteral("1:00"),
                 QStringLiteral("Alien"));
    MessageLog log;
    log.answers.push_back(answer);
    QTest::mouseClick(main.form->SpeedButton3, Qt::LeftButton);
    QCOMPARE(log.shown.size(), std::size_t(1));
    const auto& asked = log.shown[0];
    QCOMPARE(asked.caption, QStringLiteral("Bekræft sletning"));
    QCOMPARE(asked.text, QStringLiteral("Ønsker du at slette denne post?"));
    QCOMPARE(asked.icon, framework::MessageIcon::Question);
    QCOMPARE(asked.defaultButton, MessageButton::No);
    QCOMPARE(catalogue.rowCount(schema::recordings()), left);
    QCOMPARE(main.form->StatusPanel1->text(), QStringLiteral("Antal poster: %1").arg(left));
}

void TestMainWindow::deleteOnEmptyCatalogueShowsEngineError() {
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    MessageLog log;
    log.answers.push_back(MessageButton::Yes);
    QTest::mouseClick(main.form->SpeedButton3, Qt::LeftButton);
    QCOMPARE(log.shown.size(), std::size_t(2));
    QCOMPARE(log.shown[1].caption, QStringLiteral("Error"));
    QVERIFY(!log.shown[1].text.isEmpty());
}

void TestMainWindow::closingWithOverlapStaysOpen() {
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    addTape(main.box(), QStringLiteral("T"), 180);
    addRecording(main.box(), QStringLiteral("T"), QStringLiteral("0:00"), QStringLiteral("1:00"),
                 QStringLiteral("Alien"));
    QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);
    engine::Table& recordings = main.recordings();
    recordings.fieldByName(QStringLiteral("Baandnummer")).setAsString(QStringLiteral("T"));
    recordings.fieldByName(QStringLiteral("Starttid")).setText(QStringLiteral("0:30"));
    recordings.fieldByName(QStringLiteral("SpilletidSPLP")).setText(QStringLiteral("1:00"));
    MessageLog log;
    QVERIFY(!main.form->close());
    QVERIFY(main.form->isVisible());
    QCOMPARE(log.texts(), QStringList{QStringLiteral("Der er overlappende tider..")});
    QCOMPARE(recordings.state(), engine::DatasetState::Insert);
    QCOMPARE(catalogue.rowCount(schema::recordings()), 1);
}

void TestMainWindow::closingSavesPendingRecording() {
    TempCatalogue catalogue;
    MainWindowFixture main(catalogue);
    QVERIFY(main.waitOpened());
    addTape(main.box(), QStringLiteral("T"), 180);
    QTest::mouseClick(main.form->SpeedButton2, Qt::LeftButton);
    engine::Table& recordings = main.recordings();
    recordings.fieldByName(QStringLiteral("Titel1"))
        .setAsString(QStringLiteral("Fanny og Alexander"));
    recordings.fieldByName(QStringLiteral("Baandnummer")).setAsString(QStringLiteral("T"));
    recordings.fieldByName(QStringLiteral("Starttid")).setText(QStringLiteral("0:00"));
    recordings.fieldByName(QStringLiteral("SpilletidSPLP")).setText(QStringLiteral("3:00"));
    MessageLog log;
    QVERIFY(main.form->close());
    QVERIFY(log.shown.empty());
    main.form.reset();
    auto fresh = catalogue.openTable(schema::recordings());
    QCOMPARE(fresh->recordCount(), 1);
    QCOMPARE(fresh->fieldByName(QStringLiteral("Titel1")).asString(),
             QStringLiteral("Fanny og Alexander"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"

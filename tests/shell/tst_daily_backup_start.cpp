// The program's daily backup: started once the main window has opened the catalogue, on a
// thread of its own.

#include "keeping/catalogue_backup.h"
#include "main_window_fixture.h"
#include "shell/daily_backup.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestDailyBackupStart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsWhenTheCatalogueIsOpen();
};

void TestDailyBackupStart::startsWhenTheCatalogueIsOpen() {
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    catalogue.appendRow(schema::tapes(), {{QStringLiteral("BaandNavn"), QStringLiteral("A1")},
                                          {QStringLiteral("Baandlaengde"), 180}});
    QTemporaryDir backups;
    QVERIFY(backups.isValid());

    MainFormOptions options;
    options.session = &catalogue.session();
    options.programDir = catalogue.directory() + u'/';
    options.splashWaitMs = 0;
    options.instanceServerName =
        QStringLiteral("spolebox-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    TMainForm form(options);
    DailyBackup* backup = keepDailyBackups(form, catalogue.session(), backups.path());
    QSignalSpy finished(backup, &DailyBackup::finished);
    QVERIFY(!backup->running());
    QVERIFY(QDir(backups.path()).isEmpty());

    onNextModal<TAboutForm>([](TAboutForm* about) { about->LukButton->click(); });
    form.show();
    QVERIFY(finished.wait(30000));
    QVERIFY(form.catalogueOpened());
    const QString written = finished.first().first().toString();
    QCOMPARE(QFileInfo(written).dir().absolutePath(), QDir(backups.path()).absolutePath());
    QCOMPARE(keeping::readBackupManifest(written).rows(QStringLiteral("Bånd.db")), 1);
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestDailyBackupStart)
#include "tst_daily_backup_start.moc"

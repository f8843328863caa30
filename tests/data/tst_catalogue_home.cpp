// Where a new alias points: beside a program run from its build tree or any chosen folder,
// in the user's data folder for an installed copy, where the first start sets up an empty
// catalogue. An existing alias and a folder the user already has are never changed.
#include "data/catalogue_home.h"
#include "databox_fixture.h"
#include "engine/database.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kOpenFailed =
    QStringLiteral("Kan ikke åbne datafiler. Kontakt evt. Kvistholm for support.");
const QString kAlias = QStringLiteral("Spolebox");

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class CatalogueHomeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void homeOfTheProgram_data() {
        QTest::addColumn<QString>("programDir"); // relative to a temporary root
        QTest::addColumn<QString>("binDir");     // the bindir the program was built for
        QTest::addColumn<bool>("installed");
        QTest::newRow("build tree") << "build/src/"
                                    << "prefix/bin" << false;
        QTest::newRow("installed") << "prefix/bin/"
                                   << "prefix/bin" << true;
        QTest::newRow("installed, bindir with a slash") << "prefix/bin/"
                                                        << "prefix/bin/" << true;
        QTest::newRow("installed, bindir through a link") << "prefix/bin/"
                                                          << "link/bin" << true;
        QTest::newRow("a folder named like the bindir") << "other/prefix/bin/"
                                                        << "prefix/bin" << false;
        QTest::newRow("copied beside the prefix") << "prefix/"
                                                  << "prefix/bin" << false;
        QTest::newRow("no install prefix") << "prefix/bin/"
                                           << "" << false;
    }
    void homeOfTheProgram() {
        QFETCH(QString, programDir);
        QFETCH(QString, binDir);
        QFETCH(bool, installed);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        for (const char* dir : {"build/src", "prefix/bin", "other/prefix/bin"})
            QVERIFY(QDir(root.path()).mkpath(QString::fromLatin1(dir)));
        QVERIFY(QFile::link(root.filePath(QStringLiteral("prefix")),
                            root.filePath(QStringLiteral("link"))));
        const QString dataHome = root.filePath(QStringLiteral("xdg-data"));
        qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());

        const CatalogueHome home = catalogueHome(
            root.path() + u'/' + programDir, binDir.isEmpty() ? QString() : root.filePath(binDir));
        QCOMPARE(home.setUpWhenMissing, installed);
        QCOMPARE(home.directory, installed
                                     ? dataHome + QStringLiteral("/spolebox/DATA")
                                     : root.path() + u'/' + programDir + QStringLiteral("DATA"));
    }

    // A data module started with each home, on an engine configuration without the alias
    // (or with one naming another folder).
    void firstStart_data() {
        QTest::addColumn<bool>("setUp");     // the home of an installed copy
        QTest::addColumn<QString>("before"); // "nothing", "empty folder", "alias elsewhere",
                                             // "home inside a file"
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("aliasAtHome"); // the alias names the home afterwards
        QTest::addColumn<int>("tablesAtHome");
        QTest::newRow("installed, first start") << true << "nothing" << true << true << 6;
        QTest::newRow("installed, folder without tables")
            << true << "empty folder" << false << true << 0;
        QTest::newRow("installed, alias elsewhere")
            << true << "alias elsewhere" << true << false << 0;
        QTest::newRow("installed, folder cannot be made")
            << true << "home inside a file" << false << false << 0;
        QTest::newRow("build tree, first start") << false << "nothing" << false << true << 0;
    }
    void firstStart() {
        QFETCH(bool, setUp);
        QFETCH(QString, before);
        QFETCH(bool, opened);
        QFETCH(bool, aliasAtHome);
        QFETCH(int, tablesAtHome);
        TempCatalogue elsewhere; // a catalogue with a recording, named by its own alias
        QVERIFY2(elsewhere.isValid(), qPrintable(elsewhere.errorString()));
        elsewhere.appendRow(schema::recordings(),
                            {{QStringLiteral("Titel1"), QStringLiteral("X")}});
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QString homeDir = root.filePath(QStringLiteral("share/spolebox/DATA"));
        if (before == u"empty folder")
            QVERIFY(QDir().mkpath(homeDir));
        if (before == u"home inside a file") {
            QFile blocker(root.filePath(QStringLiteral("share")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        const QString config = before == u"alias elsewhere"
                                   ? elsewhere.configFile()
                                   : root.filePath(QStringLiteral("config/engine.ini"));

        MessageLog messages;
        {
            engine::Session session(config);
            TDataBox box(session, root.path() + QStringLiteral("/bin/"),
                         CatalogueHome{homeDir, setUp});
            QCOMPARE(box.opened(), opened);
            QCOMPARE(messages.texts(), opened ? QStringList() : QStringList{kOpenFailed});
            if (opened)
                QCOMPARE(box.statusBarText(), before == u"alias elsewhere"
                                                  ? QStringLiteral("Antal poster: 1")
                                                  : QStringLiteral("Antal poster: 0"));
        }
        engine::Session session(config);
        if (aliasAtHome) {
            QCOMPARE(session.aliasDirectory(kAlias), homeDir);
        } else if (before == u"alias elsewhere") {
            QCOMPARE(session.aliasDirectory(kAlias), elsewhere.directory());
        } else {
            // Nothing was set up: the next start tries again.
            QVERIFY(!session.aliasExists(kAlias));
        }
        QCOMPARE(filesIn(homeDir).size(), tablesAtHome);
        if (tablesAtHome > 0) {
            for (const engine::TableDef* def : schema::allTables()) {
                engine::Table table(session);
                table.setAliasName(kAlias);
                table.setTableName(def->fileName);
                table.setFieldDefs(def->fields);
                table.open();
                QCOMPARE(table.recordCount(), 0);
            }
        }
        QCOMPARE(elsewhere.rowCount(schema::recordings()), 1);
    }
};

QTEST_MAIN(CatalogueHomeTest)
#include "tst_catalogue_home.moc"

// Database aliases in the engine's own configuration file: existence, adding, the driver
// name, letter case, and what a later session sees.

#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAlias : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void addedAliasExists();
    void aliasNamesIgnoreCase_data();
    void aliasNamesIgnoreCase();
    void driver_data();
    void driver();
    void keptForTheNextSession();
    void configFolderIsCreated();
    void addingTwiceFails();
    void unknownAliasFails();
    void aliasWithoutDirectoryFailsOnOpen();
    void tablesOpenThroughTheAlias();
    void directoryWithBlanksAndDanishLetters();

private:
    QString config() const { return m_dir->filePath(QStringLiteral("engine.ini")); }
    QString dataDir() const { return m_dir->filePath(QStringLiteral("DATA")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAlias::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(dataDir()));
}

void TestAlias::addedAliasExists() {
    engine::Session session(config());
    QVERIFY(!session.aliasExists(QStringLiteral("Spolebox")));
    session.addAlias(QStringLiteral("Spolebox"), dataDir(), QStringLiteral("PARADOX"));
    QVERIFY(session.aliasExists(QStringLiteral("Spolebox")));
    QVERIFY(!session.aliasExists(QStringLiteral("Spolebox2")));
    QCOMPARE(session.aliasDirectory(QStringLiteral("Spolebox")), dataDir());
}

void TestAlias::aliasNamesIgnoreCase_data() {
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("asked");
    QTest::newRow("lower") << "Spolebox"
                           << "spolebox";
    QTest::newRow("upper") << "Spolebox"
                           << "SPOLEBOX";
    QTest::newRow("added in capitals") << "SPOLEBOX"
                                       << "Spolebox";
    QTest::newRow("Danish letters") << "Bånd"
                                    << "BÅND";
}

void TestAlias::aliasNamesIgnoreCase() {
    QFETCH(QString, added);
    QFETCH(QString, asked);
    engine::Session session(config());
    session.addAlias(added, dataDir(), QStringLiteral("PARADOX"));
    QVERIFY(session.aliasExists(asked));
    QCOMPARE(session.aliasDirectory(asked), dataDir());
    // The same alias in another case is not added a second time.
    QVERIFY_THROWS_EXCEPTION(engine::Error,
                             session.addAlias(asked, m_dir->path(), QStringLiteral("PARADOX")));
    QCOMPARE(session.aliasDirectory(added), dataDir());
}

void TestAlias::driver_data() {
    QTest::addColumn<QString>("driver");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("PARADOX") << "PARADOX" << true;
    QTest::newRow("dBASE") << "DBASE" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("ODBC") << "ODBC" << false;
}

void TestAlias::driver() {
    QFETCH(QString, driver);
    QFETCH(bool, accepted);
    engine::Session session(config());
    QString message;
    try {
        session.addAlias(QStringLiteral("Spolebox"), dataDir(), driver);
    } catch (const engine::Error& e) {
        message = e.message();
    }
    QCOMPARE(message.isEmpty(), accepted);
    QCOMPARE(session.aliasExists(QStringLiteral("Spolebox")), accepted);
    if (!accepted) {
        QVERIFY2(message.contains(driver), qPrintable(message));
        QCOMPARE(engine::Session(config()).aliasExists(QStringLiteral("Spolebox")), false);
    }
}

void TestAlias::keptForTheNextSession() {
    {
        engine::Session first(config());
        first.addAlias(QStringLiteral("Spolebox"), dataDir(), QStringLiteral("PARADOX"));
    }
    QVERIFY(QFile::exists(config()));
    engine::Session next(config());
    QVERIFY(next.aliasExists(QStringLiteral("Spolebox")));
    QCOMPARE(next.aliasDirectory(QStringLiteral("spolebox")), dataDir());

    // A session on another configuration file knows nothing of it.
    engine::Session other(m_dir->filePath(QStringLiteral("other.ini")));
    QVERIFY(!other.aliasExists(QStringLiteral("Spolebox")));
}

void TestAlias::configFolderIsCreated() {
    const QString deep = m_dir->filePath(QStringLiteral("not/yet/there/engine.ini"));
    engine::Session session(deep);
    session.addAlias(QStringLiteral("Spolebox"), dataDir(), QStringLiteral("PARADOX"));
    QVERIFY(QFile::exists(deep));
    QVERIFY(engine::Session(deep).aliasExists(QStringLiteral("Spolebox")));
}

void TestAlias::addingTwiceFails() {
    engine::Session session(config());
    session.addAlias(QStringLiteral("Spolebox"), dataDir(), QStringLiteral("PARADOX"));
    QVERIFY_THROWS_EXCEPTION(
        engine::Error,
        session.addAlias(QStringLiteral("Spolebox"), m_dir->path(), QStringLiteral("PARADOX")));
    QCOMPARE(engine::Session(config()).aliasDirectory(QStringLiteral("Spolebox")), dataDir());
    QVERIFY_THROWS_EXCEPTION(engine::Error,
                             session.addAlias(QString(), dataDir(), QStringLiteral("PARADOX")));
}

void TestAlias::unknownAliasFails() {
    engine::Session session(config());
    QVERIFY_THROWS_EXCEPTION(engine::Error, session.aliasDirectory(QStringLiteral("Nothing")));
    engine::Table t(session);
    t.setAliasName(QStringLiteral("Nothing"));
    t.setTableName(schema::tapes().fileName);
    QVERIFY_THROWS_EXCEPTION(engine::Error, t.open());
    QVERIFY(!t.isActive());
}

void TestAlias::aliasWithoutDirectoryFailsOnOpen() {
    // The alias is kept even when its directory is not there (yet); opening a table fails.
    engine::Session session(config());
    const QString missing = m_dir->filePath(QStringLiteral("gone"));
    session.addAlias(QStringLiteral("Spolebox"), missing, QStringLiteral("PARADOX"));
    QVERIFY(session.aliasExists(QStringLiteral("Spolebox")));
    engine::Table t(session);
    t.setAliasName(QStringLiteral("Spolebox"));
    t.setTableName(schema::tapes().fileName);
    QString message;
    try {
        t.open();
    } catch (const engine::Error& e) {
        message = e.message();
    }
    QVERIFY2(message.contains(missing), qPrintable(message));
}

void TestAlias::tablesOpenThroughTheAlias() {
    engine::Database::createTable(dataDir(), schema::tapes());
    {
        engine::Session session(config());
        session.addAlias(QStringLiteral("Spolebox"), dataDir(), QStringLiteral("PARADOX"));
    }
    // A later session reaches the table through the kept alias, named in any case.
    engine::Session session(config());
    engine::Table t(session);
    t.setAliasName(QStringLiteral("SPOLEBOX"));
    t.setTableName(QStringLiteral("bånd.db"));
    t.setFieldDefs(schema::tapes().fields);
    t.open();
    t.append();
    t.fieldByName(QStringLiteral("BaandNavn")).setValue(QStringLiteral("T1"));
    t.fieldByName(QStringLiteral("Baandlaengde")).setValue(180);
    t.post();
    QCOMPARE(t.recordCount(), 1);
    QVERIFY(session.database(QStringLiteral("spolebox")) ==
            session.database(QStringLiteral("Spolebox"))); // one connection per catalogue
}

void TestAlias::directoryWithBlanksAndDanishLetters() {
    const QString dir = m_dir->filePath(QStringLiteral("Mine bånd; ø=1/DATA"));
    QVERIFY(QDir().mkpath(dir));
    engine::Database::createTable(dir, schema::categories());
    engine::Session(config()).addAlias(QStringLiteral("Spolebox"), dir, QStringLiteral("PARADOX"));
    engine::Session session(config());
    QCOMPARE(session.aliasDirectory(QStringLiteral("Spolebox")), dir);
    engine::Table t(session);
    t.setAliasName(QStringLiteral("Spolebox"));
    t.setTableName(schema::categories().fileName);
    t.open();
    QVERIFY(t.isActive());
}

QTEST_GUILESS_MAIN(TestAlias)
#include "tst_alias.moc"

// `make distclean` never deletes a catalogue that holds a recording by surprise: it
// refuses, says where the catalogue is and how to keep it, and deletes it only when told
// to with FORCE=1. Run on build trees made up in a temporary folder.
#include "data/catalogue_setup.h"
#include "data/schema.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A catalogue in tree/src/DATA holding `recordings` recordings.
void makeCatalogue(const QString& directory, int recordings) {
    catalogue::createEmpty(directory);
    QTemporaryDir config;
    engine::Session session(config.filePath(QStringLiteral("engine.ini")));
    session.addAlias(QString::fromUtf8(schema::kAlias), directory, QStringLiteral("PARADOX"));
    engine::Table table(session);
    table.setAliasName(QString::fromUtf8(schema::kAlias));
    table.setTableName(schema::recordings().fileName);
    table.setFieldDefs(schema::recordings().fields);
    table.open();
    for (int i = 0; i < recordings; ++i) {
        table.append();
        table.fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Festen"));
        table.post();
    }
}

} // namespace

class DistcleanTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueKept_data() {
        QTest::addColumn<QString>("tree");
        QTest::addColumn<int>("recordings");
        QTest::addColumn<QString>("tableFile"); // the recordings table's name on disk
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("kept");
        QTest::newRow("empty catalogue") << "build" << 0 << "Spolebox.DB" << false << false;
        QTest::newRow("a recording") << "build" << 1 << "Spolebox.DB" << false << true;
        QTest::newRow("a recording, table in capitals")
            << "build" << 1 << "SPOLEBOX.DB" << false << true;
        QTest::newRow("a recording in the sanitizer tree")
            << "build-sanitize" << 3 << "Spolebox.DB" << false << true;
        QTest::newRow("a recording in the benchmark tree")
            << "build-bench" << 1 << "Spolebox.DB" << false << true;
        QTest::newRow("a recording, FORCE=1") << "build" << 1 << "Spolebox.DB" << true << false;
    }
    void catalogueKept() {
        QFETCH(QString, tree);
        QFETCH(int, recordings);
        QFETCH(QString, tableFile);
        QFETCH(bool, force);
        QFETCH(bool, kept);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QDir root(work.path());
        for (const char* t : {"build", "build-bench", "build-sanitize"})
            QVERIFY(root.mkpath(QString::fromLatin1(t) + QStringLiteral("/src")));
        const QString data = root.filePath(tree + QStringLiteral("/src/DATA"));
        makeCatalogue(data, recordings);
        if (tableFile != schema::recordings().fileName)
            QVERIFY(QDir(data).rename(schema::recordings().fileName, tableFile));
        const QStringList tables = QDir(data).entryList(QDir::Files);

        // Run in the made-up folder: the trees it deletes are relative to it.
        QProcess make;
        make.setWorkingDirectory(work.path());
        QStringList arguments{QStringLiteral("-f"), QStringLiteral(SPOLEBOX_SOURCE_DIR "/Makefile"),
                              QStringLiteral("distclean")};
        if (force)
            arguments << QStringLiteral("FORCE=1");
        make.start(QStringLiteral("make"), arguments);
        QVERIFY(make.waitForFinished(60000));
        const QString errors = QString::fromLocal8Bit(make.readAllStandardError());

        if (kept) {
            QVERIFY(make.exitCode() != 0);
            QVERIFY2(errors.contains(tree + QStringLiteral("/src/DATA")), qPrintable(errors));
            QVERIFY2(errors.contains(QStringLiteral("FORCE=1")), qPrintable(errors));
            QCOMPARE(QDir(data).entryList(QDir::Files), tables);
            for (const char* t : {"build", "build-bench", "build-sanitize"})
                QVERIFY(root.exists(QString::fromLatin1(t)));
        } else {
            QVERIFY2(make.exitCode() == 0, qPrintable(errors));
            for (const char* t : {"build", "build-bench", "build-sanitize"})
                QVERIFY(!root.exists(QString::fromLatin1(t)));
        }
    }
};

QTEST_GUILESS_MAIN(DistcleanTest)
#include "tst_distclean.moc"

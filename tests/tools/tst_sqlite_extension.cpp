// The catalogue in the standard sqlite3 shell, with and without libspolebox_sqlite.

#include "catalogue_tool_fixture.h"

#include <QStandardPaths>

namespace {

struct ShellResult {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// Runs the sqlite3 shell on a table file; withExtension loads libspolebox_sqlite by its
// bare name, found as an installed library would be.
ShellResult sqliteShell(const QString& tableFile, const QString& sql, bool withExtension) {
    QProcess shell;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                       QStringLiteral(SPOLEBOX_SQLITE_EXTENSION_DIR));
    shell.setProcessEnvironment(environment);
    QStringList arguments;
    if (withExtension)
        arguments << QStringLiteral("-cmd") << QStringLiteral(".load libspolebox_sqlite");
    arguments << tableFile << sql;
    shell.start(QStandardPaths::findExecutable(QStringLiteral("sqlite3")), arguments);
    ShellResult result;
    if (!shell.waitForFinished(60000) || shell.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = shell.exitCode();
    result.lines =
        QString::fromUtf8(shell.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(shell.readAllStandardError());
    return result;
}

} // namespace

class TestSqliteExtension : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void integrityCheckNeedsTheCollation_data();
    void integrityCheckNeedsTheCollation();
    void orderIsTheProgramsOrder_data();
    void orderIsTheProgramsOrder();
};

void TestSqliteExtension::initTestCase() {
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty(),
             "the sqlite3 shell (Debian package sqlite3) is missing");
}

void TestSqliteExtension::integrityCheckNeedsTheCollation_data() {
    QTest::addColumn<bool>("withExtension");
    QTest::newRow("without the extension") << false;
    QTest::newRow("with the extension") << true;
}

void TestSqliteExtension::integrityCheckNeedsTheCollation() {
    QFETCH(bool, withExtension);
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    for (const engine::TableDef* def : schema::allTables()) {
        const ShellResult checked =
            sqliteShell(catalogue.filePath(def->fileName), QStringLiteral("PRAGMA integrity_check"),
                        withExtension);
        const bool indexed = !def->indexes.empty();
        if (withExtension || !indexed) {
            QVERIFY2(checked.exitCode == 0, qPrintable(checked.errors));
            QCOMPARE(checked.lines, QStringList{QStringLiteral("ok")});
        } else {
            QVERIFY(checked.exitCode != 0);
            QVERIFY2(checked.errors.contains(u"no such collation sequence: DANISH"),
                     qPrintable(checked.errors));
        }
    }
    // Rows that need no index read either way.
    const ShellResult row =
        sqliteShell(catalogue.filePath(QStringLiteral("Spolebox.DB")),
                    QStringLiteral("SELECT Titel1 FROM Spolebox WHERE rowid = 5"), withExtension);
    QCOMPARE(row.lines, QStringList{QStringLiteral("Festen")});
}

void TestSqliteExtension::orderIsTheProgramsOrder_data() {
    QTest::addColumn<QStringList>("lastNames");
    QTest::newRow("Danish letters after Z") << QStringList{
        QStringLiteral("Åberg"), QStringLiteral("Zorn"),  QStringLiteral("Ørsted"),
        QStringLiteral("Ærø"),   QStringLiteral("Aabye"), QStringLiteral("Østergaard")};
    QTest::newRow("Swedish and German letters with the Danish ones")
        << QStringList{QStringLiteral("Öberg"), QStringLiteral("Ängström"), QStringLiteral("Øby"),
                       QStringLiteral("Æbelø"), QStringLiteral("Müller"),   QStringLiteral("Yde")};
    QTest::newRow("letter case and accents") << QStringList{
        QStringLiteral("andersen"), QStringLiteral("Andersen"), QStringLiteral("Élise"),
        QStringLiteral("Ebbe"),     QStringLiteral("ebbe"),     QStringLiteral("ANDERSEN")};
}

void TestSqliteExtension::orderIsTheProgramsOrder() {
    QFETCH(QStringList, lastNames);
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    for (const QString& name : lastNames)
        catalogue.appendRow(schema::actors(), {{QStringLiteral("Efternavn"), name}});
    QStringList programOrder;
    {
        auto actors = catalogue.openTable(schema::actors(), QStringLiteral("SecEfternavn"));
        for (actors->first(); !actors->eof(); actors->next())
            programOrder << actors->fieldByName(QStringLiteral("Efternavn")).asString();
    }

    const ShellResult shell = sqliteShell(
        catalogue.filePath(QStringLiteral("Skuespillere.DB")),
        QStringLiteral(
            "SELECT Efternavn FROM Skuespillere ORDER BY Efternavn COLLATE DANISH, rowid"),
        true);
    QVERIFY2(shell.exitCode == 0, qPrintable(shell.errors));
    QCOMPARE(shell.lines, programOrder);
}

QTEST_GUILESS_MAIN(TestSqliteExtension)
#include "tst_sqlite_extension.moc"

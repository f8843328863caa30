// spolebox-catalogue backup and restore, run as the user runs them, while another process
// goes on posting recordings as the program does.

#include "catalogue_tool_fixture.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <set>

namespace {

const char* const kPostingSwitch = "--post-recordings";

// The other process: posts recordings through the engine, one transaction each, on a
// new tape every ten, and prints the number of each once it is committed.
int postRecordings(const QString& configFile) {
    engine::Session session(configFile);
    auto open = [&](const engine::TableDef& def) {
        auto table = std::make_unique<engine::Table>(session);
        table->setAliasName(QStringLiteral("Spolebox"));
        table->setTableName(def.fileName);
        table->setFieldDefs(def.fields);
        table->open();
        return table;
    };
    QTextStream out(stdout);
    try {
        auto tapes = open(schema::tapes());
        auto recordings = open(schema::recordings());
        for (int n = 0; n < 100000; ++n) {
            const QString tape = QStringLiteral("W%1").arg(n / 10);
            if (n % 10 == 0) {
                tapes->append();
                tapes->fieldByName(QStringLiteral("BaandNavn")).setAsString(tape);
                tapes->fieldByName(QStringLiteral("Baandlaengde")).setAsInteger(300);
                tapes->post();
            }
            recordings->append();
            recordings->fieldByName(QStringLiteral("Baandnummer")).setAsString(tape);
            recordings->fieldByName(QStringLiteral("Titel1"))
                .setAsString(QStringLiteral("Post %1").arg(n));
            recordings->fieldByName(QStringLiteral("Starttid")).setAsFloat(minutes(n % 10 * 30));
            recordings->fieldByName(QStringLiteral("SpilletidSPLP")).setAsFloat(minutes(30));
            recordings->fieldByName(QStringLiteral("SpilletidSP")).setAsFloat(minutes(30));
            recordings->fieldByName(QStringLiteral("Hastighed")).setAsString(QStringLiteral("SP"));
            recordings->post();
            out << recordings->fieldByName(QStringLiteral("VideoAutoInc")).asInteger() << Qt::endl;
        }
    } catch (const engine::Error& e) {
        QTextStream(stderr) << e.message() << Qt::endl;
        return 1;
    }
    return 0;
}

// The recordings of the catalogue in directory, by number.
std::set<qint64> recordingIds(const QString& directory) {
    std::set<qint64> ids;
    engine::Database db(directory);
    engine::Statement select(db.handle(),
                             QStringLiteral("SELECT rowid FROM %1")
                                 .arg(db.table(QStringLiteral("Spolebox.DB")).qualifiedName()));
    while (select.step())
        ids.insert(select.int64(0));
    return ids;
}

// Fills a catalogue with ten thousand recordings in one go, so that a backup takes a while.
void fillLarge(const QString& directory) {
    engine::Database db(directory);
    const QString tapes = db.table(schema::tapes().fileName).qualifiedName();
    const QString recordings = db.table(schema::recordings().fileName).qualifiedName();
    db.transaction([&] {
        db.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 999) INSERT INTO %1 (BaandNavn, Baandlaengde) "
                                  "SELECT 'L' || i, 300 FROM n")
                       .arg(tapes));
        db.execute(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 9999) INSERT INTO %1 (Baandnummer, Titel1, Starttid, "
                           "SpilletidSPLP, SpilletidSP, Hastighed, Noter) SELECT 'L' || (i / 10), "
                           "'Film ' || i, (i % 10) * 30 / 1440.0, 30 / 1440.0, 30 / 1440.0, "
                           "'SP', printf('%.200c', 'x') FROM n")
                .arg(recordings));
    });
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void backupWhilePostingRestoresEveryCommittedRow_data();
    void backupWhilePostingRestoresEveryCommittedRow();
    void refusals_data();
    void refusals();
};

void TestBackup::backupWhilePostingRestoresEveryCommittedRow_data() {
    QTest::addColumn<QString>("destination");
    QTest::newRow("folder") << QStringLiteral("backup");
    QTest::newRow("zip file") << QStringLiteral("backup.zip");
}

void TestBackup::backupWhilePostingRestoresEveryCommittedRow() {
    QFETCH(QString, destination);
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    fillLarge(catalogue.directory());
    QTemporaryDir work;
    QVERIFY(work.isValid());

    QProcess writer;
    writer.start(QCoreApplication::applicationFilePath(),
                 {QString::fromLatin1(kPostingSwitch), catalogue.configFile()});
    std::set<qint64> posted;
    auto readPosted = [&] {
        while (writer.canReadLine())
            posted.insert(writer.readLine().trimmed().toLongLong());
    };
    QVERIFY(QTest::qWaitFor(
        [&] {
            writer.waitForReadyRead(100);
            readPosted();
            return posted.size() >= 20;
        },
        30000));
    const std::set<qint64> committedBefore = posted;

    const QString backup = work.filePath(destination);
    const ToolResult taken = runTool({QStringLiteral("backup"), catalogue.directory(), backup});
    // The writer was still at it when the backup ended.
    const std::size_t postedBefore = posted.size();
    const bool stillPosting = QTest::qWaitFor(
        [&] {
            writer.waitForReadyRead(100);
            readPosted();
            return posted.size() > postedBefore;
        },
        30000);
    writer.kill();
    writer.waitForFinished();
    QVERIFY2(taken.exitCode == 0, qPrintable(taken.errors));
    QVERIFY(stillPosting);

    const QString restored = work.filePath(QStringLiteral("restored"));
    const ToolResult restoring = runTool({QStringLiteral("restore"), backup, restored});
    QVERIFY2(restoring.exitCode == 0, qPrintable(restoring.errors));
    const ToolResult checked = runTool({QStringLiteral("check"), restored});
    QVERIFY2(checked.exitCode == 0, qPrintable(checked.output + checked.errors));

    // Every row committed before the backup began is there, and the posts it caught
    // are a run from the first: the tables show one moment.
    const std::set<qint64> ids = recordingIds(restored);
    QVERIFY(ids.size() >= 10000 + committedBefore.size());
    for (const qint64 id : committedBefore)
        QVERIFY(ids.contains(id));
    QCOMPARE(*ids.rbegin(), qint64(ids.size()));
}

void TestBackup::refusals_data() {
    QTest::addColumn<QStringList>("arguments"); // %c the catalogue, %w the work folder
    QTest::addColumn<QString>("message");
    QTest::newRow("backup into a folder with files")
        << QStringList{QStringLiteral("backup"), QStringLiteral("%c"), QStringLiteral("%w/full")}
        << QStringLiteral("already exists");
    QTest::newRow("backup over a zip file")
        << QStringList{QStringLiteral("backup"), QStringLiteral("%c"), QStringLiteral("%w/old.zip")}
        << QStringLiteral("already exists");
    QTest::newRow("restore over a catalogue")
        << QStringList{QStringLiteral("restore"), QStringLiteral("%w/good.zip"),
                       QStringLiteral("%c")}
        << QStringLiteral("already holds catalogue tables");
    QTest::newRow("restore from no backup")
        << QStringList{QStringLiteral("restore"), QStringLiteral("%w/full"),
                       QStringLiteral("%w/new")}
        << QStringLiteral("is no backup");
    QTest::newRow("restore of a damaged table")
        << QStringList{QStringLiteral("restore"), QStringLiteral("%w/damaged"),
                       QStringLiteral("%w/new")}
        << QStringLiteral("in '%w/damaged' has");
}

void TestBackup::refusals() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QDir w(work.path());
    QVERIFY(w.mkdir(QStringLiteral("full")));
    QFile keep(w.filePath(QStringLiteral("full/keep.txt")));
    QVERIFY(keep.open(QIODevice::WriteOnly) && keep.write("keep") == 4);
    keep.close();
    QFile old(w.filePath(QStringLiteral("old.zip")));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    QCOMPARE(runTool({QStringLiteral("backup"), catalogue.directory(),
                      w.filePath(QStringLiteral("good.zip"))})
                 .exitCode,
             0);
    // A backup whose recordings lost rows after its manifest was written.
    QCOMPARE(runTool({QStringLiteral("backup"), catalogue.directory(),
                      w.filePath(QStringLiteral("damaged"))})
                 .exitCode,
             0);
    plantSql(w.filePath(QStringLiteral("damaged")), schema::recordings(),
             QStringLiteral("DELETE FROM %1 WHERE rowid = 5"));
    for (QString& argument : arguments)
        argument.replace(QStringLiteral("%c"), catalogue.directory())
            .replace(QStringLiteral("%w"), w.path());
    message.replace(QStringLiteral("%w"), w.path());
    const auto catalogueBefore = folderSnapshot(catalogue.directory());
    const auto workBefore = folderSnapshot(w.path());

    const ToolResult result = runTool(arguments);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.errors.contains(message), qPrintable(result.errors));
    QCOMPARE(folderSnapshot(catalogue.directory()), catalogueBefore);
    QCOMPARE(folderSnapshot(w.path()), workBefore);
}

int main(int argc, char* argv[]) {
    if (argc == 3 && qstrcmp(argv[1], kPostingSwitch) == 0) {
        QCoreApplication app(argc, argv);
        return postRecordings(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestBackup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backup.moc"

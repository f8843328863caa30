// Every completed change survives the program being killed at any moment.
//
// The test runs this same binary as a writer child (selected by the environment variable
// below) that posts, edits and deletes rows in a loop and reports each completed change on
// stdout only after the engine call returned. The parent kills it with SIGKILL at random
// moments, then checks that every table still opens and reads, that the files pass SQLite's
// integrity check, and that every reported change is there.

#include "data/schema.h"
#include "engine/collation.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/table.h"
#include "temp_catalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

namespace {

// Set to the engine configuration file: the process is the writer child, not the tests.
const char* const kChildVariable = "SPOLEBOX_DURABILITY_CHILD";
const QString kAlias = QString::fromUtf8(schema::kAlias);

std::unique_ptr<engine::Table> openTable(engine::Session& session, const engine::TableDef& def,
                                         const QString& index = {}) {
    auto table = std::make_unique<engine::Table>(session);
    table->setAliasName(kAlias);
    table->setTableName(def.fileName);
    table->setIndexName(index);
    table->setFieldDefs(def.fields);
    table->open();
    return table;
}

QString indexOf(const engine::TableDef& def) {
    return def.indexes.empty() ? QString() : def.indexes.front().name;
}

// One line per completed change, written out before the next change begins.
void report(const QString& line) {
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// The child: changes rows until it is killed (or, as a safety net, for 30 seconds).
int runWriter(const QString& configFile) {
    try {
        engine::Session session(configFile);
        auto videos = openTable(session, schema::recordings(), indexOf(schema::recordings()));
        auto actors = openTable(session, schema::actors(), indexOf(schema::actors()));
        auto tapes = openTable(session, schema::tapes());
        report(QStringLiteral("ready"));
        QList<qint64> posted;
        const QString notes =
            QStringLiteral("Noter der fylder mere end rækken rummer. ").repeated(8);
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; clock.elapsed() < 30000; ++i) {
            videos->append();
            videos->fieldByName(QStringLiteral("Baandnummer"))
                .setValue(QStringLiteral("T%1").arg(i % 7));
            videos->fieldByName(QStringLiteral("Starttid")).setValue((i % 600) / 1440.0);
            videos->fieldByName(QStringLiteral("Titel1"))
                .setValue(QStringLiteral("Film %1").arg(i));
            videos->fieldByName(QStringLiteral("Noter")).setValue(notes);
            videos->post();
            const qint64 id = videos->fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
            posted << id;
            report(QStringLiteral("R %1").arg(id));

            videos->edit();
            videos->fieldByName(QStringLiteral("Titel2"))
                .setValue(QStringLiteral("checked %1").arg(id));
            videos->post();
            report(QStringLiteral("E %1").arg(id));

            if (i % 3 == 0) {
                actors->append();
                actors->fieldByName(QStringLiteral("Efternavn"))
                    .setValue(QStringLiteral("Navn %1").arg(i));
                actors->post();
                report(QStringLiteral("A %1").arg(
                    actors->fieldByName(QStringLiteral("SkuespillerAutoInc")).asInteger()));
            }
            if (i % 5 == 4) {
                const qint64 victim = posted.takeFirst();
                if (videos->locate(QStringLiteral("VideoAutoInc"), victim, false)) {
                    report(QStringLiteral("d %1").arg(victim)); // about to delete
                    videos->deleteRecord();
                    report(QStringLiteral("D %1").arg(victim));
                }
            }
            if (i % 10 == 9) {
                const QString name = QStringLiteral("W%1").arg(id);
                tapes->append();
                tapes->fieldByName(QStringLiteral("BaandNavn")).setValue(name);
                tapes->fieldByName(QStringLiteral("Baandlaengde")).setValue(240);
                tapes->post();
                report(QStringLiteral("T %1").arg(name));
            }
        }
    } catch (const engine::Error& e) {
        std::fprintf(stderr, "writer failed: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}

// What the child reported as done (and about to be done) in one run.
struct Reports {
    QList<qint64> recordings;
    QSet<qint64> edited;
    QSet<qint64> deleting;
    QSet<qint64> deleted;
    QSet<qint64> actors;
    QStringList tapes;
    bool ready = false;

    // Complete lines only: a line cut short by the kill proves nothing.
    static Reports parse(const QByteArray& output) {
        Reports r;
        const int end = int(output.lastIndexOf('\n'));
        const QList<QByteArray> lines = output.left(end + 1).split('\n');
        for (const QByteArray& line : lines) {
            const QString text = QString::fromUtf8(line);
            const QString value = text.mid(2);
            if (text == QStringLiteral("ready"))
                r.ready = true;
            else if (text.startsWith(QStringLiteral("R ")))
                r.recordings << value.toLongLong();
            else if (text.startsWith(QStringLiteral("E ")))
                r.edited << value.toLongLong();
            else if (text.startsWith(QStringLiteral("d ")))
                r.deleting << value.toLongLong();
            else if (text.startsWith(QStringLiteral("D ")))
                r.deleted << value.toLongLong();
            else if (text.startsWith(QStringLiteral("A ")))
                r.actors << value.toLongLong();
            else if (text.startsWith(QStringLiteral("T ")))
                r.tapes << value;
        }
        return r;
    }
};

} // namespace

class TestDurability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyTableIsSyncedOnCommit();
    void killedWriterLosesNothing();

private:
    void checkIntegrity(const TempCatalogue& catalogue);
};

void TestDurability::checkIntegrity(const TempCatalogue& catalogue) {
    for (const engine::TableDef* def : schema::allTables()) {
        sqlite3* db = nullptr;
        const QByteArray path = QFile::encodeName(catalogue.filePath(def->fileName));
        QCOMPARE(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        std::unique_ptr<sqlite3, decltype(&sqlite3_close)> guard(db, sqlite3_close);
        engine::registerSqlFunctions(db); // the indexes compare in Danish order
        sqlite3_stmt* st = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(st), SQLITE_ROW);
        const QString result =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        QVERIFY2(result == QStringLiteral("ok"),
                 qPrintable(def->fileName + QStringLiteral(": ") + result));
    }
}

void TestDurability::everyTableIsSyncedOnCommit() {
    // A kill cannot show what a power cut would: that every commit reaches the disk
    // before post() returns. That rests on these two settings of every table file.
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    for (const engine::TableDef* def : schema::allTables()) {
        auto table = openTable(catalogue.session(), *def);
        auto db = catalogue.session().database(kAlias);
        const QString schemaName = db->table(def->fileName).schema;
        auto pragma = [&](const char* name) {
            sqlite3_stmt* st = nullptr;
            const QByteArray sql =
                QStringLiteral("PRAGMA %1.%2").arg(schemaName, QString::fromLatin1(name)).toUtf8();
            if (sqlite3_prepare_v2(db->handle(), sql.constData(), -1, &st, nullptr) != SQLITE_OK)
                return QString();
            QString value;
            if (sqlite3_step(st) == SQLITE_ROW)
                value =
                    QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
            return value;
        };
        QCOMPARE(pragma("journal_mode"), QStringLiteral("wal"));
        QCOMPARE(pragma("synchronous"), QStringLiteral("2")); // FULL
    }
}

void TestDurability::killedWriterLosesNothing() {
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));

    qint64 highestSeen = 0;
    int changesChecked = 0;
    const int rounds = 12;
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildVariable), catalogue.configFile());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));

        // The first round is killed while it opens the tables; the others while writing.
        if (round > 0) {
            QByteArray seen;
            QElapsedTimer waited;
            waited.start();
            while (!seen.contains("ready") && waited.elapsed() < 20000 &&
                   child.state() == QProcess::Running) {
                child.waitForReadyRead(100);
                seen = child.peek(1 << 20);
            }
            QVERIFY2(seen.contains("ready"), child.readAllStandardError().constData());
            QThread::msleep(QRandomGenerator::global()->bounded(20, 600));
        } else {
            QThread::msleep(QRandomGenerator::global()->bounded(0, 30));
        }
        QVERIFY2(child.state() == QProcess::Running, child.readAllStandardError().constData());
        child.kill(); // SIGKILL: no clean-up of any kind
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        const Reports reports = Reports::parse(child.readAllStandardOutput());
        if (round > 0)
            QVERIFY2(!reports.recordings.isEmpty(), "the writer posted nothing before the kill");

        // Every table opens and every field of every row reads.
        engine::Session session(catalogue.configFile());
        QSet<qint64> present;
        QMap<qint64, QString> titel2;
        for (const engine::TableDef* def : schema::allTables()) {
            auto table = openTable(session, *def, indexOf(*def));
            int rows = 0;
            for (table->first(); !table->eof(); table->next()) {
                for (int f = 0; f < table->fieldCount(); ++f)
                    table->field(f).asString();
                ++rows;
                if (def == &schema::recordings()) {
                    const qint64 id =
                        table->fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
                    present << id;
                    titel2[id] = table->fieldByName(QStringLiteral("Titel2")).asString();
                }
            }
            QCOMPARE(rows, table->recordCount());
        }
        checkIntegrity(catalogue);

        // Every reported change is there.
        for (qint64 id : reports.recordings) {
            QVERIFY2(id > highestSeen, qPrintable(QStringLiteral("id %1 used again").arg(id)));
            if (reports.deleted.contains(id)) {
                QVERIFY2(!present.contains(id),
                         qPrintable(QStringLiteral("%1 not deleted").arg(id)));
            } else if (!reports.deleting.contains(id)) {
                QVERIFY2(present.contains(id),
                         qPrintable(QStringLiteral("recording %1 lost").arg(id)));
                if (reports.edited.contains(id))
                    QCOMPARE(titel2.value(id), QStringLiteral("checked %1").arg(id));
            }
            ++changesChecked;
        }
        auto actors = openTable(session, schema::actors());
        for (qint64 id : reports.actors)
            QVERIFY2(actors->locate(QStringLiteral("SkuespillerAutoInc"), id, false),
                     qPrintable(QStringLiteral("actor %1 lost").arg(id)));
        auto tapes = openTable(session, schema::tapes());
        for (const QString& name : reports.tapes)
            QVERIFY2(tapes->locate(QStringLiteral("BaandNavn"), name, false),
                     qPrintable(QStringLiteral("tape %1 lost").arg(name)));

        // Numbers are never given twice, even those posted but not reported before the kill.
        for (qint64 id : present)
            highestSeen = std::max(highestSeen, id);
        for (qint64 id : reports.recordings)
            highestSeen = std::max(highestSeen, id);
        for (qint64 id : reports.deleting)
            highestSeen = std::max(highestSeen, id);
    }
    QVERIFY(changesChecked > rounds);
    qDebug("%d reported recordings checked over %d kills", changesChecked, rounds);
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString childConfig = qEnvironmentVariable(kChildVariable);
    if (!childConfig.isEmpty())
        return runWriter(childConfig);
    TestDurability test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_durability.moc"

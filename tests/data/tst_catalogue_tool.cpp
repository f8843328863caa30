// The catalogue set-up tool, run as the user runs it, on temporary folders.

#include "data/schema.h"
#include "engine/error.h"
#include "temp_catalogue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <linux/capability.h>
#include <map>
#include <set>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct ToolResult {
    int exitCode = -1;
    QString output;
    QString errors;
};

// How the tool's process is held back so that its writes really fail.
struct Restraint {
    // Files may grow no larger (bytes; 0: no limit): the write that would pass it fails as
    // on a full disk.
    qint64 fileSizeLimit = 0;
    // Folder permissions hold even for root: root runs without its right to override them.
    bool obeyPermissions = false;
};

// Exit code of a child that could not be restrained as asked.
constexpr int kNotRestrained = 77;

ToolResult runTool(const QStringList& arguments, const Restraint& restraint = {}) {
    QProcess process;
    process.setChildProcessModifier([restraint] {
        if (restraint.fileSizeLimit > 0) {
            std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of a kill
            const rlimit limit{rlim_t(restraint.fileSizeLimit), rlim_t(restraint.fileSizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(kNotRestrained);
        }
        if (restraint.obeyPermissions && ::geteuid() == 0) {
            for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
                if (::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0)
                    ::_exit(kNotRestrained);
            }
        }
    });
    process.start(QStringLiteral(SPOLEBOX_CATALOGUE_TOOL), arguments);
    ToolResult result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

// Names and contents of every file in dir, to prove that nothing changed.
QMap<QString, QByteArray> snapshot(const QString& dir) {
    QMap<QString, QByteArray> files;
    const QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        QFile file(QDir(dir).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            files[name] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
    }
    return files;
}

int minutesOf(const engine::Field& field) {
    return qRound(field.asFloat() * 1440);
}

} // namespace

class TestCatalogueTool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createMakesSixEmptyTables();
    void createRefusesAnExistingTable_data();
    void createRefusesAnExistingTable();
    void createFailureLeavesNothing_data();
    void createFailureLeavesNothing();
    void usageErrors_data();
    void usageErrors();
    void sampleHasTheStatedRows();
    void sampleRecordingsFitTheirTapes();
    void sampleReferencesAreConsistent();
};

void TestCatalogueTool::createMakesSixEmptyTables() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));

    const ToolResult result = runTool({QStringLiteral("create"), catalogue.directory()});
    QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
    QCOMPARE(QDir(catalogue.directory()).entryList(QDir::Files).size(), 6);
    for (const engine::TableDef* def : schema::allTables()) {
        QVERIFY2(QFile::exists(catalogue.filePath(def->fileName)), qPrintable(def->fileName));
        QCOMPARE(catalogue.rowCount(*def), 0);
    }
    // Both indexes are there to open the tables in their browsing order.
    QVERIFY(catalogue.openTable(schema::recordings(), QStringLiteral("SecBaandnrStarttid")));
    QVERIFY(catalogue.openTable(schema::actors(), QStringLiteral("SecEfternavn")));
}

void TestCatalogueTool::createRefusesAnExistingTable_data() {
    QTest::addColumn<QString>("existingFile");
    QTest::addColumn<bool>("sample");
    QTest::newRow("a whole catalogue") << QString() << false;
    QTest::newRow("a whole catalogue, sample") << QString() << true;
    QTest::newRow("recordings in lower case") << QStringLiteral("spolebox.db") << false;
    QTest::newRow("settings in upper case") << QStringLiteral("SYSTEM.DB") << true;
    QTest::newRow("tapes") << QStringLiteral("Bånd.db") << false;
    // A journal left by a crash would bring its rows back into the new tables.
    QTest::newRow("a journal of the categories") << QStringLiteral("Kategori.db-wal") << false;
    QTest::newRow("shared memory of the tapes, other case")
        << QStringLiteral("bÅND.DB-SHM") << false;
    QTest::newRow("rollback journal of the recordings")
        << QStringLiteral("SPOLEBOX.db-journal") << true;
}

void TestCatalogueTool::createRefusesAnExistingTable() {
    QFETCH(QString, existingFile);
    QFETCH(bool, sample);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (existingFile.isEmpty()) {
        QCOMPARE(runTool({QStringLiteral("create"), dir.path()}).exitCode, 0);
    } else {
        QFile file(QDir(dir.path()).filePath(existingFile));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    const auto before = snapshot(dir.path());

    QStringList arguments{QStringLiteral("create")};
    if (sample)
        arguments << QStringLiteral("--sample");
    arguments << dir.path();
    const ToolResult result = runTool(arguments);
    QVERIFY(result.exitCode != 0);
    QVERIFY(result.exitCode != -1);
    QVERIFY(!result.errors.isEmpty());
    if (!existingFile.isEmpty())
        QVERIFY2(result.errors.contains(existingFile), qPrintable(result.errors));
    QCOMPARE(snapshot(dir.path()), before);
}

void TestCatalogueTool::createFailureLeavesNothing_data() {
    QTest::addColumn<bool>("folderExists"); // else the tool makes it (under a parent that exists)
    QTest::addColumn<bool>("sample");
    QTest::addColumn<qint64>("fileSizeLimit");
    QTest::addColumn<bool>("readOnly"); // the folder, or the parent it would be made in
    QTest::addColumn<QString>("cause");
    QTest::newRow("no space for the first table") << true << false << 8192LL << false << "no space";
    QTest::newRow("no space while filling the sample")
        << true << true << 24576LL << false << "no space";
    QTest::newRow("no space in a folder it made")
        << false << false << 8192LL << false << "no space";
    QTest::newRow("read-only folder") << true << false << 0LL << true << "no permission";
    QTest::newRow("folder in a read-only parent")
        << false << true << 0LL << true << "no permission";
}

void TestCatalogueTool::createFailureLeavesNothing() {
    QFETCH(bool, folderExists);
    QFETCH(bool, sample);
    QFETCH(qint64, fileSizeLimit);
    QFETCH(bool, readOnly);
    QFETCH(QString, cause);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QDir parent(root.path());
    QVERIFY(parent.mkdir(QStringLiteral("parent")) && parent.cd(QStringLiteral("parent")));
    const QString folder = parent.filePath(QStringLiteral("catalogue"));
    if (folderExists)
        QVERIFY(parent.mkdir(QStringLiteral("catalogue")));
    const QString locked = folderExists ? folder : parent.path();
    const auto writable = QFile::permissions(locked);
    if (readOnly)
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));

    QStringList arguments{QStringLiteral("create")};
    if (sample)
        arguments << QStringLiteral("--sample");
    arguments << folder;
    const ToolResult result = runTool(arguments, {fileSizeLimit, readOnly});
    QFile::setPermissions(locked, writable);
    if (result.exitCode == kNotRestrained)
        QSKIP("this process may not restrain the tool's writes");

    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.errors.contains(cause), qPrintable(result.errors));
    QVERIFY2(!result.errors.contains(QStringLiteral(".creating")), qPrintable(result.errors));
    // Nothing made stays behind: no table, no journal, no half-made file, no new folder.
    QCOMPARE(parent.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             folderExists ? QStringList{QStringLiteral("catalogue")} : QStringList{});
    if (folderExists)
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{});
}

void TestCatalogueTool::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("no directory") << QStringList{QStringLiteral("create")};
    QTest::newRow("sample without directory")
        << QStringList{QStringLiteral("create"), QStringLiteral("--sample")};
    QTest::newRow("unknown command") << QStringList{QStringLiteral("make"), QStringLiteral("x")};
    QTest::newRow("two directories")
        << QStringList{QStringLiteral("create"), QStringLiteral("x"), QStringLiteral("y")};
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("create"), QStringLiteral("--fill"), QStringLiteral("x")};
}

void TestCatalogueTool::usageErrors() {
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(SPOLEBOX_CATALOGUE_TOOL), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(QString::fromLocal8Bit(process.readAllStandardError()).contains(u"Usage"));
    QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

void TestCatalogueTool::sampleHasTheStatedRows() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    const ToolResult result =
        runTool({QStringLiteral("create"), QStringLiteral("--sample"), catalogue.directory()});
    QVERIFY2(result.exitCode == 0, qPrintable(result.errors));

    QCOMPARE(catalogue.rowCount(schema::tapes()), 10);
    QCOMPARE(catalogue.rowCount(schema::recordings()), 40);
    QCOMPARE(catalogue.rowCount(schema::actors()), 15);
    QCOMPARE(catalogue.rowCount(schema::groups()), 3);
    QCOMPARE(catalogue.rowCount(schema::settings()), 1);
    QVERIFY(catalogue.rowCount(schema::categories()) >= 6);

    auto settings = catalogue.openTable(schema::settings());
    for (const char* name : {"ColorFri", "ColorAktuelFri", "ColorFilmSP", "ColorFilmLP"}) {
        const qint64 colour = settings->fieldByName(QString::fromUtf8(name)).asInteger();
        QVERIFY2(colour > 0 && colour <= 0xFFFFFF, name);
    }
}

void TestCatalogueTool::sampleRecordingsFitTheirTapes() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    const ToolResult result =
        runTool({QStringLiteral("create"), QStringLiteral("--sample"), catalogue.directory()});
    QVERIFY2(result.exitCode == 0, qPrintable(result.errors));

    std::map<QString, int> tapeLength; // by upper-case name
    auto tapes = catalogue.openTable(schema::tapes());
    for (tapes->first(); !tapes->eof(); tapes->next()) {
        tapeLength[tapes->fieldByName(QStringLiteral("BaandNavn")).asString().toUpper()] =
            int(tapes->fieldByName(QStringLiteral("Baandlaengde")).asInteger());
    }

    auto recordings =
        catalogue.openTable(schema::recordings(), QStringLiteral("SecBaandnrStarttid"));
    QString previousTape;
    int previousEnd = 0;
    int overruns = 0;
    int gaps = 0;
    std::set<QString> speeds;
    for (recordings->first(); !recordings->eof(); recordings->next()) {
        const QString tape = recordings->fieldByName(QStringLiteral("Baandnummer")).asString();
        const QString title = recordings->fieldByName(QStringLiteral("Titel1")).asString();
        QVERIFY2(tapeLength.count(tape.toUpper()), qPrintable(tape));
        const int start = minutesOf(recordings->fieldByName(QStringLiteral("Starttid")));
        const int onTape = minutesOf(recordings->fieldByName(QStringLiteral("SpilletidSP")));
        const int playing = minutesOf(recordings->fieldByName(QStringLiteral("SpilletidSPLP")));
        const QString speed = recordings->fieldByName(QStringLiteral("Hastighed")).asString();
        speeds.insert(speed);
        QVERIFY2(playing > 0, qPrintable(title));
        QCOMPARE(onTape, speed == u"LP" ? (playing + 1) / 2 : playing);

        if (tape.compare(previousTape, Qt::CaseInsensitive) != 0)
            previousEnd = 0;
        QVERIFY2(start >= previousEnd,
                 qPrintable(QStringLiteral("%1 overlaps on %2").arg(title, tape)));
        if (start > previousEnd)
            ++gaps;
        if (start + onTape > tapeLength[tape.toUpper()])
            ++overruns;
        previousTape = tape;
        previousEnd = start + onTape;
    }
    QCOMPARE(overruns, 1);
    QVERIFY(gaps > 0);
    QCOMPARE(speeds, (std::set<QString>{QStringLiteral("LP"), QStringLiteral("SP")}));
}

void TestCatalogueTool::sampleReferencesAreConsistent() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    const ToolResult result =
        runTool({QStringLiteral("create"), QStringLiteral("--sample"), catalogue.directory()});
    QVERIFY2(result.exitCode == 0, qPrintable(result.errors));

    std::set<qint64> actorIds;
    auto actors = catalogue.openTable(schema::actors());
    for (actors->first(); !actors->eof(); actors->next()) {
        const qint64 id = actors->fieldByName(QStringLiteral("SkuespillerAutoInc")).asInteger();
        QCOMPARE(actors->fieldByName(QStringLiteral("SkuespillerAutoIncStr")).asString(),
                 QString::number(id));
        QVERIFY(!actors->fieldByName(QStringLiteral("Efternavn")).asString().isEmpty());
        QVERIFY(!actors->fieldByName(QStringLiteral("Fodtdato")).isNull());
        actorIds.insert(id);
    }

    std::set<QString> categories;
    auto categoryTable = catalogue.openTable(schema::categories());
    for (categoryTable->first(); !categoryTable->eof(); categoryTable->next())
        categories.insert(categoryTable->fieldByName(QStringLiteral("Kategori")).asString());
    std::set<qint64> groups;
    auto groupTable = catalogue.openTable(schema::groups());
    for (groupTable->first(); !groupTable->eof(); groupTable->next())
        groups.insert(groupTable->fieldByName(QStringLiteral("Lobenummer")).asInteger());

    static const QRegularExpression castList(QStringLiteral(R"(^(\*\d+\*)*$)"));
    static const QRegularExpression token(QStringLiteral(R"(\*(\d+)\*)"));
    int withCast = 0;
    auto recordings = catalogue.openTable(schema::recordings());
    for (recordings->first(); !recordings->eof(); recordings->next()) {
        const QString title = recordings->fieldByName(QStringLiteral("Titel1")).asString();
        const QString cast =
            recordings->fieldByName(QStringLiteral("SkuespillereListe")).asString();
        QVERIFY2(castList.match(cast).hasMatch(), qPrintable(cast));
        for (auto it = token.globalMatch(cast); it.hasNext();)
            QVERIFY2(actorIds.count(it.next().captured(1).toLongLong()), qPrintable(title));
        withCast += cast.isEmpty() ? 0 : 1;
        QVERIFY2(categories.count(recordings->fieldByName(QStringLiteral("Kategori")).asString()),
                 qPrintable(title));
        QVERIFY2(groups.count(recordings->fieldByName(QStringLiteral("Gruppe")).asInteger()),
                 qPrintable(title));
    }
    QVERIFY(withCast > 0);
}

QTEST_GUILESS_MAIN(TestCatalogueTool)
#include "tst_catalogue_tool.moc"

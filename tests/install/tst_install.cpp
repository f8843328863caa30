// Spolebox installed as a desktop program: a build tree configured for a scratch prefix is
// built and installed there; the desktop entry and the metainfo pass their validators; the
// installed program, started offscreen with a temporary home, keeps its catalogue in the
// user's data folder, writes nothing under the prefix and finds its catalogue again at the
// next start; uninstalling removes exactly the installed files and never the catalogue.
#include "data/catalogue_setup.h"
#include "data/schema.h"
#include "engine/session.h"
#include "engine/table.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <map>

namespace {

const QString kAppId = QStringLiteral("dk.kvistholm.Spolebox");
const QString kAlias = QString::fromUtf8(schema::kAlias);
constexpr int kBuildTimeoutMs = 40 * 60 * 1000;

struct Outcome {
    bool finished = false;
    int exitCode = -1;
    QString output;
};

Outcome run(const QString& program, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Outcome outcome;
    outcome.finished =
        process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit;
    outcome.exitCode = process.exitCode();
    outcome.output = QString::fromLocal8Bit(process.readAll());
    return outcome;
}

// Every file under dir with its size and time of change.
std::map<QString, QString> snapshot(const QString& dir) {
    std::map<QString, QString> files;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files[info.filePath()] = QString::number(info.size()) + u' ' +
                                 QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    return files;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether the process has the file open: the catalogue's tables stay open while the
// program runs on them.
bool hasOpen(qint64 pid, const QString& file) {
    const QString target = QFileInfo(file).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    const QStringList entries =
        fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& fd : entries) {
        if (!target.isEmpty() && QFileInfo(fds.filePath(fd)).symLinkTarget() == target)
            return true;
    }
    return false;
}

std::unique_ptr<engine::Table> openRecordings(engine::Session& session) {
    auto table = std::make_unique<engine::Table>(session);
    table->setAliasName(kAlias);
    table->setTableName(schema::recordings().fileName);
    table->setFieldDefs(schema::recordings().fields);
    table->open();
    return table;
}

} // namespace

class InstallTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void validators_data();
    void validators();
    void installedProgramKeepsItsCatalogue_data();
    void installedProgramKeepsItsCatalogue();
    void uninstallKeepsTheCatalogue();

private:
    // Starts the installed program as the user of home; returns once it has the
    // catalogue's recordings table open, and ends it.
    void startAndEnd(const QProcessEnvironment& env, const QString& recordingsTable);

    // Kept between runs, so that the second tree builds incrementally.
    QString m_prefix = QStringLiteral(SPOLEBOX_INSTALL_TEST_PREFIX);
    QString m_tree = QStringLiteral(SPOLEBOX_INSTALL_TEST_TREE);
};

void InstallTest::initTestCase() {
    QVERIFY(QDir(m_prefix).removeRecursively());
    const QString cmake = QStringLiteral(SPOLEBOX_CMAKE_COMMAND);
    // Built for the prefix it is installed into, like the user's own build.
    const Outcome configure =
        run(cmake,
            {QStringLiteral("-S"), QStringLiteral(SPOLEBOX_SOURCE_DIR), QStringLiteral("-B"),
             m_tree, QStringLiteral("-G"), QStringLiteral(SPOLEBOX_CMAKE_GENERATOR),
             QStringLiteral("-DCMAKE_BUILD_TYPE=" SPOLEBOX_BUILD_TYPE),
             QStringLiteral("-DSPOLEBOX_SANITIZE=" SPOLEBOX_SANITIZE_VALUE),
             QStringLiteral("-DSPOLEBOX_TESTS=OFF"),
             QStringLiteral("-DCMAKE_INSTALL_PREFIX=") + m_prefix},
            kBuildTimeoutMs);
    QVERIFY2(configure.finished && configure.exitCode == 0, qPrintable(configure.output));
    const Outcome build =
        run(cmake, {QStringLiteral("--build"), m_tree, QStringLiteral("-j2")}, kBuildTimeoutMs);
    QVERIFY2(build.finished && build.exitCode == 0, qPrintable(build.output.right(4000)));
    const Outcome install = run(cmake, {QStringLiteral("--install"), m_tree});
    QVERIFY2(install.finished && install.exitCode == 0, qPrintable(install.output));
}

void InstallTest::validators_data() {
    QTest::addColumn<QString>("file"); // under the prefix
    QTest::addColumn<QStringList>("validator");
    QTest::newRow("program") << "bin/spolebox" << QStringList();
    QTest::newRow("catalogue tool") << "bin/spolebox-catalogue" << QStringList();
    QTest::newRow("desktop entry") << "share/applications/" + kAppId + ".desktop"
                                   << QStringList{QStringLiteral("desktop-file-validate")};
    QTest::newRow("metainfo") << "share/metainfo/" + kAppId + ".metainfo.xml"
                              << QStringList{QStringLiteral("appstreamcli"),
                                             QStringLiteral("validate"),
                                             QStringLiteral("--no-net")};
    QTest::newRow("icon") << "share/icons/hicolor/scalable/apps/" + kAppId + ".svg"
                          << QStringList();
    for (const char* page : {"spolebox.1", "spolebox-catalogue.1"}) {
        QTest::newRow(page) << QStringLiteral("share/man/man1/") + QString::fromLatin1(page)
                            << QStringList{QStringLiteral("man"), QStringLiteral("--warnings"),
                                           QStringLiteral("-l")};
    }
}

void InstallTest::validators() {
    QFETCH(QString, file);
    QFETCH(QStringList, validator);
    const QString path = m_prefix + u'/' + file;
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(path));
    if (validator.isEmpty())
        return;
    const QString program = validator.takeFirst();
    const Outcome outcome = run(program, validator << path);
    QVERIFY2(outcome.finished, qPrintable(program + QStringLiteral(" did not run")));
    QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.output));
    // The manual's formatter says what it had to guess on standard error.
    if (program == u"man")
        QVERIFY2(!outcome.output.contains(u"warning"), qPrintable(outcome.output));
}

void InstallTest::startAndEnd(const QProcessEnvironment& env, const QString& recordingsTable) {
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(m_prefix + QStringLiteral("/bin/spolebox"), {});
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY2_WITH_TIMEOUT(hasOpen(program.processId(), recordingsTable) ||
                                  program.state() == QProcess::NotRunning,
                              "the program did not open its catalogue", 60000);
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    QVERIFY(program.waitForFinished(20000));
}

void InstallTest::installedProgramKeepsItsCatalogue_data() {
    QTest::addColumn<bool>("dataHomeSet"); // XDG_DATA_HOME set, or the default in HOME
    QTest::newRow("XDG_DATA_HOME") << true;
    QTest::newRow("~/.local/share") << false;
}

void InstallTest::installedProgramKeepsItsCatalogue() {
    QFETCH(bool, dataHomeSet);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QDir user(root.path());
    for (const char* dir : {"home", "config", "data", "runtime", "tmp"})
        QVERIFY(user.mkdir(QString::fromLatin1(dir)));
    QFile::setPermissions(user.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), user.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), user.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), user.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("TMPDIR"), user.filePath(QStringLiteral("tmp")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    if (dataHomeSet)
        env.insert(QStringLiteral("XDG_DATA_HOME"), user.filePath(QStringLiteral("data")));
    const QString catalogueDir =
        dataHomeSet ? user.filePath(QStringLiteral("data/spolebox/DATA"))
                    : user.filePath(QStringLiteral("home/.local/share/spolebox/DATA"));
    const QString aliases = user.filePath(QStringLiteral("config/spolebox-engine/engine.ini"));
    const QString recordingsTable = catalogueDir + u'/' + schema::recordings().fileName;
    const auto prefixBefore = snapshot(m_prefix);

    // First start: the alias names the user's data folder, where six empty tables wait.
    startAndEnd(env, recordingsTable);
    if (QTest::currentTestFailed())
        return;
    {
        engine::Session session(aliases);
        QCOMPARE(session.aliasDirectory(kAlias), catalogueDir);
        QCOMPARE(catalogue::existingTables(QDir(catalogueDir)).size(), 6);
        for (const engine::TableDef* def : schema::allTables()) {
            engine::Table table(session);
            table.setAliasName(kAlias);
            table.setTableName(def->fileName);
            table.setFieldDefs(def->fields);
            table.open();
            QCOMPARE(table.recordCount(), 0);
        }
        // A recording stored between the two starts.
        auto recordings = openRecordings(session);
        recordings->append();
        recordings->fieldByName(QStringLiteral("Titel1")).setAsString(QStringLiteral("Festen"));
        recordings->post();
    }
    const QByteArray aliasesAfterFirst = contents(aliases);

    // Second start: the same alias and catalogue, the recording still there.
    startAndEnd(env, recordingsTable);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(contents(aliases), aliasesAfterFirst);
    {
        engine::Session session(aliases);
        auto recordings = openRecordings(session);
        QCOMPARE(recordings->recordCount(), 1);
        QCOMPARE(recordings->fieldByName(QStringLiteral("Titel1")).asString(),
                 QStringLiteral("Festen"));
    }
    QVERIFY(snapshot(m_prefix) == prefixBefore);
}

void InstallTest::uninstallKeepsTheCatalogue() {
    const QStringList installed =
        QString::fromLocal8Bit(contents(m_tree + QStringLiteral("/install_manifest.txt")))
            .split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(installed.size() >= 7);
    // A catalogue beside the installed program, as a copy run from elsewhere would keep it.
    const QString catalogueDir = m_prefix + QStringLiteral("/bin/DATA");
    catalogue::createEmpty(catalogueDir);
    const auto catalogueBefore = snapshot(catalogueDir);

    const Outcome uninstall = run(QStringLiteral(SPOLEBOX_CMAKE_COMMAND),
                                  {QStringLiteral("--build"), m_tree, QStringLiteral("--target"),
                                   QStringLiteral("uninstall")});
    QVERIFY2(uninstall.finished && uninstall.exitCode == 0, qPrintable(uninstall.output));
    for (const QString& file : installed)
        QVERIFY2(!QFileInfo::exists(file), qPrintable(file));
    QVERIFY(snapshot(catalogueDir) == catalogueBefore);
    // Nothing else is left under the prefix but folders.
    QDirIterator left(m_prefix, QDir::Files | QDir::Hidden | QDir::System,
                      QDirIterator::Subdirectories);
    while (left.hasNext()) {
        const QString file = left.next();
        QVERIFY2(file.startsWith(catalogueDir + u'/'), qPrintable(file));
    }
}

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"

// spolebox-catalogue check, run as the user runs it, on catalogues made by the tests.

#include "catalogue_tool_fixture.h"
#include "engine/session.h"

#include <QTemporaryDir>
#include <sqlite3.h>

namespace {

enum class Fault {
    DamagedIndex,
    Overlap,
    Overrun,
    NoSuchTape,
    TapesAlikeButCase,
    CastNotTokens,
    CastNamesNoActor,
    NoSuchGroup,
    NoSuchCategory,
    TimeOutsideDay,
    NegativeTime,
    TapeTimeNotDerived,
    ValueOutOfRange,
};

const QString kTape = QStringLiteral("P1");

// A recording of 30 minutes at SP on the planted tape P1 (300 minutes), with changes.
qint64 plantRecording(const QString& dir, QVariantMap changes) {
    QVariantMap values{{QStringLiteral("Baandnummer"), kTape},
                       {QStringLiteral("Titel1"), QStringLiteral("Planted")},
                       {QStringLiteral("Starttid"), minutes(0)},
                       {QStringLiteral("SpilletidSPLP"), minutes(30)},
                       {QStringLiteral("SpilletidSP"), minutes(30)},
                       {QStringLiteral("Hastighed"), QStringLiteral("SP")}};
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        values[it.key()] = it.value();
    return plantRow(dir, schema::recordings(), values);
}

// Actors written by a program whose DANISH orders the other way round: their index
// entries stand where the real order does not look for them.
void plantActorsInForeignOrder(const QString& dir) {
    sqlite3* db = nullptr;
    const QByteArray path =
        QFile::encodeName(QDir(dir).filePath(QStringLiteral("Skuespillere.DB")));
    QVERIFY(sqlite3_open(path.constData(), &db) == SQLITE_OK);
    sqlite3_create_collation(db, "DANISH", SQLITE_UTF8, nullptr,
                             [](void*, int na, const void* a, int nb, const void* b) {
                                 const int c = std::memcmp(a, b, std::size_t(std::min(na, nb)));
                                 return c != 0 ? -c : nb - na;
                             });
    const char* sql = "INSERT INTO Skuespillere (Fornavn, Efternavn) VALUES "
                      "('Åse', 'Aabye'), ('Ib', 'Zorro'), ('Bo', 'Østergaard'), ('Al', 'Bø')";
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

// Plants the fault and returns how its finding names the row.
QString plant(Fault fault, const QString& dir) {
    const engine::TableDef& recordings = schema::recordings();
    auto recording = [](qint64 id) { return QStringLiteral("recording %1 \"Planted\"").arg(id); };
    switch (fault) {
    case Fault::DamagedIndex:
        plantActorsInForeignOrder(dir);
        return QStringLiteral("Skuespillere.DB: integrity_check:");
    case Fault::Overlap:
        plantRecording(dir, {});
        return recording(plantRecording(dir, {{QStringLiteral("Starttid"), minutes(20)}}))
            .replace(QStringLiteral("recording"), QStringLiteral("overlaps recording"));
    case Fault::Overrun:
        return recording(plantRecording(dir, {{QStringLiteral("Starttid"), minutes(290)}}));
    case Fault::NoSuchTape:
        return recording(
            plantRecording(dir, {{QStringLiteral("Baandnummer"), QStringLiteral("Z9")}}));
    case Fault::TapesAlikeButCase:
        plantRow(dir, schema::tapes(),
                 {{QStringLiteral("BaandNavn"), QStringLiteral("p1")},
                  {QStringLiteral("Baandlaengde"), 60}});
        return QStringLiteral("tape \"p1\": the same name as tape \"P1\"");
    case Fault::CastNotTokens:
        return recording(
            plantRecording(dir, {{QStringLiteral("SkuespillereListe"), QStringLiteral("*3**12")}}));
    case Fault::CastNamesNoActor:
        return recording(plantRecording(
            dir, {{QStringLiteral("SkuespillereListe"), QStringLiteral("*3**999*")}}));
    case Fault::NoSuchGroup:
        return recording(plantRecording(dir, {{QStringLiteral("Gruppe"), 99}}));
    case Fault::NoSuchCategory:
        return recording(
            plantRecording(dir, {{QStringLiteral("Kategori"), QStringLiteral("Western")}}));
    case Fault::TimeOutsideDay:
        return recording(plantRecording(dir, {{QStringLiteral("Starttid"), 1.25}}));
    case Fault::NegativeTime:
        return recording(plantRecording(dir, {{QStringLiteral("Starttid"), -minutes(10)}}));
    case Fault::TapeTimeNotDerived:
        return recording(plantRecording(dir, {{QStringLiteral("Hastighed"), QStringLiteral("LP")},
                                              {QStringLiteral("SpilletidSPLP"), minutes(91)},
                                              {QStringLiteral("SpilletidSP"), minutes(91)}}));
    case Fault::ValueOutOfRange:
        return recording(plantRecording(dir, {{QStringLiteral("Indexnummer"), 501}}));
    }
    Q_UNUSED(recordings);
    return QString();
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void passesTheSample();
    void findsEachPlantedFault_data();
    void findsEachPlantedFault();
    void defaultsToTheAliasFolder_data();
    void defaultsToTheAliasFolder();
    void refusesAFolderWithoutCatalogue();
};

void TestCheck::passesTheSample() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    const auto before = folderSnapshot(catalogue.directory());

    const ToolResult result = runTool({QStringLiteral("check"), catalogue.directory()});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output + result.errors));
    QVERIFY2(result.outputLines().last().contains(u"no problems found"), qPrintable(result.output));
    // Persona runs past the end of A4 with the user's consent: told, not counted.
    const QStringList notes = result.outputLines().filter(QStringLiteral("note:"));
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes.first().contains(u"\"Persona\" on tape A4: runs 6 minute(s) past the end"),
             qPrintable(notes.first()));
    QCOMPARE(folderSnapshot(catalogue.directory()), before);
}

void TestCheck::findsEachPlantedFault_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("index in a foreign order")
        << Fault::DamagedIndex << QStringLiteral("missing from index SecEfternavn") << 1;
    QTest::newRow("overlap") << Fault::Overlap << QStringLiteral("(0:00–0:30 and 0:20–0:50)") << 1;
    QTest::newRow("past the end of the tape")
        << Fault::Overrun << QStringLiteral("runs 20 minute(s) past the end of the tape") << 0;
    QTest::newRow("tape not registered")
        << Fault::NoSuchTape << QStringLiteral("names no tape") << 1;
    QTest::newRow("tapes alike but for letter case")
        << Fault::TapesAlikeButCase << QStringLiteral("when letter case is ignored") << 1;
    QTest::newRow("cast list cut short")
        << Fault::CastNotTokens << QStringLiteral("\"*3**12\" is not a run of *n* tokens") << 1;
    QTest::newRow("cast names a missing actor")
        << Fault::CastNamesNoActor << QStringLiteral("names actor 999, who does not exist") << 1;
    QTest::newRow("group") << Fault::NoSuchGroup << QStringLiteral("group 99 does not exist") << 1;
    QTest::newRow("category") << Fault::NoSuchCategory
                              << QStringLiteral("category \"Western\" does not exist") << 1;
    QTest::newRow("start past 24 hours")
        << Fault::TimeOutsideDay << QStringLiteral("Starttid 30:00 is outside 0:00–24:00") << 1;
    QTest::newRow("negative start")
        << Fault::NegativeTime << QStringLiteral("Starttid -0:10 is outside 0:00–24:00") << 1;
    QTest::newRow("tape time not derived")
        << Fault::TapeTimeNotDerived
        << QStringLiteral("SpilletidSP 1:31 does not follow from SpilletidSPLP 1:31 at speed "
                          "\"LP\" (0:46)")
        << 1;
    QTest::newRow("index number out of range")
        << Fault::ValueOutOfRange
        << QStringLiteral("501 is not a valid value for field 'Index nummer'") << 1;
}

void TestCheck::findsEachPlantedFault() {
    QFETCH(Fault, fault);
    QFETCH(QString, finding);
    QFETCH(int, exitCode);
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    plantRow(catalogue.directory(), schema::tapes(),
             {{QStringLiteral("BaandNavn"), kTape}, {QStringLiteral("Baandlaengde"), 300}});
    const QString names = plant(fault, catalogue.directory());
    if (QTest::currentTestFailed())
        return;
    const auto before = folderSnapshot(catalogue.directory());

    const ToolResult result = runTool({QStringLiteral("check"), catalogue.directory()});
    QCOMPARE(result.exitCode, exitCode);
    // Everything but the summary and the sample's own note is about the planted fault.
    QStringList findings = result.outputLines();
    findings.removeLast();
    findings.removeIf([](const QString& line) { return line.contains(u"\"Persona\""); });
    QVERIFY2(!findings.isEmpty(), qPrintable(result.output));
    for (const QString& line : findings) {
        QVERIFY2(line.contains(names) && line.contains(finding), qPrintable(result.output));
        QCOMPARE(line.startsWith(u"note: "), exitCode == 0);
    }
    if (fault != Fault::DamagedIndex)
        QCOMPARE(findings.size(), 1);
    QCOMPARE(folderSnapshot(catalogue.directory()), before);
}

void TestCheck::defaultsToTheAliasFolder_data() {
    QTest::addColumn<bool>("withAlias");
    QTest::newRow("alias set up") << true;
    QTest::newRow("no alias yet") << false;
}

void TestCheck::defaultsToTheAliasFolder() {
    QFETCH(bool, withAlias);
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    QTemporaryDir configHome;
    QVERIFY(configHome.isValid());
    if (withAlias) {
        engine::Session(configHome.filePath(QStringLiteral("spolebox-engine/engine.ini")))
            .addAlias(QStringLiteral("Spolebox"), catalogue.directory(), QStringLiteral("PARADOX"));
    }
    const ToolResult result = runTool({QStringLiteral("check")}, configHome.path());
    if (withAlias) {
        QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
        QVERIFY2(result.output.contains(QDir::toNativeSeparators(catalogue.directory())),
                 qPrintable(result.output));
    } else {
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.errors.contains(u"\"Spolebox\" is not set up"), qPrintable(result.errors));
    }
}

void TestCheck::refusesAFolderWithoutCatalogue() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    const ToolResult result = runTool({QStringLiteral("check"), catalogue.directory()});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.errors.contains(u"Table 'Spolebox.DB' does not exist"),
             qPrintable(result.errors));
    QVERIFY(result.output.isEmpty());
}

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"

// spolebox-catalogue export and import, run as the user runs them.

#include "catalogue_tool_fixture.h"

#include <QTemporaryDir>

namespace {

using Rows = QList<QVariantList>;

// Every row of every table, with its row id, as stored.
QMap<QString, Rows> allRows(const QString& directory) {
    QMap<QString, Rows> tables;
    engine::Database db(directory);
    for (const engine::TableDef* def : schema::allTables()) {
        engine::Statement select(db.handle(),
                                 QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid")
                                     .arg(db.table(def->fileName).qualifiedName()));
        Rows& rows = tables[def->fileName];
        while (select.step()) {
            QVariantList row;
            for (int i = 0; i < select.columnCount(); ++i)
                row << select.value(i);
            rows << row;
        }
    }
    return tables;
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Appends records to a CSV file; returns the line number of the first.
int appendLines(const QString& path, const QStringList& lines) {
    const int first = int(readText(path).count(QStringLiteral("\r\n"))) + 1;
    QFile file(path);
    if (!file.open(QIODevice::Append))
        return -1;
    for (const QString& line : lines)
        file.write((line + QStringLiteral("\r\n")).toUtf8());
    return first;
}

// A record for the file at path, its fields in the order of the file's header row.
QString record(const QString& path, const QVariantMap& values) {
    const QString header = readText(path).section(QStringLiteral("\r\n"), 0, 0);
    QStringList fields;
    for (const QString& name : header.split(u','))
        fields << values.value(name).toString();
    return fields.join(u',');
}

// The line of the first record whose field holds value (for files without line breaks
// inside their values).
int lineOf(const QString& path, const QString& field, const QString& value) {
    const QStringList lines = readText(path).split(QStringLiteral("\r\n"));
    const qsizetype column = lines.first().split(u',').indexOf(field);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines[i].split(u',').value(column) == value)
            return int(i) + 1;
    }
    return -1;
}

// A recording of 30 minutes at SP on tape A10, after the sample's recordings and after
// each other (the first at 5:00), with changes.
QString recordingRecord(const QString& path, const QVariantMap& changes = {}) {
    static int made = 0;
    const int start = 300 + 30 * made++;
    QVariantMap values{
        {QStringLiteral("Baandnummer"), QStringLiteral("A10")},
        {QStringLiteral("Titel1"), QStringLiteral("Ny")},
        {QStringLiteral("Starttid"),
         QStringLiteral("%1:%2").arg(start / 60).arg(start % 60, 2, 10, QLatin1Char('0'))},
        {QStringLiteral("SpilletidSPLP"), QStringLiteral("0:30")},
        {QStringLiteral("SpilletidSP"), QStringLiteral("0:30")},
        {QStringLiteral("Hastighed"), QStringLiteral("SP")}};
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        values[it.key()] = it.value();
    return record(path, values);
}

} // namespace

class TestExportImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTripGivesIdenticalRows_data();
    void roundTripGivesIdenticalRows();
    void recordingListIsReadable();
    void badRowsRefuseTheWholeImport();
    void refusesToOverwrite_data();
    void refusesToOverwrite();
};

void TestExportImport::roundTripGivesIdenticalRows_data() {
    QTest::addColumn<bool>("awkwardValues");
    QTest::newRow("sample") << false;
    QTest::newRow("awkward values") << true;
}

void TestExportImport::roundTripGivesIdenticalRows() {
    QFETCH(bool, awkwardValues);
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    const QString dir = catalogue.directory();
    if (awkwardValues) {
        // Notes with quotes, commas and both kinds of line break; Danish letters; a time
        // with seconds from an old catalogue; a gap in the numbers left by a deletion.
        plantRow(dir, schema::recordings(),
                 {{QStringLiteral("Baandnummer"), QStringLiteral("A10")},
                  {QStringLiteral("Titel1"), QStringLiteral("\"Æblet\", sagde hun")},
                  {QStringLiteral("Noter"),
                   QStringLiteral("Linje 1\r\nLinje 2\nmed \"citat\", og komma")},
                  {QStringLiteral("Starttid"), minutes(300) + 30 / 86400.0},
                  {QStringLiteral("SpilletidSPLP"), minutes(9)},
                  {QStringLiteral("SpilletidSP"), minutes(9)},
                  {QStringLiteral("Hastighed"), QStringLiteral("SP")},
                  {QStringLiteral("SkuespillereListe"), QStringLiteral("*14**999*")}});
        plantSql(dir, schema::recordings(), QStringLiteral("DELETE FROM %1 WHERE rowid = 3"));
        plantRow(dir, schema::actors(),
                 {{QStringLiteral("Fornavn"), QStringLiteral("Søren Ørn")},
                  {QStringLiteral("Efternavn"), QStringLiteral("Ærø-Åby")},
                  {QStringLiteral("Billedepath"), QStringLiteral("C:\\billeder\\ø,å.jpg")}});
        plantRow(dir, schema::categories(), {});
    }
    const QMap<QString, Rows> before = allRows(dir);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString csv = work.filePath(QStringLiteral("csv"));
    const QString imported = work.filePath(QStringLiteral("imported"));
    const ToolResult exported = runTool({QStringLiteral("export"), dir, csv});
    QVERIFY2(exported.exitCode == 0, qPrintable(exported.errors));
    const ToolResult result = runTool({QStringLiteral("import"), csv, imported});
    QVERIFY2(result.exitCode == 0, qPrintable(result.errors));

    const QMap<QString, Rows> after = allRows(imported);
    for (const engine::TableDef* def : schema::allTables())
        QCOMPARE(after.value(def->fileName), before.value(def->fileName));
    QCOMPARE(
        QDir(imported).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 6);
}

void TestExportImport::recordingListIsReadable() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    QTemporaryDir work;
    QVERIFY(work.isValid());
    QCOMPARE(runTool({QStringLiteral("export"), catalogue.directory(), work.path()}).exitCode, 0);

    const QStringList lines =
        readText(work.filePath(QStringLiteral("optagelser.csv"))).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 1 + 40 + 1); // heading, the recordings, and the end of the last line
    QCOMPARE(lines.first(),
             QStringLiteral("Titel,Titel 2,Instruktør,Bånd,Start,Spilletid,Hastighed,"
                            "Lyd,Kategori,Gruppe,Produktionsår,Land,Index nummer,"
                            "Optaget,Skuespillere,Noter"));
    // The cast by name, sorted by last name; the group by name; times and dates as shown.
    QVERIFY(lines.contains(QStringLiteral("Festen,,Thomas Vinterberg,A2,0:00,1:45,SP,Stereo,Drama,"
                                          "Film,1998,Danmark,5,18-03-2000,"
                                          "Paprika Steen; Ulrich Thomsen,Dogme 1")));
    // In the program's order: tape by tape (A10 after A1), by start.
    QVERIFY(lines[4].startsWith(u"Huset på Christianshavn,Afsnit 2,"));
    QVERIFY(lines[5].startsWith(u"Morgenmad på Tiffany's,"));
}

void TestExportImport::badRowsRefuseTheWholeImport() {
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QDir csv(work.filePath(QStringLiteral("csv")));
    QCOMPARE(runTool({QStringLiteral("export"), catalogue.directory(), csv.path()}).exitCode, 0);

    const QString recordings = csv.filePath(QStringLiteral("Spolebox.csv"));
    const QString tapes = csv.filePath(QStringLiteral("Bånd.csv"));
    const QString actors = csv.filePath(QStringLiteral("Skuespillere.csv"));
    const QString groups = csv.filePath(QStringLiteral("Grupper.csv"));
    const QString categories = csv.filePath(QStringLiteral("Kategori.csv"));
    auto field = [](const char* name, const QString& value) {
        return QVariantMap{{QString::fromUtf8(name), value}};
    };
    const QStringList badRecordings{
        recordingRecord(recordings, field("Indexnummer", QStringLiteral("501"))),
        recordingRecord(recordings, field("Starttid", QStringLiteral("25:00"))),
        recordingRecord(recordings, field("Optagetdato", QStringLiteral("31-02-2001"))),
        recordingRecord(recordings, field("Baandnummer", QStringLiteral("Z9"))),
        recordingRecord(recordings, {{QStringLiteral("Hastighed"), QStringLiteral("LP")},
                                     {QStringLiteral("SpilletidSPLP"), QStringLiteral("1:31")},
                                     {QStringLiteral("SpilletidSP"), QStringLiteral("1:31")}}),
        recordingRecord(recordings, field("SkuespillereListe", QStringLiteral("*3*x"))),
        recordingRecord(recordings, {{QStringLiteral("Baandnummer"), QStringLiteral("A1")},
                                     {QStringLiteral("Starttid"), QStringLiteral("0:10")}}),
        recordingRecord(recordings, field("Titel1", QString(51, u'x'))),
        recordingRecord(recordings, field("VideoAutoInc", QStringLiteral("7"))),
    };
    const int recordingSeven =
        lineOf(recordings, QStringLiteral("VideoAutoInc"), QStringLiteral("7"));
    const int firstRecording = appendLines(recordings, badRecordings);
    const int firstTape = appendLines(
        tapes, {QStringLiteral(",60"), QStringLiteral("T9,601"), QStringLiteral("a1,60")});
    const int actor = appendLines(actors, {QStringLiteral("Ny,Person,,,15,15,")});
    const int group = appendLines(groups, {QStringLiteral("4,Dokumentar,ekstra")});
    const int category = appendLines(categories, {QStringLiteral("\"Western")});

    const QString imported = work.filePath(QStringLiteral("imported"));
    const ToolResult result = runTool({QStringLiteral("import"), csv.path(), imported});
    QCOMPARE(result.exitCode, 1);
    const QStringList expected{
        QStringLiteral("Spolebox.csv:%1: Indexnummer: 501 is not a valid value for field 'Index "
                       "nummer'. The allowed range is 0 to 500")
            .arg(firstRecording),
        QStringLiteral("Spolebox.csv:%1: Starttid: '25:00' is not a valid time")
            .arg(firstRecording + 1),
        QStringLiteral("Spolebox.csv:%1: Optagetdato: '31-02-2001' is not a valid date")
            .arg(firstRecording + 2),
        QStringLiteral("Spolebox.csv:%1: Baandnummer: the tape 'Z9' is not in Bånd.csv")
            .arg(firstRecording + 3),
        QStringLiteral("Spolebox.csv:%1: SpilletidSP: 1:31 does not follow from SpilletidSPLP 1:31 "
                       "at speed 'LP', which gives 0:46")
            .arg(firstRecording + 4),
        QStringLiteral("Spolebox.csv:%1: SkuespillereListe: '*3*x' is not a run of cast tokens")
            .arg(firstRecording + 5),
        QStringLiteral("Spolebox.csv:%1: overlaps the recording on line 2 on tape A1")
            .arg(firstRecording + 6),
        QStringLiteral("Spolebox.csv:%1: Titel1: Field 'Titel1' holds at most 50 characters")
            .arg(firstRecording + 7),
        QStringLiteral("Spolebox.csv:%1: VideoAutoInc: 7 is used on line %2 already")
            .arg(firstRecording + 8)
            .arg(recordingSeven),
        QStringLiteral("Bånd.csv:%1: BaandNavn: Field 'Bånd navn' must have a value")
            .arg(firstTape),
        QStringLiteral("Bånd.csv:%1: Baandlaengde: 601 is not a valid value for field 'Længde i "
                       "min.'")
            .arg(firstTape + 1),
        QStringLiteral("Bånd.csv:%1: BaandNavn: 'a1' names the tape on line 2 already")
            .arg(firstTape + 2),
        QStringLiteral("Kategori.csv:%1: a quoted value is not closed").arg(category),
        QStringLiteral("Grupper.csv:%1: 3 values where the header names 2 fields").arg(group),
        QStringLiteral("Skuespillere.csv:%1: SkuespillerAutoInc: 15 is used on line 16 already")
            .arg(actor),
    };
    QStringList lines = result.errorLines();
    QVERIFY2(lines.last().contains(u"no catalogue was made"), qPrintable(result.errors));
    lines.removeLast();
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QVERIFY2(lines[i].startsWith(csv.path() + u'/'), qPrintable(lines[i]));
        QVERIFY2(lines[i].contains(expected[i]), qPrintable(expected[i] + u'\n' + result.errors));
    }
    QVERIFY(
        QDir(imported).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

void TestExportImport::refusesToOverwrite_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("export over a CSV file") << QStringLiteral("export");
    QTest::newRow("import over a catalogue") << QStringLiteral("import");
}

void TestExportImport::refusesToOverwrite() {
    QFETCH(QString, command);
    TempCatalogue catalogue(TempCatalogue::Contents::NoTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(createSample(catalogue));
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString csv = work.filePath(QStringLiteral("csv"));
    QCOMPARE(runTool({QStringLiteral("export"), catalogue.directory(), csv}).exitCode, 0);
    const QString target = command == u"export" ? csv : catalogue.directory();
    if (command == u"export")
        QVERIFY(QFile::remove(QDir(csv).filePath(QStringLiteral("optagelser.csv"))));
    const auto before = folderSnapshot(target);

    const ToolResult result = command == u"export" ? runTool({command, catalogue.directory(), csv})
                                                   : runTool({command, csv, catalogue.directory()});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.errors.contains(u"already holds"), qPrintable(result.errors));
    QCOMPARE(folderSnapshot(target), before);
}

QTEST_GUILESS_MAIN(TestExportImport)
#include "tst_export_import.moc"

// The generated catalogue ("spolebox-catalogue create --generate N"): every recording passes
// the data module's own tape-time check, its tape time is the derived one, and every value
// keeps to its field's declaration and the references between the tables.

#include "catalogue_generator.h"
#include "data/Databoxunit.h"
#include "data/schema.h"
#include "data/tape_time.h"
#include "engine/table.h"
#include "message_log.h"
#include "program_run.h"
#include "temp_catalogue.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <set>

namespace {

ProgramResult runTool(const QStringList& arguments) {
    return runProgram(QStringLiteral(SPOLEBOX_CATALOGUE_TOOL), arguments);
}

// What a value breaks of its field's declaration, empty when nothing.
QString breach(const engine::FieldDef& def, const QVariant& value) {
    if (value.isNull())
        return def.required ? QStringLiteral("empty") : QString();
    if (def.type == engine::FieldType::Text && value.toString().size() > def.size)
        return QStringLiteral("longer than %1: %2").arg(def.size).arg(value.toString());
    if ((def.minValue && value.toDouble() < *def.minValue) ||
        (def.maxValue && value.toDouble() > *def.maxValue))
        return QStringLiteral("out of range: %1").arg(value.toString());
    return QString();
}

// The values of one field over a whole table.
template <typename T> std::set<T> valuesOf(engine::Table& table, const QString& field) {
    std::set<T> values;
    const int index = table.fieldIndex(field);
    for (int row = 0; row < table.recordCount(); ++row)
        values.insert(table.rowValue(row, index).value<T>());
    return values;
}

} // namespace

class TestGeneratedCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void obeysTheRules_data();
    void obeysTheRules();
    void refusesBadCounts_data();
    void refusesBadCounts();
};

void TestGeneratedCatalogue::obeysTheRules_data() {
    QTest::addColumn<int>("recordings");
    QTest::addColumn<int>("tapes");
    QTest::addColumn<int>("gapPercent");
    QTest::addColumn<bool>("byTool");
    QTest::addColumn<QStringList>("toolOptions");

    // As the user makes it: N/10 tapes and actors.
    QTest::newRow("tool, 2000 recordings") << 2000 << 200 << 25 << true << QStringList();
    // A free block before every recording of tapes crowded with a hundred: the densest
    // layout the overview benchmark asks for, as the user asks the tool for it.
    QTest::newRow("100 per tape, all apart")
        << 1000 << 10 << 100 << true << QStringList{"--tapes", "10", "--gaps", "100"};
    // Three recordings on each tape, end to end.
    QTest::newRow("3 per tape, no gaps") << 300 << 100 << 0 << false << QStringList();
    // More tapes than recordings: the tapes left over stay empty.
    QTest::newRow("empty tapes") << 1000 << 1200 << 25 << true << QStringList{"--tapes", "1200"};
}

void TestGeneratedCatalogue::obeysTheRules() {
    QFETCH(int, recordings);
    QFETCH(int, tapes);
    QFETCH(int, gapPercent);
    QFETCH(bool, byTool);
    QFETCH(QStringList, toolOptions);

    TempCatalogue catalogue(byTool ? TempCatalogue::Contents::NoTables
                                   : TempCatalogue::Contents::AllTables);
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    if (byTool) {
        const ProgramResult result =
            runTool(QStringList{QStringLiteral("create"), QStringLiteral("--generate"),
                                QString::number(recordings)} +
                    toolOptions + QStringList{catalogue.directory()});
        QVERIFY2(result.exitCode == 0, qPrintable(result.errors));
    } else {
        generator::CatalogueSize size;
        size.recordings = recordings;
        size.tapes = tapes;
        size.gapPercent = gapPercent;
        generator::fillCatalogue(catalogue.directory(), size);
    }
    QCOMPARE(catalogue.rowCount(schema::recordings()), recordings);
    QCOMPARE(catalogue.rowCount(schema::tapes()), tapes);
    QCOMPARE(catalogue.rowCount(schema::settings()), 1);

    // Every value as its field declares it.
    for (const engine::TableDef* def : schema::allTables()) {
        auto table = catalogue.openTable(*def);
        for (int row = 0; row < table->recordCount(); ++row) {
            for (int f = 0; f < table->fieldCount(); ++f) {
                const QString wrong = breach(def->fields[std::size_t(f)], table->rowValue(row, f));
                QVERIFY2(wrong.isEmpty(),
                         qPrintable(def->fields[std::size_t(f)].name + u' ' + wrong));
            }
        }
    }

    // References: cast tokens name actors whose number text is their number; categories
    // and groups exist.
    auto actors = catalogue.openTable(schema::actors());
    const auto actorIds = valuesOf<qint64>(*actors, QStringLiteral("SkuespillerAutoInc"));
    for (int row = 0; row < actors->recordCount(); ++row)
        QCOMPARE(actors->rowValue(row, actors->fieldIndex(QStringLiteral("SkuespillerAutoIncStr")))
                     .toString(),
                 actors->rowValue(row, actors->fieldIndex(QStringLiteral("SkuespillerAutoInc")))
                     .toString());
    auto categoryTable = catalogue.openTable(schema::categories());
    const auto categories = valuesOf<QString>(*categoryTable, QStringLiteral("Kategori"));
    auto groupTable = catalogue.openTable(schema::groups());
    const auto groups = valuesOf<qint64>(*groupTable, QStringLiteral("Lobenummer"));
    auto all = catalogue.openTable(schema::recordings());
    static const QRegularExpression castList(QStringLiteral(R"(^(\*\d+\*)*$)"));
    static const QRegularExpression token(QStringLiteral(R"(\*(\d+)\*)"));
    for (all->first(); !all->eof(); all->next()) {
        const QString cast = all->fieldByName(QStringLiteral("SkuespillereListe")).asString();
        QVERIFY2(castList.match(cast).hasMatch(), qPrintable(cast));
        for (auto it = token.globalMatch(cast); it.hasNext();)
            QVERIFY2(actorIds.count(it.next().captured(1).toLongLong()), qPrintable(cast));
        QVERIFY(categories.count(all->fieldByName(QStringLiteral("Kategori")).asString()));
        QVERIFY(groups.count(all->fieldByName(QStringLiteral("Gruppe")).asInteger()));
    }
    // Danish letters in the names the searches upper-case.
    QString names;
    for (int row = 0; row < actors->recordCount(); ++row) {
        for (const char* field : {"Fornavn", "Efternavn"})
            names += actors->rowValue(row, actors->fieldIndex(QString::fromUtf8(field))).toString();
    }
    for (QChar letter : QStringLiteral("æøå"))
        QVERIFY2(names.contains(letter), qPrintable(QString(letter)));

    // The data module's own check passes every recording without a word (an overrun would
    // ask), and every tape time is the one a post derives.
    MessageLog messages;
    TDataBox box(catalogue.session(),
                 QDir::cleanPath(catalogue.directory() + QStringLiteral("/..")) + u'/');
    QVERIFY(box.opened());
    engine::Table& video = box.VideoTable();
    engine::Field& playing = video.fieldByName(QStringLiteral("SpilletidSPLP"));
    engine::Field& tapeTime = video.fieldByName(QStringLiteral("SpilletidSP"));
    engine::Field& speed = video.fieldByName(QStringLiteral("Hastighed"));
    std::set<QString> speeds;
    int checked = 0;
    for (video.first(); !video.eof(); video.next(), ++checked) {
        const QString what = video.fieldByName(QStringLiteral("Baandnummer")).asString() + u' ' +
                             video.fieldByName(QStringLiteral("Starttid")).asString();
        QVERIFY2(box.Timecheckok(), qPrintable(what));
        QCOMPARE(tapeTime.value(), tapetime::tapeTime(playing.value(), speed.asString()));
        speeds.insert(speed.asString());
    }
    QCOMPARE(checked, recordings);
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(speeds, (std::set<QString>{QStringLiteral("LP"), QStringLiteral("SP")}));
}

void TestGeneratedCatalogue::refusesBadCounts_data() {
    QTest::addColumn<QStringList>("options");
    QTest::newRow("no number") << QStringList{QStringLiteral("--generate")};
    QTest::newRow("zero") << QStringList{QStringLiteral("--generate"), QStringLiteral("0")};
    QTest::newRow("negative") << QStringList{QStringLiteral("--generate"), QStringLiteral("-5")};
    QTest::newRow("not a number") << QStringList{QStringLiteral("--generate"),
                                                 QStringLiteral("mange")};
    QTest::newRow("too many") << QStringList{QStringLiteral("--generate"),
                                             QString::number(generator::kMaxRecordings + 1)};
    QTest::newRow("with --sample") << QStringList{
        QStringLiteral("--sample"), QStringLiteral("--generate"), QStringLiteral("10")};
    QTest::newRow("no tapes") << QStringList{"--generate", "10", "--tapes", "0"};
    QTest::newRow("gaps over 100") << QStringList{"--generate", "10", "--gaps", "101"};
    QTest::newRow("gaps not a number") << QStringList{"--generate", "10", "--gaps", "alle"};
    QTest::newRow("tapes without --generate") << QStringList{"--tapes", "10"};
}

void TestGeneratedCatalogue::refusesBadCounts() {
    QFETCH(QStringList, options);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = QDir(dir.path()).filePath(QStringLiteral("DATA"));
    const ProgramResult result =
        runTool(QStringList{QStringLiteral("create")} + options + QStringList{target});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.errors.contains(u"Usage"), qPrintable(result.errors));
    QVERIFY(!QDir(target).exists());
}

QTEST_MAIN(TestGeneratedCatalogue)
#include "tst_generated_catalogue.moc"

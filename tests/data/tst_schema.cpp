// The catalogue's declared fields as the dataset layer enforces them on a real catalogue.

#include "data/schema.h"
#include "engine/datetime.h"
#include "engine/error.h"
#include "temp_catalogue.h"

#include <QFileInfo>
#include <QLocale>
#include <QTest>
#include <functional>

namespace {

// The message of the engine error fn raises; empty when it succeeds.
QString errorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const engine::Error& e) {
        return e.message();
    }
    return QString();
}

const engine::TableDef& tableByFile(const QString& fileName) {
    for (const engine::TableDef* def : schema::allTables()) {
        if (def->fileName == fileName)
            return *def;
    }
    throw engine::Error(QStringLiteral("no table ") + fileName);
}

} // namespace

class TestSchema : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyTableOpensWithItsDeclaredFields_data();
    void everyTableOpensWithItsDeclaredFields();
    void rangeIsCheckedWhenAValueIsSet_data();
    void rangeIsCheckedWhenAValueIsSet();
    void requiredTapeFieldsRefuseThePost_data();
    void requiredTapeFieldsRefuseThePost();
    void dateIsTypedDayFirstAndShownWithTheMonthName();
    void timesAreShownAsHoursAndMinutes();
    void recordingsFollowTapeThenStartTime();
    void fieldsOfGivesTheRequestedDeclarations();
    void fieldsOfRefusesAnUnknownField();
};

void TestSchema::everyTableOpensWithItsDeclaredFields_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("indexName");
    QTest::newRow("recordings") << QStringLiteral("Spolebox.DB")
                                << QStringLiteral("SecBaandnrStarttid");
    QTest::newRow("tapes") << QStringLiteral("Bånd.db") << QString();
    QTest::newRow("categories") << QStringLiteral("Kategori.db") << QString();
    QTest::newRow("groups") << QStringLiteral("Grupper.db") << QString();
    QTest::newRow("actors") << QStringLiteral("Skuespillere.DB") << QStringLiteral("SecEfternavn");
    QTest::newRow("settings") << QStringLiteral("System.db") << QString();
}

void TestSchema::everyTableOpensWithItsDeclaredFields() {
    QFETCH(QString, fileName);
    QFETCH(QString, indexName);
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    QVERIFY(QFileInfo::exists(catalogue.filePath(fileName)));

    const engine::TableDef& def = tableByFile(fileName);
    std::unique_ptr<engine::Table> table;
    const QString error = errorOf([&] { table = catalogue.openTable(def, indexName); });
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(table->fieldCount(), int(def.fields.size()));
    QCOMPARE(table->recordCount(), 0);
}

void TestSchema::rangeIsCheckedWhenAValueIsSet_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expectedError");
    const QString recordings = QStringLiteral("Spolebox.DB");
    const QString tapes = QStringLiteral("Bånd.db");
    QTest::newRow("index number 500")
        << recordings << QStringLiteral("Indexnummer") << 500 << QString();
    QTest::newRow("index number 0")
        << recordings << QStringLiteral("Indexnummer") << 0 << QString();
    QTest::newRow("index number 501")
        << recordings << QStringLiteral("Indexnummer") << 501
        << QStringLiteral("501 is not a valid value for field 'Index nummer'. The allowed range "
                          "is 0 to 500");
    QTest::newRow("index number -1")
        << recordings << QStringLiteral("Indexnummer") << -1
        << QStringLiteral("-1 is not a valid value for field 'Index nummer'. The allowed range "
                          "is 0 to 500");
    QTest::newRow("tape length 600") << tapes << QStringLiteral("Baandlaengde") << 600 << QString();
    QTest::newRow("tape length 601")
        << tapes << QStringLiteral("Baandlaengde") << 601
        << QStringLiteral("601 is not a valid value for field 'Længde i min.'. The allowed "
                          "range is 0 to 600");
}

void TestSchema::rangeIsCheckedWhenAValueIsSet() {
    QFETCH(QString, fileName);
    QFETCH(QString, fieldName);
    QFETCH(int, value);
    QFETCH(QString, expectedError);
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    const engine::TableDef& def = tableByFile(fileName);

    auto table = catalogue.openTable(def);
    table->append();
    if (fileName == u"Bånd.db")
        table->fieldByName(QStringLiteral("BaandNavn")).setAsString(QStringLiteral("T1"));
    table->fieldByName(fieldName).setAsInteger(77);
    const QString error = errorOf([&] { table->fieldByName(fieldName).setAsInteger(value); });
    QCOMPARE(error, expectedError);
    if (!expectedError.isEmpty()) {
        // Refused: the row keeps the earlier value and stays in edit.
        QCOMPARE(table->state(), engine::DatasetState::Insert);
        QCOMPARE(table->fieldByName(fieldName).asInteger(), 77);
        return;
    }
    table->post();
    auto reread = catalogue.openTable(def);
    QCOMPARE(reread->recordCount(), 1);
    QCOMPARE(reread->fieldByName(fieldName).asInteger(), qint64(value));
}

void TestSchema::requiredTapeFieldsRefuseThePost_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("length");
    QTest::addColumn<QString>("expectedError");
    QTest::newRow("no name") << QString() << QVariant(180)
                             << QStringLiteral("Field 'Bånd navn' must have a value");
    QTest::newRow("no length") << QStringLiteral("T1") << QVariant()
                               << QStringLiteral("Field 'Længde i min.' must have a value");
    QTest::newRow("both") << QStringLiteral("T1") << QVariant(180) << QString();
}

void TestSchema::requiredTapeFieldsRefuseThePost() {
    QFETCH(QString, name);
    QFETCH(QVariant, length);
    QFETCH(QString, expectedError);
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));

    auto tapes = catalogue.openTable(schema::tapes());
    tapes->append();
    tapes->fieldByName(QStringLiteral("BaandNavn")).setAsString(name);
    tapes->fieldByName(QStringLiteral("Baandlaengde")).setValue(length);
    QCOMPARE(errorOf([&] { tapes->post(); }), expectedError);
    if (!expectedError.isEmpty()) {
        QCOMPARE(tapes->state(), engine::DatasetState::Insert);
        QCOMPARE(tapes->fieldByName(QStringLiteral("BaandNavn")).asString(), name);
    }
    QCOMPARE(catalogue.rowCount(schema::tapes()), expectedError.isEmpty() ? 1 : 0);
}

void TestSchema::dateIsTypedDayFirstAndShownWithTheMonthName() {
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    auto recordings = catalogue.openTable(schema::recordings());
    recordings->append();
    engine::Field& recorded = recordings->fieldByName(QStringLiteral("Optagetdato"));
    recorded.setText(QStringLiteral("05-03-2001"));
    QCOMPARE(engine::dayNumberToDate(recorded.asFloat()), QDate(2001, 3, 5));
    recordings->post();

    auto reread = catalogue.openTable(schema::recordings());
    engine::Field& stored = reread->fieldByName(QStringLiteral("Optagetdato"));
    QCOMPARE(engine::dayNumberToDate(stored.asFloat()), QDate(2001, 3, 5));
    QCOMPARE(stored.displayText(),
             QStringLiteral("5 ") + QLocale().monthName(3) + QStringLiteral(" 2001"));
    QCOMPARE(stored.text(), QStringLiteral("05-03-2001"));
}

void TestSchema::timesAreShownAsHoursAndMinutes() {
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    auto recordings = catalogue.openTable(schema::recordings());
    recordings->append();
    recordings->fieldByName(QStringLiteral("Starttid")).setAsFloat(95 / 1440.0);
    recordings->fieldByName(QStringLiteral("SpilletidSPLP")).setText(QStringLiteral("2:05"));
    QCOMPARE(recordings->fieldByName(QStringLiteral("Starttid")).displayText(),
             QStringLiteral("1:35"));
    QCOMPARE(recordings->fieldByName(QStringLiteral("SpilletidSPLP")).displayText(),
             QStringLiteral("2:05"));
    QCOMPARE(qRound(recordings->fieldByName(QStringLiteral("SpilletidSPLP")).asFloat() * 1440),
             125);
}

void TestSchema::recordingsFollowTapeThenStartTime() {
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    const struct {
        const char* tape;
        int start;
    } rows[] = {{"B2", 0}, {"a1", 120}, {"A1", 30}, {"B2", 60}};
    for (const auto& row : rows) {
        catalogue.appendRow(schema::recordings(),
                            {{QStringLiteral("Baandnummer"), QString::fromUtf8(row.tape)},
                             {QStringLiteral("Starttid"), row.start / 1440.0}});
    }
    auto recordings =
        catalogue.openTable(schema::recordings(), QStringLiteral("SecBaandnrStarttid"));
    QStringList order;
    for (recordings->first(); !recordings->eof(); recordings->next()) {
        order << recordings->fieldByName(QStringLiteral("Baandnummer")).asString() + u'@' +
                     QString::number(qRound(
                         recordings->fieldByName(QStringLiteral("Starttid")).asFloat() * 1440));
    }
    QCOMPARE(order, QStringList({QStringLiteral("A1@30"), QStringLiteral("a1@120"),
                                 QStringLiteral("B2@0"), QStringLiteral("B2@60")}));
}

void TestSchema::fieldsOfGivesTheRequestedDeclarations() {
    const auto fields = schema::fieldsOf(schema::actors(),
                                         {QStringLiteral("Doddato"), QStringLiteral("efternavn")});
    QCOMPARE(fields.size(), std::size_t(2));
    QCOMPARE(fields[0].name, QStringLiteral("Doddato"));
    QCOMPARE(fields[0].label(), QStringLiteral("Død dato"));
    QCOMPARE(fields[0].type, engine::FieldType::Date);
    QCOMPARE(fields[1].name, QStringLiteral("Efternavn"));
    QCOMPARE(fields[1].size, 20);
}

void TestSchema::fieldsOfRefusesAnUnknownField() {
    const QString error = errorOf([] {
        schema::fieldsOf(schema::tapes(), {QStringLiteral("BaandNavn"), QStringLiteral("Farve")});
    });
    QVERIFY2(error.contains(QStringLiteral("Farve")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"

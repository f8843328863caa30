// Field values of a real catalogue: range and required rules with their messages, text
// cut to size, times and dates stored exactly, typed text read day first, display formats.

#include "engine/datetime.h"
#include "engine/error.h"
#include "engine/table.h"
#include "engine_fixture.h"

#include <QLocale>
#include <QTest>
#include <optional>

using engine::DatasetState;
using engine::Table;
using fixture::Catalogue;

namespace {

const QString kRecIndex = QStringLiteral("SecBaandnrStarttid");

// The message of the engine::Error that fn throws; empty when it throws none.
template <typename Fn> QString errorOf(Fn&& fn) {
    try {
        fn();
    } catch (const engine::Error& e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestFields : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void rangeRules_data();
    void rangeRules();
    void requiredRules_data();
    void requiredRules();
    void requiredRuleOnEdit();
    void textCutToSize_data();
    void textCutToSize();
    void memoKeepsLongText();
    void timeRoundTrip_data();
    void timeRoundTrip();
    void dateRoundTrip_data();
    void dateRoundTrip();
    void typedDate_data();
    void typedDate();
    void typedTime_data();
    void typedTime();
    void timeDisplay_data();
    void timeDisplay();
    void numbers_data();
    void numbers();
    void emptyValues();
    void labels();

private:
    // A value as stored: the field read back through another connection.
    QVariant storedValue(const engine::TableDef& def, const QString& keyField, const QVariant& key,
                         const QString& fieldName);

    QString uniqueName(); // a tape name or title no other case uses

    std::unique_ptr<Catalogue> m_cat;
    int m_serial = 0;
};

// One catalogue for all cases: each case works on rows of its own.
void TestFields::initTestCase() {
    m_cat = std::make_unique<Catalogue>();
}

void TestFields::cleanupTestCase() {
    m_cat.reset();
}

QString TestFields::uniqueName() {
    return QStringLiteral("R%1").arg(++m_serial);
}

QVariant TestFields::storedValue(const engine::TableDef& def, const QString& keyField,
                                 const QVariant& key, const QString& fieldName) {
    auto session = m_cat->newSession();
    auto t = m_cat->open(def, {}, session.get());
    if (!t->locate(keyField, key, false))
        return QStringLiteral("<row not found>");
    return t->fieldByName(fieldName).value();
}

void TestFields::rangeRules_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message"); // empty: accepted

    QTest::newRow("index 500") << "recordings"
                               << "Indexnummer" << QVariant(500) << "";
    QTest::newRow("index 0") << "recordings"
                             << "Indexnummer" << QVariant(0) << "";
    QTest::newRow("index 501")
        << "recordings"
        << "Indexnummer" << QVariant(501)
        << "501 is not a valid value for field 'Index nummer'. The allowed range is 0 to 500";
    QTest::newRow("index -1")
        << "recordings"
        << "Indexnummer" << QVariant(-1)
        << "-1 is not a valid value for field 'Index nummer'. The allowed range is 0 to 500";
    QTest::newRow("index 501 typed")
        << "recordings"
        << "Indexnummer" << QVariant("501")
        << "501 is not a valid value for field 'Index nummer'. The allowed range is 0 to 500";
    QTest::newRow("tape length 600") << "tapes"
                                     << "Baandlaengde" << QVariant(600) << "";
    QTest::newRow("tape length 601")
        << "tapes"
        << "Baandlaengde" << QVariant(601)
        << "601 is not a valid value for field 'Længde i min.'. The allowed range is 0 to 600";
    QTest::newRow("small integer's own range")
        << "recordings"
        << "Produktionsaar" << QVariant(32768)
        << "32768 is not a valid value for field 'Produktionsaar'. The allowed range is -32768 "
           "to 32767";
    QTest::newRow("small integer's lowest") << "recordings"
                                            << "Produktionsaar" << QVariant(-32768) << "";
    QTest::newRow("integer's own range")
        << "recordings"
        << "Gruppe" << QVariant(Q_INT64_C(2147483648))
        << "2147483648 is not a valid value for field 'Gruppe'. The allowed range is "
           "-2147483648 to 2147483647";
}

void TestFields::rangeRules() {
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, message);

    const engine::TableDef& def = table == "tapes" ? fixture::tapes() : fixture::recordings();
    const QString key = table == "tapes" ? QStringLiteral("BaandNavn") : QStringLiteral("Titel1");
    const QString name = uniqueName();
    auto t = m_cat->open(def);
    t->append();
    t->fieldByName(key).setValue(name);
    t->fieldByName(field).setValue(7);

    // Refused when the value is set, typed or not; the field keeps its value.
    QCOMPARE(errorOf([&] { t->fieldByName(field).setValue(value); }), message);
    QCOMPARE(errorOf([&] { t->fieldByName(field).setText(value.toString()); }), message);
    QCOMPARE(t->state(), DatasetState::Insert);
    if (!message.isEmpty())
        QCOMPARE(t->fieldByName(field).asInteger(), 7);

    if (table == "tapes" && field != "Baandlaengde")
        t->fieldByName(QStringLiteral("Baandlaengde")).setValue(60);
    t->post();
    QCOMPARE(storedValue(def, key, name, field).toLongLong(),
             message.isEmpty() ? value.toLongLong() : 7);
}

void TestFields::requiredRules_data() {
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<QVariant>("length");
    QTest::addColumn<QString>("message");

    QTest::newRow("no name") << QVariant() << QVariant(120)
                             << "Field 'Bånd navn' must have a value";
    QTest::newRow("empty name") << QVariant("") << QVariant(120)
                                << "Field 'Bånd navn' must have a value";
    QTest::newRow("no length") << QVariant("T1") << QVariant()
                               << "Field 'Længde i min.' must have a value";
    QTest::newRow("both") << QVariant("T1") << QVariant(0) << "";
}

void TestFields::requiredRules() {
    QFETCH(QVariant, name);
    QFETCH(QVariant, length);
    QFETCH(QString, message);

    const QString unique = uniqueName();
    if (name.toString() == "T1")
        name = unique;
    auto t = m_cat->open(fixture::tapes());
    const int rowsBefore = t->recordCount();
    int afterPostCalls = 0;
    t->afterPost = [&](Table&) { ++afterPostCalls; };
    t->append();
    if (name.isValid())
        t->fieldByName(QStringLiteral("BaandNavn")).setValue(name);
    if (length.isValid())
        t->fieldByName(QStringLiteral("Baandlaengde")).setValue(length);
    QCOMPARE(errorOf([&] { t->post(); }), message);
    if (message.isEmpty()) {
        QCOMPARE(afterPostCalls, 1);
        QCOMPARE(storedValue(fixture::tapes(), "BaandNavn", name, "Baandlaengde"),
                 QVariant(length.toLongLong()));
        return;
    }
    // Refused: still inserting with the input, nothing written.
    QCOMPARE(t->state(), DatasetState::Insert);
    QCOMPARE(afterPostCalls, 0);
    QCOMPARE(t->fieldByName(QStringLiteral("Baandlaengde")).value(),
             length.isValid() ? QVariant(length.toLongLong()) : QVariant());
    QCOMPARE(m_cat->open(fixture::tapes())->recordCount(), rowsBefore);
    QCOMPARE(t->recordCount(), rowsBefore);
}

void TestFields::requiredRuleOnEdit() {
    const QString name = uniqueName();
    auto t = m_cat->open(fixture::tapes());
    fixture::appendRow(*t, {{"BaandNavn", name}, {"Baandlaengde", 180}});
    t->edit();
    t->fieldByName(QStringLiteral("BaandNavn")).clear();
    QCOMPARE(errorOf([&] { t->post(); }), QStringLiteral("Field 'Bånd navn' must have a value"));
    QCOMPARE(t->state(), DatasetState::Edit);
    QVERIFY(t->fieldByName(QStringLiteral("BaandNavn")).isNull());
    QCOMPARE(storedValue(fixture::tapes(), "BaandNavn", name, "Baandlaengde"), QVariant(180));
}

void TestFields::textCutToSize_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("stored");

    QTest::newRow("tape name 12 of 10") << "Baandnummer"
                                        << "ABCDEFGHIJKL"
                                        << "ABCDEFGHIJ";
    QTest::newRow("tape name exactly 10") << "Baandnummer"
                                          << "ABCDEFGHIJ"
                                          << "ABCDEFGHIJ";
    QTest::newRow("Danish letters count as one") << "Baandnummer"
                                                 << "ÆØÅæøåÆØÅæøå"
                                                 << "ÆØÅæøåÆØÅæ";
    QTest::newRow("title 60 of 50") << "Titel1" << QString(60, u'x') << QString(50, u'x');
    QTest::newRow("speed 2") << "Hastighed"
                             << "SPX"
                             << "SP";
}

void TestFields::textCutToSize() {
    QFETCH(QString, field);
    QFETCH(QString, input);
    QFETCH(QString, stored);

    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    t->append();
    t->fieldByName(field).setValue(input);
    QCOMPARE(t->fieldByName(field).asString(), stored);
    t->post();
    const qint64 id = t->fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
    QCOMPARE(storedValue(fixture::recordings(), "VideoAutoInc", id, field).toString(), stored);

    // Typed text is cut the same way.
    t->edit();
    t->fieldByName(field).setText(input);
    t->post();
    QCOMPARE(storedValue(fixture::recordings(), "VideoAutoInc", id, field).toString(), stored);
}

void TestFields::memoKeepsLongText() {
    // A memo's declared size is only the part kept in the row: the text is never cut.
    const QString notes = QStringLiteral("Optaget fra TV 2. ").repeated(40);
    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    fixture::appendRow(*t, {{"Noter", notes}});
    const qint64 id = t->fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
    QCOMPARE(storedValue(fixture::recordings(), "VideoAutoInc", id, "Noter").toString(), notes);
}

void TestFields::timeRoundTrip_data() {
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<int>("msecs");

    QTest::newRow("midnight") << QVariant(0.0) << 0;
    QTest::newRow("one millisecond") << QVariant(1 / engine::kMillisecondsPerDay) << 1;
    QTest::newRow("one minute") << QVariant(1 / 1440.0) << 60000;
    QTest::newRow("10:00:00.001") << QVariant((36000000 + 1) / engine::kMillisecondsPerDay)
                                  << 36000001;
    QTest::newRow("12:34:56.789") << QVariant(QTime(12, 34, 56, 789)) << 45296789;
    QTest::newRow("last millisecond") << QVariant(QTime(23, 59, 59, 999)) << 86399999;
    QTest::newRow("noon with noise") << QVariant(0.5 + 1e-12) << 43200000;
    QTest::newRow("a day number: its time") << QVariant(36955.25) << 21600000;
    QTest::newRow("typed") << QVariant("1:30") << 5400000;
    QTest::newRow("typed with milliseconds") << QVariant("00:00:01.250") << 1250;
}

void TestFields::timeRoundTrip() {
    QFETCH(QVariant, input);
    QFETCH(int, msecs);

    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    fixture::appendRow(*t, {{"Starttid", input}, {"SpilletidSPLP", input}});
    const double expected = msecs / engine::kMillisecondsPerDay;
    QCOMPARE(t->fieldByName(QStringLiteral("Starttid")).asFloat(), expected);

    const qint64 id = t->fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
    for (const char* name : {"Starttid", "SpilletidSPLP"}) {
        const QVariant stored = storedValue(fixture::recordings(), "VideoAutoInc", id, name);
        QCOMPARE(stored.toDouble(), expected); // exactly, not nearly
        QCOMPARE(engine::timeFractionToMsecs(stored.toDouble()), msecs);
    }
    // A locate by the same time finds it.
    QVERIFY(t->locate(QStringLiteral("Starttid"), expected, false));
    QCOMPARE(t->fieldByName(QStringLiteral("VideoAutoInc")).asInteger(), id);
}

void TestFields::dateRoundTrip_data() {
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QDate>("date");

    QTest::newRow("day zero") << QVariant(QDate(1899, 12, 30)) << QDate(1899, 12, 30);
    QTest::newRow("1 January 1900") << QVariant(QDate(1900, 1, 1)) << QDate(1900, 1, 1);
    QTest::newRow("5 March 2001") << QVariant(QDate(2001, 3, 5)) << QDate(2001, 3, 5);
    QTest::newRow("before day zero") << QVariant(QDate(1850, 6, 15)) << QDate(1850, 6, 15);
    QTest::newRow("far future") << QVariant(QDate(9999, 12, 31)) << QDate(9999, 12, 31);
    QTest::newRow("day number") << QVariant(36955.0) << QDate(2001, 3, 5);
    QTest::newRow("day number with a time") << QVariant(36955.75) << QDate(2001, 3, 5);
    QTest::newRow("date and time")
        << QVariant(QDateTime(QDate(2001, 3, 5), QTime(18, 0))) << QDate(2001, 3, 5);
    QTest::newRow("typed") << QVariant("05-03-2001") << QDate(2001, 3, 5);
}

void TestFields::dateRoundTrip() {
    QFETCH(QVariant, input);
    QFETCH(QDate, date);

    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    fixture::appendRow(*t, {{"Optagetdato", input}});
    const qint64 id = t->fieldByName(QStringLiteral("VideoAutoInc")).asInteger();
    const QVariant stored = storedValue(fixture::recordings(), "VideoAutoInc", id, "Optagetdato");
    QCOMPARE(stored.toDouble(), engine::dateToDayNumber(date));
    QCOMPARE(engine::dayNumberToDate(stored.toDouble()), date);

    auto actors = m_cat->open(fixture::actors());
    fixture::appendRow(*actors, {{"Fodtdato", input}});
    QCOMPARE(engine::dayNumberToDate(actors->fieldByName(QStringLiteral("Fodtdato")).asFloat()),
             date);
}

void TestFields::typedDate_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date"); // invalid: refused

    QTest::newRow("day first") << "05-03-2001" << QDate(2001, 3, 5);
    QTest::newRow("without leading zeros") << "5-3-2001" << QDate(2001, 3, 5);
    QTest::newRow("day 13 cannot be a month") << "13-01-2001" << QDate(2001, 1, 13);
    QTest::newRow("last day of a leap year's February") << "29-02-2000" << QDate(2000, 2, 29);
    QTest::newRow("no such day") << "29-02-2001" << QDate();
    QTest::newRow("month 13") << "01-13-2001" << QDate();
    QTest::newRow("year first") << "2001-03-05" << QDate();
    QTest::newRow("words") << "i går" << QDate();
}

void TestFields::typedDate() {
    QFETCH(QString, typed);
    QFETCH(QDate, date);

    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    t->append();
    engine::Field& f = t->fieldByName(QStringLiteral("Optagetdato"));
    const QString error = errorOf([&] { f.setText(typed); });
    if (!date.isValid()) {
        QCOMPARE(error, QStringLiteral("'%1' is not a valid date").arg(typed));
        QVERIFY(f.isNull());
        return;
    }
    QCOMPARE(error, QString());
    QCOMPARE(engine::dayNumberToDate(f.asFloat()), date);
    // Shown as typed (day first, two digits) and by the display format "d mmmm yyyy".
    QCOMPARE(f.text(), date.toString(QStringLiteral("dd-MM-yyyy")));
    QCOMPARE(f.displayText(), QStringLiteral("%1 %2 %3")
                                  .arg(date.day())
                                  .arg(QLocale().monthName(date.month()))
                                  .arg(date.year()));
    t->post();
    QCOMPARE(f.text(), date.toString(QStringLiteral("dd-MM-yyyy")));
}

void TestFields::typedTime_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("minutes"); // -1: refused, -2: empty

    QTest::newRow("h:mm") << "1:30" << 90;
    QTest::newRow("hh:mm") << "01:30" << 90;
    QTest::newRow("ten hours") << "10:00" << 600;
    QTest::newRow("hours only") << "2" << 120;
    QTest::newRow("with seconds") << "0:05:00" << 5;
    QTest::newRow("blanks around") << " 1 : 05 " << 65;
    QTest::newRow("empty") << "" << -2;
    QTest::newRow("24 hours") << "24:00" << -1;
    QTest::newRow("60 minutes") << "1:60" << -1;
    QTest::newRow("words") << "halv to" << -1;
}

void TestFields::typedTime() {
    QFETCH(QString, typed);
    QFETCH(int, minutes);

    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    t->append();
    engine::Field& f = t->fieldByName(QStringLiteral("Starttid"));
    f.setValue(0.25);
    const QString error = errorOf([&] { f.setText(typed); });
    if (minutes == -1) {
        QCOMPARE(error, QStringLiteral("'%1' is not a valid time").arg(typed.trimmed()));
        QCOMPARE(f.asFloat(), 0.25); // kept
        return;
    }
    QCOMPARE(error, QString());
    if (minutes == -2) {
        QVERIFY(f.isNull());
        return;
    }
    QCOMPARE(f.asFloat(), minutes / 1440.0);
}

void TestFields::timeDisplay_data() {
    QTest::addColumn<int>("msecs");
    QTest::addColumn<QString>("display"); // "h:nn"
    QTest::addColumn<QString>("text");    // the edit text

    QTest::newRow("midnight") << 0 << "0:00"
                              << "00:00:00";
    QTest::newRow("1:30") << 5400000 << "1:30"
                          << "01:30:00";
    QTest::newRow("10:05") << 36300000 << "10:05"
                           << "10:05:00";
    QTest::newRow("seconds are not shown") << 36359000 << "10:05"
                                           << "10:05:59";
    QTest::newRow("last millisecond") << 86399999 << "23:59"
                                      << "23:59:59";
}

void TestFields::timeDisplay() {
    QFETCH(int, msecs);
    QFETCH(QString, display);
    QFETCH(QString, text);

    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    fixture::appendRow(*t, {{"Starttid", msecs / engine::kMillisecondsPerDay}});
    const engine::Field& f = t->fieldByName(QStringLiteral("Starttid"));
    QCOMPARE(f.displayText(), display);
    QCOMPARE(f.text(), text);
    // A time without a display format shows its edit text.
    t->edit();
    t->fieldByName(QStringLiteral("SpilletidSP")).setValue(f.value());
    QCOMPARE(t->fieldByName(QStringLiteral("SpilletidSP")).displayText(), text);
}

void TestFields::numbers_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("stored"); // invalid: refused

    QTest::newRow("text of a number") << "Indexnummer" << QVariant("42") << QVariant(42);
    QTest::newRow("text with blanks") << "Indexnummer" << QVariant(" 42 ") << QVariant(42);
    QTest::newRow("not a number") << "Indexnummer" << QVariant("4x") << QVariant();
    QTest::newRow("floating point is rounded") << "Gruppe" << QVariant(2.6) << QVariant(3);
    QTest::newRow("empty text clears") << "Gruppe" << QVariant("") << QVariant(QString());
    QTest::newRow("year") << "Produktionsaar" << QVariant(1999) << QVariant(1999);
}

void TestFields::numbers() {
    QFETCH(QString, field);
    QFETCH(QVariant, input);
    QFETCH(QVariant, stored);

    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    t->append();
    engine::Field& f = t->fieldByName(field);
    const QString error = errorOf([&] { f.setValue(input); });
    if (!stored.isValid()) {
        QCOMPARE(error, QStringLiteral("'%1' is not a valid integer value").arg(input.toString()));
        return;
    }
    QCOMPARE(error, QString());
    t->post();
    if (stored.typeId() == QMetaType::QString) {
        QVERIFY(f.isNull());
        return;
    }
    QCOMPARE(f.asInteger(), stored.toLongLong());
    QCOMPARE(f.asString(), stored.toString());
    QCOMPARE(f.asFloat(), stored.toDouble());
}

void TestFields::emptyValues() {
    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    fixture::appendRow(*t, {{"Titel1", QStringLiteral("Only a title")}});
    for (const char* name : {"Starttid", "Optagetdato", "Indexnummer", "Titel2", "Noter"}) {
        const engine::Field& f = t->fieldByName(QString::fromUtf8(name));
        QVERIFY2(f.isNull(), name);
        QCOMPARE(f.asString(), QString());
        QCOMPARE(f.asInteger(), 0);
        QCOMPARE(f.asFloat(), 0.0);
        QCOMPARE(f.displayText(), QString());
    }
}

void TestFields::labels() {
    auto t = m_cat->open(fixture::recordings(), kRecIndex);
    QCOMPARE(t->fieldByName(QStringLiteral("Indexnummer")).label(), QStringLiteral("Index nummer"));
    QCOMPARE(t->fieldByName(QStringLiteral("titel1")).label(), QStringLiteral("Titel1"));
    auto tapes = m_cat->open(fixture::tapes());
    QCOMPARE(tapes->fieldByName(QStringLiteral("BaandNavn")).label(), QStringLiteral("Bånd navn"));
    QVERIFY_THROWS_EXCEPTION(engine::Error, tapes->fieldByName(QStringLiteral("Nothing")));
}

QTEST_GUILESS_MAIN(TestFields)
#include "tst_fields.moc"

#include "data/schema.h"
#include "engine/error.h"
#include "engine/query.h"
#include "engine/session.h"
#include "engine/table.h"
#include "temp_catalogue.h"

#include <QTest>

using namespace engine;

namespace {

const QString kAlias = QString::fromUtf8(schema::kAlias);

// The three lines of the general search, as the result window builds them.
QStringList generalSearch(const QString& whereLine) {
    return {QStringLiteral("SELECT * FROM \"spolebox.db\""), whereLine,
            QStringLiteral("ORDER BY titel1")};
}

const QStringList kActorSearch{
    "SELECT * FROM \"skuespillere.db\" , \"spolebox.db\"",
    "WHERE SkuespillereListe LIKE \"%*\" + SkuespillerAutoIncStr + \"*%\" AND",
    "(UPPER(efternavn) LIKE :text OR", "UPPER(fornavn) LIKE :text)", "ORDER BY Titel1"};

// Every row's values of the named fields, joined by '/', walking the cursor.
QStringList rows(Query& query, const QStringList& fields) {
    QStringList out;
    for (query.first(); !query.eof(); query.next()) {
        QStringList values;
        for (const QString& name : fields)
            values << query.fieldByName(name).text();
        out << values.join(u'/');
    }
    return out;
}

} // namespace

class TestQuery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void tapeName_data();
    void tapeName();
    void danishOrder();
    void actorNumberIsAWholeToken();
    void doubleQuoteInConstant_data();
    void doubleQuoteInConstant();
    void namedParameters();
    void missingParameterIsNamed();
    void recordCount();
    void columnsByNameInAnyCase();
    void timeAndDateColumns();
    void rowValuesForGrids();
    void reopenWithNewStatement();
    void seesPostedRows();
    void forEachRowStreams();
    void forEachRowNeedsAClosedQuery();
    void badStatementLeavesQueryClosed_data();
    void badStatementLeavesQueryClosed();

private:
    qint64 addRecording(const QString& titel1, const QString& baandnummer,
                        const QVariantMap& more = {});
    qint64 addActor(const QString& fornavn, const QString& efternavn);
    std::unique_ptr<Query> query(const QStringList& lines);

    std::unique_ptr<TempCatalogue> m_catalogue;
};

void TestQuery::init() {
    m_catalogue = std::make_unique<TempCatalogue>();
    QVERIFY2(m_catalogue->isValid(), qPrintable(m_catalogue->errorString()));
}

void TestQuery::cleanup() {
    m_catalogue.reset();
}

qint64 TestQuery::addRecording(const QString& titel1, const QString& baandnummer,
                               const QVariantMap& more) {
    QVariantMap values = more;
    values.insert(QStringLiteral("Titel1"), titel1);
    values.insert(QStringLiteral("Baandnummer"), baandnummer);
    return m_catalogue->appendRow(schema::recordings(), values);
}

// An actor with the number also kept as text, as the actor register does.
qint64 TestQuery::addActor(const QString& fornavn, const QString& efternavn) {
    const qint64 id =
        m_catalogue->appendRow(schema::actors(), {{"Fornavn", fornavn}, {"Efternavn", efternavn}});
    auto table = m_catalogue->openTable(schema::actors());
    if (!table->locate(QStringLiteral("SkuespillerAutoInc"), id, false))
        throw Error(QStringLiteral("the new actor is missing"));
    table->edit();
    table->fieldByName(QStringLiteral("SkuespillerAutoIncStr")).setValue(QString::number(id));
    table->post();
    return id;
}

std::unique_ptr<Query> TestQuery::query(const QStringList& lines) {
    auto q = std::make_unique<Query>(m_catalogue->session());
    q->setAliasName(kAlias);
    q->setSql(lines);
    return q;
}

void TestQuery::tapeName_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("b12: the whole name") << "b12" << QStringList{"Første/B12", "Tredje/b12"};
    QTest::newRow("b1%: every name beginning so")
        << "b1%" << QStringList{"Anden/B123", "Første/B12", "Tredje/b12"};
    QTest::newRow("b: no whole name") << "b" << QStringList{};
}

// The tape-name search finds the whole name without regard to letter case.
void TestQuery::tapeName() {
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    addRecording(QStringLiteral("Første"), QStringLiteral("B12"));
    addRecording(QStringLiteral("Anden"), QStringLiteral("B123"));
    addRecording(QStringLiteral("Tredje"), QStringLiteral("b12"));
    addRecording(QStringLiteral("Fjerde"), QStringLiteral("C12"));
    auto q = query(
        generalSearch(QStringLiteral("Where UPPER(Baandnummer) LIKE \"") + typed.toUpper() + u'"'));
    q->open();
    QCOMPARE(rows(*q, {"Titel1", "Baandnummer"}), expected);
}

void TestQuery::danishOrder() {
    const QStringList titles{"østers", "Zebra", "æble", "Abe", "Åen", "bål", "Ære", "Ø", "aben"};
    for (const QString& title : titles)
        addRecording(title, QStringLiteral("B1"));
    auto q = query({"SELECT * FROM \"Spolebox.db\"", "ORDER BY titel1"});
    q->open();
    QCOMPARE(rows(*q, {"Titel1"}),
             QStringList({"Abe", "aben", "bål", "Zebra", "æble", "Ære", "Ø", "østers", "Åen"}));
}

void TestQuery::actorNumberIsAWholeToken() {
    for (int i = 1; i <= 12; ++i)
        addActor(QStringLiteral("Fornavn%1").arg(i), QStringLiteral("Efternavn%1").arg(i));
    addRecording(QStringLiteral("Med tolv"), QStringLiteral("B1"),
                 {{"SkuespillereListe", QStringLiteral("*12*")}});
    addRecording(QStringLiteral("Med to"), QStringLiteral("B1"),
                 {{"SkuespillereListe", QStringLiteral("*12**2*")}});
    auto q = query(kActorSearch);
    q->setParam(QStringLiteral("text"), QStringLiteral("%EFTERNAVN2%"));
    q->open();
    QCOMPARE(rows(*q, {"Titel1", "SkuespillerAutoInc"}), QStringList({"Med to/2"}));
    q->close();
    q->setParam(QStringLiteral("text"), QStringLiteral("%EFTERNAVN12%"));
    q->open();
    QCOMPARE(rows(*q, {"Titel1", "SkuespillerAutoInc"}), QStringList({"Med to/12", "Med tolv/12"}));
}

void TestQuery::doubleQuoteInConstant_data() {
    QTest::addColumn<QString>("whereLine");
    QTest::newRow("inside single quotes") << R"(WHERE titel1 = '12" tommer')";
    QTest::newRow("doubled inside double quotes") << R"(WHERE titel1 = "12"" tommer")";
    QTest::newRow("in a pattern") << R"(WHERE UPPER(titel1) LIKE '%2" T%')";
}

void TestQuery::doubleQuoteInConstant() {
    QFETCH(QString, whereLine);
    addRecording(QStringLiteral("12\" tommer"), QStringLiteral("B1"));
    addRecording(QStringLiteral("12 tommer"), QStringLiteral("B1"));
    auto q = query(generalSearch(whereLine));
    q->open();
    QCOMPARE(rows(*q, {"Titel1"}), QStringList({"12\" tommer"}));
}

void TestQuery::namedParameters() {
    addActor(QStringLiteral("Ib"), QStringLiteral("Hansen"));
    addActor(QStringLiteral("Jørgen Hansen"), QStringLiteral("Ryg"));
    addActor(QStringLiteral("Bodil"), QStringLiteral("Kjer"));
    addRecording(QStringLiteral("Olsen-banden"), QStringLiteral("B1"),
                 {{"SkuespillereListe", QStringLiteral("*3**2**1*")}});
    auto q = query(kActorSearch);
    q->setParam(QStringLiteral("TEXT"), QStringLiteral("%HANSEN%")); // names match in any case
    q->open();
    QCOMPARE(rows(*q, {"Fornavn", "Efternavn"}), QStringList({"Ib/Hansen", "Jørgen Hansen/Ryg"}));
    q->close();
    q->setParam(QStringLiteral(":text"), QStringLiteral("%ØRG%"));
    q->open();
    QCOMPARE(rows(*q, {"Efternavn"}), QStringList({"Ryg"}));
}

void TestQuery::missingParameterIsNamed() {
    auto q = query(kActorSearch);
    try {
        q->open();
        QFAIL("opened without its parameter");
    } catch (const Error& e) {
        QCOMPARE(e.message(), QStringLiteral("The parameter :text has no value"));
    }
    QVERIFY(!q->isActive());
}

void TestQuery::recordCount() {
    for (int i = 0; i < 5; ++i)
        addRecording(QStringLiteral("Titel %1").arg(i), i < 3 ? QStringLiteral("B1") : "B2");
    auto q = query(generalSearch(QStringLiteral("Where UPPER(Baandnummer) LIKE \"B1\"")));
    q->open();
    QCOMPARE(q->recordCount(), 3);
    QVERIFY(!q->isEmpty());
    q->close();
    q->setSql(generalSearch(QStringLiteral("Where UPPER(Baandnummer) LIKE \"B3\"")));
    q->open();
    QCOMPARE(q->recordCount(), 0);
    QVERIFY(q->isEmpty());
    QVERIFY(q->eof());
    QVERIFY(q->fieldByName(QStringLiteral("Titel1")).isNull());
}

void TestQuery::columnsByNameInAnyCase() {
    const qint64 id = addRecording(QStringLiteral("Alien"), QStringLiteral("B12"),
                                   {{"Gruppe", 3}, {"Instruktor", QStringLiteral("Ridley Scott")}});
    auto q = query(generalSearch(QStringLiteral("Where UPPER(titel1) LIKE \"%ALIEN%\"")));
    q->open();
    QCOMPARE(q->fieldByName(QStringLiteral("videoautoinc")).asInteger(), id);
    QCOMPARE(q->fieldByName(QStringLiteral("VIDEOAUTOINC")).asInteger(), id);
    QCOMPARE(q->fieldByName(QStringLiteral("titel1")).asString(), QStringLiteral("Alien"));
    QCOMPARE(q->fieldByName(QStringLiteral("INSTRUKTOR")).text(), QStringLiteral("Ridley Scott"));
    QCOMPARE(q->fieldByName(QStringLiteral("gruppe")).value(), QVariant(qint64(3)));
    QVERIFY(q->fieldByName(QStringLiteral("Titel2")).isNull());
    QCOMPARE(q->fieldByName(QStringLiteral("Titel1")).name(), QStringLiteral("Titel1"));
    QVERIFY_THROWS_EXCEPTION(Error, q->fieldByName(QStringLiteral("Titel3")));
}

void TestQuery::timeAndDateColumns() {
    addRecording(QStringLiteral("Alien"), QStringLiteral("B12"),
                 {{"Starttid", 90 / 1440.0}, {"Optagetdato", 37320.0}}); // 5 March 2002
    auto q = query({"SELECT * FROM \"Spolebox.db\""});
    q->open();
    const Field& start = q->fieldByName(QStringLiteral("starttid"));
    QCOMPARE(start.type(), FieldType::Time);
    QCOMPARE(start.text(), QStringLiteral("01:30:00"));
    QCOMPARE(start.displayText(), QStringLiteral("01:30:00"));
    const Field& recorded = q->fieldByName(QStringLiteral("optagetdato"));
    QCOMPARE(recorded.type(), FieldType::Date);
    QCOMPARE(recorded.text(), QStringLiteral("05-03-2002"));
}

void TestQuery::rowValuesForGrids() {
    addRecording(QStringLiteral("B"), QStringLiteral("T1"));
    addRecording(QStringLiteral("A"), QStringLiteral("T2"));
    auto q = query({"SELECT * FROM \"Spolebox.db\"", "ORDER BY titel1"});
    q->open();
    const int title = q->fieldIndex(QStringLiteral("titel1"));
    QVERIFY(title >= 0);
    QCOMPARE(q->rowValue(0, title), QVariant(QStringLiteral("A")));
    QCOMPARE(q->rowValue(1, title), QVariant(QStringLiteral("B")));
    QVERIFY(q->rowValue(2, title).isNull());
    QVERIFY(q->rowValue(-1, title).isNull());
    QVERIFY(q->rowValue(0, 999).isNull());
    QCOMPARE(q->recNo(), 1); // the cursor did not move
    q->next();
    QCOMPARE(q->fieldByName(QStringLiteral("Baandnummer")).text(), QStringLiteral("T1"));
}

// The search windows close the query, replace the statement and open it again.
void TestQuery::reopenWithNewStatement() {
    addRecording(QStringLiteral("Alien"), QStringLiteral("B12"));
    addRecording(QStringLiteral("Zorro"), QStringLiteral("B1"));
    auto q = query(generalSearch(QStringLiteral("Where UPPER(titel1) LIKE \"%ALIEN%\"")));
    q->open();
    QCOMPARE(rows(*q, {"Titel1"}), QStringList({"Alien"}));
    q->close();
    q->sql().clear();
    q->sql() << generalSearch(QStringLiteral("Where UPPER(titel1) LIKE \"%ZOR%\""));
    q->open();
    QCOMPARE(rows(*q, {"Titel1"}), QStringList({"Zorro"}));
}

void TestQuery::seesPostedRows() {
    auto q = query({"SELECT * FROM \"Spolebox.db\"", "ORDER BY titel1"});
    q->open();
    QCOMPARE(q->recordCount(), 0);
    q->close();
    auto table = m_catalogue->openTable(schema::recordings());
    table->append();
    table->fieldByName(QStringLiteral("Titel1")).setValue(QStringLiteral("Ny"));
    table->post();
    q->open();
    QCOMPARE(rows(*q, {"Titel1"}), QStringList({"Ny"}));
}

void TestQuery::forEachRowStreams() {
    addRecording(QStringLiteral("C"), QStringLiteral("T1"), {{"Starttid", 0.5}});
    addRecording(QStringLiteral("A"), QStringLiteral("T2"), {{"Starttid", 0.25}});
    addRecording(QStringLiteral("B"), QStringLiteral("T3"));
    auto q = query({"SELECT * FROM \"Spolebox.db\"", "ORDER BY titel1"});
    QStringList seen;
    q->forEachRow([&seen](const Query& row) {
        seen << row.fieldByName(QStringLiteral("titel1")).text() + u'/' +
                    row.fieldByName(QStringLiteral("starttid")).text();
    });
    QCOMPARE(seen, QStringList({"A/06:00:00", "B/", "C/12:00:00"}));
    QVERIFY(!q->isActive());
    QVERIFY(q->fieldByName(QStringLiteral("titel1")).isNull());
}

void TestQuery::forEachRowNeedsAClosedQuery() {
    auto q = query({"SELECT * FROM \"Spolebox.db\""});
    q->open();
    QVERIFY_THROWS_EXCEPTION(Error, q->forEachRow([](const Query&) {}));
    q->close();
    int count = 0;
    q->forEachRow([&count](const Query&) { ++count; });
    QCOMPARE(count, 0);
}

void TestQuery::badStatementLeavesQueryClosed_data() {
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("message");
    QTest::newRow("syntax") << kAlias << QStringList{"SELECT * FROM \"Spolebox.db\"", "WHERE"}
                            << "SQL error at line 2";
    QTest::newRow("missing table")
        << kAlias << QStringList{"SELECT * FROM \"Video.db\""} << "Video.db";
    QTest::newRow("unknown alias")
        << "Nowhere" << QStringList{"SELECT * FROM \"Spolebox.db\""} << "Nowhere";
    QTest::newRow("empty statement") << kAlias << QStringList{} << "SELECT expected";
}

void TestQuery::badStatementLeavesQueryClosed() {
    QFETCH(QString, alias);
    QFETCH(QStringList, lines);
    QFETCH(QString, message);
    auto q = query(lines);
    q->setAliasName(alias);
    try {
        q->open();
        QFAIL("opened");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QVERIFY(!q->isActive());
    QCOMPARE(q->recordCount(), 0);
}

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"

// A cast-list join ("%*" + key + "*%") found by splitting the lists gives the rows of the
// pair-by-pair test.

#include "sql_fixture.h"

using namespace engine;
using namespace sqlfixture;

class TestSqlTokenJoin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_sample = std::make_unique<SampleCatalogue>(); }
    void cleanupTestCase() { m_sample.reset(); }
    void tokenJoinMatchesPairByPair_data();
    void tokenJoinMatchesPairByPair();
    void segments_data();
    void segments();

private:
    std::unique_ptr<SampleCatalogue> m_sample;
};

void TestSqlTokenJoin::tokenJoinMatchesPairByPair_data() {
    QTest::addColumn<QString>("split");
    QTest::addColumn<QString>("pairwise");
    QTest::addColumn<bool>("found");
    const auto both = [](const QString& from, const QString& head, const QString& key,
                         const QString& tail, const QString& rest) {
        const QString tailSplit = QStringLiteral("'%1%'").arg(tail);
        const QString tailPairwise = QStringLiteral("'%1' + '%'").arg(tail);
        const QString like = QStringLiteral("SkuespillereListe LIKE '%%1' + %2 + ").arg(head, key);
        return std::pair{
            QStringLiteral("SELECT * FROM %1 WHERE %2%3 %4").arg(from, like, tailSplit, rest),
            QStringLiteral("SELECT * FROM %1 WHERE %2%3 %4").arg(from, like, tailPairwise, rest)};
    };
    const QString actorsFirst = QStringLiteral("\"skuespillere.db\" , \"spolebox.db\"");
    const QString recordingsFirst = QStringLiteral("\"spolebox.db\" , \"skuespillere.db\"");
    const QString key = QStringLiteral("SkuespillerAutoIncStr");
    const struct {
        const char* name;
        QString from, head, key, tail, rest;
        bool found = true;
    } cases[] = {
        {"by title", actorsFirst, "*", key, "*", "ORDER BY Titel1"},
        {"by title, descending", actorsFirst, "*", key, "*", "ORDER BY Titel1 DESC"},
        {"unordered", actorsFirst, "*", key, "*", ""},
        {"by the key", actorsFirst, "*", key, "*", "ORDER BY SkuespillerAutoIncStr"},
        {"by a number", actorsFirst, "*", key, "*", "ORDER BY VideoAutoInc DESC"},
        {"other delimiter", actorsFirst, "#", key, "#", "ORDER BY Titel1"},
        {"Danish delimiter", actorsFirst, "ø", key, "ø", "ORDER BY Titel1"},
        {"number key", actorsFirst, "*", "SkuespillerAutoInc", "*", "ORDER BY Titel1"},
        {"recordings named first", recordingsFirst, "*", key, "*", "ORDER BY Titel1"},
        {"conditions on both tables", actorsFirst, "*", key, "*",
         "AND (UPPER(Titel1) LIKE '%A%' OR SkuespillerAutoIncStr = '2') AND Titel1 <> 'C' "
         "ORDER BY Titel1"},
        {"conditions on the keys", actorsFirst, "*", key, "*",
         "AND (Fornavn = 'F' OR Efternavn = 'E') AND NOT SkuespillerAutoIncStr = '12' "
         "AND Titel1 <> 'C' ORDER BY Titel1"},
        {"conditions on the keys, number key", recordingsFirst, "*", "SkuespillerAutoInc", "*",
         "AND SkuespillerAutoInc >= 2 AND 1 = 1 ORDER BY Titel1"},
        {"no key passes", actorsFirst, "*", key, "*", "AND Fornavn = 'G' ORDER BY Titel1", false},
    };
    for (const auto& c : cases) {
        const auto [split, pairwise] = both(c.from, c.head, c.key, c.tail, c.rest);
        QTest::newRow(c.name) << split << pairwise << c.found;
    }
}

void TestSqlTokenJoin::tokenJoinMatchesPairByPair() {
    QFETCH(QString, split);
    QFETCH(QString, pairwise);
    QFETCH(bool, found);
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    // Keys holding the delimiter or "%" cannot be found by splitting; an empty key is
    // stored empty and matches nothing.
    for (const char* key : {"1", "2", "12", "1*2", "%", "", "2%", "#3", "3", "ø4"})
        catalogue.appendRow(schema::actors(),
                            {{"Fornavn", "F"}, {"SkuespillerAutoIncStr", QString::fromUtf8(key)}});
    const std::pair<const char*, const char*> recordings[] = {
        {"A", "*2*"},   {"B", "*12*"}, {"C", "*12**2**1*"}, {"D", "*2**2*"}, {"E", "x*2*y"},
        {"F", "*1*2*"}, {"G", "**"},   {"H", ""},           {"I", "*%*"},    {"J", "#3#"},
        {"K", "*#3*"},  {"L", "*2%*"}, {"M", "2*"},         {"N", "*"},      {"O", "#3##1#"},
        {"A", "*1*"},   {"P", "ø4ø"},  {"Q", "*ø4*"},
    };
    for (const auto& [title, cast] : recordings)
        catalogue.appendRow(schema::recordings(), {{"Titel1", QString::fromUtf8(title)},
                                                   {"Baandnummer", "B1"},
                                                   {"SkuespillereListe", QString::fromUtf8(cast)}});
    std::shared_ptr<Database> database = catalogue.session().database(kAlias);
    const QStringList columns{"Titel1", "SkuespillerAutoIncStr", "SkuespillereListe",
                              "SkuespillerAutoInc", "VideoAutoInc"};
    try {
        const TranslatedSql fast = translateOn(*database, {split});
        const TranslatedSql slow = translateOn(*database, {pairwise});
        QVERIFY(fast.sql.contains(QStringLiteral("sb_segments")));
        QVERIFY(!slow.sql.contains(QStringLiteral("sb_segments")));
        QVERIFY(!fast.keysSql.isEmpty());
        QCOMPARE(fast.columns.size(), slow.columns.size());
        const QStringList expected = rowsOf(*database, slow, columns);
        QCOMPARE(!expected.isEmpty(), found);
        QCOMPARE(rowsOf(*database, fast, columns), expected);
        QCOMPARE(hitsOf(*database, {split}, columns), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

void TestSqlTokenJoin::segments_data() {
    QTest::addColumn<QVariant>("text");
    QTest::addColumn<QVariant>("delimiter");
    QTest::addColumn<QVariant>("keys");
    QTest::addColumn<QStringList>("found"); // piece/row
    const QVariant keys(R"([["3",30],["12",120],["",1],["12",121],["2",20],["æ",7]])");
    const QVariant null(QMetaType::fromType<QString>());
    QTest::newRow("cast list") << QVariant("*3**12*") << QVariant("*") << keys
                               << QStringList{"3/30", "/1", "12/120", "12/121"};
    QTest::newRow("outer pieces left out")
        << QVariant("3*2*4") << QVariant("*") << keys << QStringList{"2/20"};
    QTest::newRow("each piece once")
        << QVariant("*2**2**2*") << QVariant("*") << keys << QStringList{"2/20", "/1"};
    QTest::newRow("no key") << QVariant("*4*5*") << QVariant("*") << keys << QStringList{};
    QTest::newRow("one delimiter") << QVariant("*12") << QVariant("*") << keys << QStringList{};
    QTest::newRow("empty text") << QVariant("") << QVariant("*") << keys << QStringList{};
    QTest::newRow("null text") << null << QVariant("*") << keys << QStringList{};
    QTest::newRow("empty delimiter") << QVariant("*3*") << QVariant("") << keys << QStringList{};
    QTest::newRow("null delimiter") << QVariant("*3*") << null << keys << QStringList{};
    QTest::newRow("null keys") << QVariant("*3*") << QVariant("*") << null << QStringList{};
    QTest::newRow("keys not a list")
        << QVariant("*3*") << QVariant("*") << QVariant("{\"3\": 30}") << QStringList{};
    QTest::newRow("longer delimiter")
        << QVariant("ab2ab3ab") << QVariant("ab") << keys << QStringList{"2/20", "3/30"};
    QTest::newRow("Danish letters")
        << QVariant("ø2øæøå") << QVariant("ø") << keys << QStringList{"2/20", "æ/7"};
    QTest::newRow("a number") << QVariant(qint64(1020301)) << QVariant("0") << keys
                              << QStringList{"2/20", "3/30"};
}

void TestSqlTokenJoin::segments() {
    QFETCH(QVariant, text);
    QFETCH(QVariant, delimiter);
    QFETCH(QVariant, keys);
    QFETCH(QStringList, found);
    try {
        Statement st(m_sample->database().handle(),
                     QStringLiteral("SELECT value, keyrow FROM sb_segments(?1, ?2, ?3)"));
        st.bind(1, text);
        st.bind(2, delimiter);
        st.bind(3, keys);
        QStringList rows;
        while (st.step())
            rows << st.text(0) + u'/' + st.text(1);
        QCOMPARE(rows, found);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestSqlTokenJoin)
#include "tst_sql_token_join.moc"

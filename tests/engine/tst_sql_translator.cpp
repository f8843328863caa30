// Statements of the local SQL dialect run on a small catalogue: searches, report, the rest of the
// dialect.

#include "sql_fixture.h"

using namespace engine;
using namespace sqlfixture;

class TestSqlTranslator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_sample = std::make_unique<SampleCatalogue>(); }
    void cleanupTestCase() { m_sample.reset(); }
    void runs_data();
    void runs();
    void constantsAreBound();
    void resultColumns();
    void namedParameters();
    void orderBy_data();
    void orderBy();
    void hitsOrderedAsStoredValues_data();
    void hitsOrderedAsStoredValues();

private:
    std::unique_ptr<SampleCatalogue> m_sample;
};

void TestSqlTranslator::runs_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("expected");
    const QStringList titles{QStringLiteral("Titel1")};

    // The general search: titles, director and tape name.
    QTest::newRow("titles «alien»")
        << QStringList{"SELECT * FROM \"spolebox.db\"",
                       "Where UPPER(titel1) LIKE \"%ALIEN%\" OR UPPER(titel2) LIKE \"%ALIEN%\"",
                       "ORDER BY titel1"}
        << QString() << titles << QStringList{"Alien", "Aliens", "Det forsømte forår"};
    QTest::newRow("titles «forår»")
        << QStringList{"SELECT * FROM \"spolebox.db\"",
                       "Where UPPER(titel1) LIKE \"%FORÅR%\" OR UPPER(titel2) LIKE \"%FORÅR%\"",
                       "ORDER BY titel1"}
        << QString() << titles << QStringList{"Det forsømte forår"};
    QTest::newRow("director «scott»")
        << QStringList{"SELECT * FROM \"spolebox.db\"", "Where UPPER(instruktor) LIKE \"%SCOTT%\"",
                       "ORDER BY titel1"}
        << QString() << titles << QStringList{"Alien", "Blade Runner"};
    QTest::newRow("director, one letter «ø»")
        << QStringList{"SELECT * FROM \"spolebox.db\"", "Where UPPER(instruktor) LIKE \"%Ø%\"",
                       "ORDER BY titel1"}
        << QString() << titles << QStringList{"Det forsømte forår"};
    QTest::newRow("tape «b12»") << QStringList{"SELECT * FROM \"spolebox.db\"",
                                               "Where UPPER(Baandnummer) LIKE \"B12\"",
                                               "ORDER BY titel1"}
                                << QString() << QStringList{"Titel1", "Baandnummer"}
                                << QStringList{"Alien/B12", "Blade Runner/b12"};
    QTest::newRow("tape «b1%»") << QStringList{"SELECT * FROM \"spolebox.db\"",
                                               "Where UPPER(Baandnummer) LIKE \"B1%\"",
                                               "ORDER BY titel1"}
                                << QString() << titles
                                << QStringList{"Alien", "Aliens", "Blade Runner", "Zorro"};
    QTest::newRow("tape, underscore is no wildcard")
        << QStringList{"SELECT * FROM \"spolebox.db\"", "Where UPPER(Baandnummer) LIKE \"B_2\"",
                       "ORDER BY titel1"}
        << QString() << titles << QStringList{};

    // The actor search: five fixed lines, the parameter twice.
    const QStringList actorSearch{
        "SELECT * FROM \"skuespillere.db\" , \"spolebox.db\"",
        "WHERE SkuespillereListe LIKE \"%*\" + SkuespillerAutoIncStr + \"*%\" AND",
        "(UPPER(efternavn) LIKE :text OR", "UPPER(fornavn) LIKE :text)", "ORDER BY Titel1"};
    QTest::newRow("actors «hansen»")
        << actorSearch << QStringLiteral("%HANSEN%") << QStringList{"Titel1", "Efternavn"}
        << QStringList{"Alien/Ryg", "Blade Runner/Hansen", "Blade Runner/Ryg",
                       "Det forsømte forår/Hansen"};
    QTest::newRow("actor 2 is not in *12*")
        << actorSearch << QStringLiteral("%RYG%") << QStringList{"Titel1", "SkuespillerAutoInc"}
        << QStringList{"Alien/2", "Blade Runner/2"};
    QTest::newRow("actor 12 is") << actorSearch << QStringLiteral("%EFTERNAVN12%")
                                 << QStringList{"Titel1"} << QStringList{"Aliens", "Blade Runner"};
    QTest::newRow("actor in no cast")
        << actorSearch << QStringLiteral("%EFTERNAVN5%") << QStringList{"Titel1"} << QStringList{};

    // The overview report.
    QTest::newRow("report, groups 1 and 3 by tape")
        << QStringList{"SELECT * FROM \"Spolebox.db\"", "WHERE gruppe=1", "OR gruppe=3",
                       "ORDER BY baandnummer"}
        << QString() << QStringList{"Baandnummer"} << QStringList{"A1", "B12", "B123", "Ø1"};
    QTest::newRow("report, one group by category")
        << QStringList{"SELECT * FROM \"Spolebox.db\"", "WHERE gruppe=2", "ORDER BY kategori"}
        << QString() << QStringList{"Kategori"} << QStringList{"Eventyr", "Science fiction"};
    QTest::newRow("report, no group line")
        << QStringList{"SELECT * FROM \"Spolebox.db\"", "ORDER BY titel1"} << QString() << titles
        << QStringList{"Alien", "Aliens", "Blade Runner", "Det forsømte forår", "Zorro", "Ådalen"};
    QTest::newRow("report, no sort line")
        << QStringList{"SELECT * FROM \"Spolebox.db\"", "WHERE gruppe=3"} << QString() << titles
        << QStringList{"Aliens", "Ådalen"};

    // The rest of the dialect.
    QTest::newRow("keywords and names in any case")
        << QStringList{"select * from \"SPOLEBOX.DB\" where TITEL1 = 'Alien' order by TiTeL1"}
        << QString() << titles << QStringList{"Alien"};
    QTest::newRow("single-quoted text")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE titel1 = 'Zorro'"} << QString()
        << titles << QStringList{"Zorro"};
    QTest::newRow("double quote inside single quotes")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE titel1 <> 'a\"b'"} << QString()
        << QStringList{"VideoAutoInc"} << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("column named by its table")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE \"SPOLEBOX.db\".titel1 = 'Zorro'"}
        << QString() << titles << QStringList{"Zorro"};
    QTest::newRow("comparison is case-sensitive")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE baandnummer = 'B12'"} << QString()
        << titles << QStringList{"Alien"};
    QTest::newRow("numbers")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE gruppe >= 2 AND gruppe < 3"}
        << QString() << titles << QStringList{"Blade Runner", "Zorro"};
    QTest::newRow("numbers added")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE gruppe = 1 + 2 ORDER BY titel1"}
        << QString() << titles << QStringList{"Aliens", "Ådalen"};
    QTest::newRow("negative number")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE gruppe > -1 AND gruppe <= 1"}
        << QString() << titles << QStringList{"Alien", "Det forsømte forår"};
    QTest::newRow("text joined")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE titel1 = 'Ali' + \"en\" + 's'"}
        << QString() << titles << QStringList{"Aliens"};
    QTest::newRow("not, and, or, parentheses")
        << QStringList{"SELECT * FROM \"spolebox.db\"",
                       "WHERE NOT (gruppe = 1 OR gruppe = 3) AND (titel1 LIKE 'Z%')"}
        << QString() << titles << QStringList{"Zorro"};
    QTest::newRow("not like")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE titel1 NOT LIKE '%e%' ORDER BY titel1"}
        << QString() << titles << QStringList{"Zorro"};
    QTest::newRow("and binds tighter than or")
        << QStringList{"SELECT * FROM \"spolebox.db\"",
                       "WHERE gruppe = 2 OR gruppe = 1 AND titel1 = 'Alien' ORDER BY titel1"}
        << QString() << titles << QStringList{"Alien", "Blade Runner", "Zorro"};
    // An empty field is stored empty (null), and matches no pattern, not even "%".
    QTest::newRow("empty field matches no LIKE")
        << QStringList{"SELECT * FROM \"spolebox.db\" WHERE UPPER(instruktor) LIKE '%'"}
        << QString() << titles
        << QStringList{"Alien", "Aliens", "Blade Runner", "Det forsømte forår", "Ådalen"};
    QTest::newRow("upper-cased, not like; an empty field matches neither way")
        << QStringList{"SELECT * FROM \"spolebox.db\"",
                       "WHERE UPPER(instruktor) NOT LIKE '%SCOTT%' ORDER BY titel1"}
        << QString() << titles << QStringList{"Aliens", "Det forsømte forår", "Ådalen"};
    QTest::newRow("unordered: the table's own order")
        << QStringList{"SELECT * FROM \"spolebox.db\""} << QString() << QStringList{"Titel1"}
        << QStringList{"Alien", "Aliens", "Blade Runner", "Det forsømte forår", "Ådalen", "Zorro"};
}

void TestSqlTranslator::runs() {
    QFETCH(QStringList, lines);
    QFETCH(QString, text);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, expected);
    try {
        QCOMPARE(m_sample->run(lines, columns, text), expected);
        QCOMPARE(m_sample->hits(lines, columns, text), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

void TestSqlTranslator::constantsAreBound() {
    const TranslatedSql t = m_sample->translate(
        {"SELECT * FROM \"spolebox.db\"",
         "Where UPPER(titel1) LIKE \"%ALIEN%\" OR UPPER(titel2) LIKE \"%AL'IEN%\"",
         "ORDER BY titel1"});
    QVERIFY(!t.sql.contains(QStringLiteral("ALIEN")));
    QVERIFY(!t.sql.contains(u'\''));
    QCOMPARE(t.bindings.size(), std::size_t(2));
    QCOMPARE(t.bindings[0].constant, QVariant(QStringLiteral("%ALIEN%")));
    QCOMPARE(t.bindings[1].constant, QVariant(QStringLiteral("%AL'IEN%")));
    QVERIFY(t.sql.contains(QStringLiteral("COLLATE DANISH")));

    const TranslatedSql numbers =
        m_sample->translate({"SELECT * FROM \"spolebox.db\" WHERE gruppe=1"});
    QCOMPARE(numbers.bindings.size(), std::size_t(1));
    QCOMPARE(numbers.bindings[0].constant, QVariant(qint64(1)));
}

void TestSqlTranslator::resultColumns() {
    const TranslatedSql t =
        m_sample->translate({"SELECT * FROM \"skuespillere.db\" , \"spolebox.db\""});
    const StoredTable& actors = m_sample->database().table(QStringLiteral("Skuespillere.DB"));
    const StoredTable& recordings = m_sample->database().table(QStringLiteral("Spolebox.DB"));
    QCOMPARE(t.columns.size(), actors.fields.size() + recordings.fields.size());
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const FieldDef& expected = i < actors.fields.size()
                                       ? actors.fields[i]
                                       : recordings.fields[i - actors.fields.size()];
        QCOMPARE(t.columns[i].name, expected.name);
        QCOMPARE(t.columns[i].type, expected.type);
        QCOMPARE(t.columns[i].size, expected.size);
    }
    QVERIFY(t.bindings.empty());
}

void TestSqlTranslator::namedParameters() {
    const TranslatedSql t = m_sample->translate(
        {"SELECT * FROM \"skuespillere.db\" , \"spolebox.db\"",
         "WHERE SkuespillereListe LIKE \"%*\" + SkuespillerAutoIncStr + \"*%\" AND",
         "(UPPER(efternavn) LIKE :text OR", "UPPER(fornavn) LIKE :Text)", "ORDER BY Titel1"});
    QStringList names;
    for (const auto& bindings : {t.bindings, t.keysBindings}) {
        for (const auto& binding : bindings) {
            if (!binding.parameterName.isEmpty())
                names << binding.parameterName;
            else
                QVERIFY(binding.keys || !binding.constant.isNull());
        }
    }
    // Each as written, however often the statement is written out.
    QVERIFY(names.contains(QStringLiteral("text")));
    QVERIFY(names.contains(QStringLiteral("Text")));
    names.removeAll(QStringLiteral("text"));
    names.removeAll(QStringLiteral("Text"));
    QVERIFY(names.isEmpty());
}

void TestSqlTranslator::orderBy_data() {
    QTest::addColumn<QString>("orderBy");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("text, Danish") << "ORDER BY titel1"
                                  << QStringList{"Alien",        "Aliens",
                                                 "Blade Runner", "Det forsømte forår",
                                                 "Zorro",        "Ådalen"};
    QTest::newRow("text, descending")
        << "ORDER BY titel1 DESC"
        << QStringList{"Ådalen", "Zorro", "Det forsømte forår", "Blade Runner", "Aliens", "Alien"};
    QTest::newRow("text, ascending")
        << "order by TITEL1 asc"
        << QStringList{"Alien", "Aliens", "Blade Runner", "Det forsømte forår", "Zorro", "Ådalen"};
    QTest::newRow("number, ties in table order")
        << "ORDER BY gruppe"
        << QStringList{"Alien", "Det forsømte forår", "Blade Runner", "Zorro", "Aliens", "Ådalen"};
    QTest::newRow("tape names ignoring case")
        << "ORDER BY Baandnummer"
        << QStringList{"Ådalen", "Zorro", "Alien", "Blade Runner", "Aliens", "Det forsømte forår"};
}

void TestSqlTranslator::orderBy() {
    QFETCH(QString, orderBy);
    QFETCH(QStringList, expected);
    QCOMPARE(m_sample->run({"SELECT * FROM \"spolebox.db\"", orderBy}, {"Titel1"}), expected);
    QCOMPARE(m_sample->hits({"SELECT * FROM \"spolebox.db\"", orderBy}, {"Titel1"}), expected);
}

// Other programs may store any kind of value in any column: hits put in order by their ids
// come in SQLite's own order all the same.
void TestSqlTranslator::hitsOrderedAsStoredValues_data() {
    QTest::addColumn<QString>("orderBy");
    for (const char* order : {"titel1", "titel1 DESC", "gruppe", "gruppe DESC", "Baandlaengde"})
        QTest::newRow(order) << QString::fromLatin1(order);
}

void TestSqlTranslator::hitsOrderedAsStoredValues() {
    QFETCH(QString, orderBy);
    TempCatalogue catalogue;
    QVERIFY2(catalogue.isValid(), qPrintable(catalogue.errorString()));
    std::shared_ptr<Database> database = catalogue.session().database(kAlias);
    // SQLite expressions: every kind, equal values of different kinds, numbers a double
    // cannot tell apart, texts equal but for letter case, a NUL character.
    const QStringList values{"NULL",
                             "'b'",
                             "'B'",
                             "'å'",
                             "'Æble'",
                             "'a' || char(0)",
                             "''",
                             "9223372036854775807",
                             "9223372036854775806.0",
                             "-3",
                             "-2.5",
                             "2",
                             "2.0",
                             "x'00ff'",
                             "x''",
                             "'b'",
                             "1e300",
                             "'10'",
                             "10",
                             "NULL"};
    const QString column = orderBy.section(u' ', 0, 0);
    const QStringList lines{"SELECT * FROM \"spolebox.db\" ORDER BY " + orderBy};
    try {
        const QString table = database->table(QStringLiteral("Spolebox.DB")).qualifiedName();
        for (const QString& value : values) {
            const qint64 id =
                catalogue.appendRow(schema::recordings(), {{"Titel1", "x"}, {"Baandnummer", "B1"}});
            Statement set(database->handle(),
                          QStringLiteral("UPDATE %1 SET %2 = %3 WHERE VideoAutoInc = %4")
                              .arg(table, column, value)
                              .arg(id));
            set.step();
        }
        const QStringList expected =
            rowsOf(*database, translateOn(*database, lines), {"VideoAutoInc"});
        QCOMPARE(expected.size(), values.size());
        QCOMPARE(hitsOf(*database, lines, {"VideoAutoInc"}), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestSqlTranslator)
#include "tst_sql_translator.moc"

// What the local SQL refuses, with a message naming the place, and what SQLite must still accept.

#include "sql_fixture.h"

using namespace engine;
using namespace sqlfixture;

class TestSqlLimits : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_sample = std::make_unique<SampleCatalogue>(); }
    void cleanupTestCase() { m_sample.reset(); }
    void rejects_data();
    void rejects();
    void messageNamesThePlace();
    void deepestStatementsRunInSQLite_data();
    void deepestStatementsRunInSQLite();
    void reportOfManyGroups_data();
    void reportOfManyGroups();
    void equalityChainsMatchEachTest_data();
    void equalityChainsMatchEachTest();
    void longChainsRun_data();
    void longChainsRun();

private:
    std::unique_ptr<SampleCatalogue> m_sample;
};

void TestSqlLimits::rejects_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const QString& sql, const char* message) {
        QTest::newRow(name) << sql << QString::fromUtf8(message);
    };
    const QString from = QStringLiteral("SELECT * FROM \"spolebox.db\" ");
    row("empty", QString(), "SELECT expected, but found the end of the statement");
    row("blank", QStringLiteral(" \n "), "SELECT expected");
    row("other statement", QStringLiteral("DELETE FROM \"spolebox.db\""), "SELECT expected");
    row("column list", QStringLiteral("SELECT titel1 FROM \"spolebox.db\""), "'*' (all columns)");
    row("no FROM", QStringLiteral("SELECT *"), "FROM expected");
    row("table without quotes", QStringLiteral("SELECT * FROM spolebox"),
        "table file name in double quotes");
    row("table in single quotes", QStringLiteral("SELECT * FROM 'spolebox.db'"),
        "table file name in double quotes");
    row("missing table", QStringLiteral("SELECT * FROM \"nosuch.db\""), "nosuch.db");
    row("three tables", from + QStringLiteral(", \"Bånd.db\", \"Kategori.db\""),
        "follows the end of the statement");
    row("same table twice", from + QStringLiteral(", \"SPOLEBOX.DB\""), "named twice");
    row("semicolon", from + QStringLiteral("; DROP TABLE x"), "only one statement");
    row("unknown column", from + QStringLiteral("WHERE nosuch = 1"), "unknown column nosuch");
    row("column in both tables", from + QStringLiteral(", \"Bånd.db\" WHERE Baandlaengde = '1'"),
        "in both tables");
    row("table not in FROM", from + QStringLiteral("WHERE \"bånd.db\".Baandlaengde = '1'"),
        "not named in FROM");
    row("unbalanced open", from + QStringLiteral("WHERE (titel1 = 'a'"), "')' expected");
    row("unbalanced close", from + QStringLiteral("WHERE titel1 = 'a')"), "')' follows the end");
    row("unterminated single", from + QStringLiteral("WHERE titel1 = 'a"), "no closing quote");
    row("unterminated double", from + QStringLiteral("WHERE titel1 = \"a"),
        "no closing double quote");
    row("quote in the search text",
        from +
            QStringLiteral("Where UPPER(titel1) LIKE \"%12\"%\" OR UPPER(titel2) LIKE \"%12\"%\""),
        "unexpected character '%'");
    row("two sort columns", from + QStringLiteral("ORDER BY titel1, titel2"), "follows the end");
    row("sort without BY", from + QStringLiteral("ORDER titel1"), "BY expected");
    row("sort by an expression", from + QStringLiteral("ORDER BY UPPER(titel1)"),
        "a column name expected");
    row("trailing word", from + QStringLiteral("ORDER BY titel1 titel2"), "follows the end");
    row("value as condition", from + QStringLiteral("WHERE titel1"), "a condition expected");
    row("number as condition", from + QStringLiteral("WHERE 1"), "a condition expected");
    row("condition as value", from + QStringLiteral("WHERE UPPER(titel1 = 'a') = 'A'"),
        "a value expected");
    row("condition compared", from + QStringLiteral("WHERE (titel1 = 'a') = 'b'"),
        "a value expected");
    row("condition joined", from + QStringLiteral("WHERE titel1 = 'a' + (titel2 = 'b')"),
        "a value expected");
    row("chained comparison", from + QStringLiteral("WHERE gruppe = 1 = 1"), "follows the end");
    row("unknown function", from + QStringLiteral("WHERE LOWER(titel1) = 'a'"),
        "unknown function LOWER");
    row("UPPER without parentheses", from + QStringLiteral("WHERE UPPER titel1 = 'A'"),
        "'(' after UPPER expected");
    row("missing value", from + QStringLiteral("WHERE titel1 = "), "a column, a text");
    row("dangling AND", from + QStringLiteral("WHERE titel1 = 'a' AND"), "a column, a text");
    row("keyword as column", from + QStringLiteral("WHERE ORDER = 1"), "a column, a text");
    row("bare colon", from + QStringLiteral("WHERE titel1 = :"), "a parameter name must follow");
    row("stray character", from + QStringLiteral("WHERE titel1 = 'a' # 1"),
        "unexpected character '#'");
    row("control character", from + QStringLiteral("WHERE titel1 = \x01"),
        "unexpected character 'U+0001'");
    row("minus before a column", from + QStringLiteral("WHERE gruppe = -gruppe"),
        "a column, a text");
    row("digits of another script", from + QStringLiteral("WHERE gruppe = \u0663"),
        "unexpected character");
    row("huge number",
        from + QStringLiteral("WHERE gruppe = 1%1").arg(QString(400, u'0')) + QStringLiteral(".5"),
        "out of range");
    row("too long",
        from + QStringLiteral("WHERE gruppe = 1") +
            QStringLiteral(" OR gruppe = 1").repeated(250000),
        "Forespørgslen er for stor til at kunne udføres");
    row("too many constants",
        from + QStringLiteral("WHERE titel1 LIKE 'a'") +
            QStringLiteral(" OR titel1 LIKE 'a'").repeated(40000),
        "more than 32766 texts, numbers and parameters");
    row("too many terms joined",
        from + QStringLiteral("WHERE titel1 = 'a'") + QStringLiteral(" + 'a'").repeated(1000),
        "too many terms joined by +");
    row("nested too deeply",
        from + QStringLiteral("WHERE ") + QString(1000, u'(') + QStringLiteral("gruppe = 1") +
            QString(1000, u')'),
        "nested too deeply");
    row("NOT nested too deeply",
        from + QStringLiteral("WHERE ") + QStringLiteral("NOT ").repeated(1000) +
            QStringLiteral("gruppe = 1"),
        "nested too deeply");
}

void TestSqlLimits::rejects() {
    QFETCH(QString, sql);
    QFETCH(QString, message);
    try {
        const TranslatedSql t = m_sample->translate(sql.split(u'\n'));
        QFAIL(qPrintable(QStringLiteral("accepted as: ") + t.sql));
    } catch (const Error& e) {
        const QString text = e.message() + u'\n' + e.detail();
        QVERIFY2(text.contains(message), qPrintable(text));
    }
}

void TestSqlLimits::messageNamesThePlace() {
    try {
        m_sample->translate({"SELECT * FROM \"spolebox.db\"", "WHERE titel3 = 'x'"});
        QFAIL("accepted");
    } catch (const Error& e) {
        QCOMPARE(e.message(),
                 QStringLiteral("SQL error at line 2, column 7: unknown column titel3"));
    }
}

void TestSqlLimits::deepestStatementsRunInSQLite_data() {
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QString>("middle");
    QTest::addColumn<QString>("closing");
    QTest::addColumn<QString>("suffix");
    // WHERE prefix, n openings, middle, n closings, suffix: n grows until it is refused.
    const auto row = [](const char* name, const char* prefix, const char* opening,
                        const char* middle, const char* closing, const char* suffix) {
        QTest::newRow(name) << QString::fromUtf8(prefix) << QString::fromUtf8(opening)
                            << QString::fromUtf8(middle) << QString::fromUtf8(closing)
                            << QString::fromUtf8(suffix);
    };
    row("NOT", "", "NOT ", "gruppe = 1", "", "");
    row("parentheses", "", "(", "gruppe = 1", ")", "");
    row("UPPER", "", "UPPER(", "titel1", ")", " LIKE 'A'");
    row("nested OR and AND", "", "(gruppe = 1 OR gruppe = 2 AND NOT (", "titel1 LIKE 'x'", "))",
        "");
    row("joins", "titel1 = ", "'a' + ('b' + ", "'c'", ")", "");
    row("patterns", "titel1 LIKE ", "UPPER('%' + ", "titel2", ")", "");
    row("numbers", "gruppe = ", "1 + (2 + ", "3", ")", "");
    row("tests of one column", "", "(gruppe = 1 OR gruppe = 2 OR ", "titel1 LIKE 'x'", ")", "");
    const QByteArray fifty = QByteArray(" OR titel1 LIKE 'a'").repeated(49) + ')';
    row("chains of fifty, the deep term first", "", "(", "gruppe = 1", fifty.constData(), "");
    const QByteArray sixty = QByteArray(" AND titel1 LIKE 'a'").repeated(59) + ')';
    row("chains of sixty, the deep term first", "", "(", "gruppe = 1", sixty.constData(), "");
    row("join chain", "titel1 = ", "'a' + ", "'b'", "", "");
    row("sum chain", "gruppe = ", "1 + ", "2", "", "");
}

void TestSqlLimits::deepestStatementsRunInSQLite() {
    QFETCH(QString, prefix);
    QFETCH(QString, opening);
    QFETCH(QString, middle);
    QFETCH(QString, closing);
    QFETCH(QString, suffix);
    // Alone, and beside a cast-list join, which is written out as more statements.
    const QStringList heads{
        "SELECT * FROM \"spolebox.db\" WHERE ",
        "SELECT * FROM \"skuespillere.db\" , \"spolebox.db\" WHERE SkuespillereListe LIKE "
        "'%*' + SkuespillerAutoIncStr + '*%' AND "};
    for (const QString& head : heads) {
        int accepted = 0;
        for (int n = 1; n <= 400; ++n) {
            const QString where =
                prefix + opening.repeated(n) + middle + closing.repeated(n) + suffix;
            TranslatedSql t;
            try {
                t = m_sample->translate({head + where});
            } catch (const Error& e) {
                QVERIFY2(e.message().contains(QStringLiteral("too deeply")) ||
                             e.message().contains(QStringLiteral("too many terms")),
                         qPrintable(e.message()));
                break;
            }
            accepted = n;
            try {
                Statement st(m_sample->database().handle(), t.sql);
                if (!t.keysSql.isEmpty())
                    Statement keys(m_sample->database().handle(), t.keysSql);
            } catch (const Error& e) {
                QFAIL(qPrintable(QStringLiteral("n = %1: %2").arg(n).arg(e.message())));
            }
        }
        // The join takes a level of its own.
        QVERIFY(accepted >= 4);
        QVERIFY2(accepted < 400, "never refused");
    }
}

namespace {

// The report's statement as it builds it, line by line: one line per ticked group.
QStringList reportLines(const QList<int>& groups, const QString& sortLine) {
    QStringList lines{QStringLiteral("SELECT * FROM \"Spolebox.db\"")};
    for (int group : groups)
        lines << (lines.size() == 1 ? QStringLiteral("WHERE gruppe=")
                                    : QStringLiteral("OR gruppe=")) +
                     QString::number(group);
    lines << sortLine;
    return lines;
}

QList<int> range(int from, int to) {
    QList<int> numbers;
    for (int n = from; n <= to; ++n)
        numbers << n;
    return numbers;
}

} // namespace

// Every group starts ticked, so the report's statement has as many lines as the catalogue
// has groups.
void TestSqlLimits::reportOfManyGroups_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");
    const QString byTape = QStringLiteral("ORDER BY baandnummer");
    const QStringList all{"A1", "B1", "B12", "b12", "B123", "Ø1"};
    QTest::newRow("125 groups") << reportLines(range(1, 125), byTape) << all;
    QTest::newRow("1,000 groups") << reportLines(range(1, 1000), byTape) << all;
    QTest::newRow("10,000 groups") << reportLines(range(1, 10000), byTape) << all;
    QTest::newRow("10,000 groups, in reverse, without group 3")
        << reportLines(range(4, 10003) << 2 << 1, byTape) << QStringList{"B1", "B12", "b12", "Ø1"};
    QTest::newRow("10,000 groups, none of the catalogue's")
        << reportLines(range(4, 10003), byTape) << QStringList{};
}

void TestSqlLimits::reportOfManyGroups() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);
    try {
        QCOMPARE(m_sample->run(lines, {"Baandnummer"}), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

// Tests of one column against several constants are run as one membership test; each
// constant written as a sum or a joined text is compared one by one. Both must find the
// same rows: the same type conversions, the same letter case rules.
void TestSqlLimits::equalityChainsMatchEachTest_data() {
    QTest::addColumn<QString>("grouped");
    QTest::addColumn<QString>("oneByOne");
    const auto row = [](const char* name, const char* where, const char* oneByOne) {
        const QString from = QStringLiteral("SELECT * FROM \"spolebox.db\" WHERE ");
        QTest::newRow(name) << from + QString::fromUtf8(where)
                            << from + QString::fromUtf8(oneByOne);
    };
    row("numbers", "gruppe = 1 OR gruppe = 3", "gruppe = 1 + 0 OR gruppe = 3 + 0");
    row("constant first", "1 = gruppe OR 3 = gruppe", "1 + 0 = gruppe OR 3 + 0 = gruppe");
    row("texts for a number", "gruppe = '1' OR gruppe = '3'",
        "gruppe = '1' + '' OR gruppe = '3' + ''");
    row("fractions", "gruppe = 1.0 OR gruppe = 2.5 OR gruppe = 3.00",
        "gruppe = 1.0 + 0 OR gruppe = 2.5 + 0 OR gruppe = 3.00 + 0");
    row("numbers for a text", "baandnummer = 1 OR baandnummer = 1.0 OR kategori = 2",
        "baandnummer = 1 + 0 OR baandnummer = 1.0 + 0 OR kategori = 2 + 0");
    row("letter case", "baandnummer = 'B12' OR baandnummer = 'a1' OR baandnummer = 'ø1'",
        "baandnummer = 'B12' + '' OR baandnummer = 'a1' + '' OR baandnummer = 'ø1' + ''");
    row("odd characters",
        "titel1 = 'a\"b\\' OR titel1 = 'Zorro' OR titel1 = '\t{[' OR titel1 = 'Ådalen'",
        "titel1 = 'a\"b\\' + '' OR titel1 = 'Zorro' + '' OR titel1 = '\t{[' + '' OR titel1 = "
        "'Ådalen' + ''");
    row("two columns interleaved",
        "gruppe = 1 OR kategori = 'Drama' OR gruppe = 2 OR kategori = 'Action'",
        "gruppe = 1 + 0 OR kategori = 'Drama' + '' OR gruppe = 2 + 0 OR kategori = 'Action' + ''");
    row("beside other tests",
        "gruppe = 1 OR titel1 LIKE 'Z%' OR gruppe = 3 AND titel1 <> 'Aliens' OR gruppe = 3",
        "gruppe = 1 + 0 OR titel1 LIKE 'Z%' OR gruppe = 3 AND titel1 <> 'Aliens' OR gruppe = 3 + "
        "0");
    row("negated", "NOT (gruppe = 1 OR gruppe = 3)", "NOT (gruppe = 1 + 0 OR gruppe = 3 + 0)");
    row("empty fields", "instruktor = '' OR instruktor = 'Bo Widerberg'",
        "instruktor = '' + '' OR instruktor = 'Bo Widerberg' + ''");
}

void TestSqlLimits::equalityChainsMatchEachTest() {
    QFETCH(QString, grouped);
    QFETCH(QString, oneByOne);
    const QStringList columns{"VideoAutoInc"};
    try {
        const QStringList expected = m_sample->run({oneByOne}, columns);
        QCOMPARE(m_sample->run({grouped}, columns), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

// Chains of any length run, whatever SQLite's own limit on the depth of an expression.
void TestSqlLimits::longChainsRun_data() {
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("expected");
    const QString recordings = QStringLiteral("SELECT * FROM \"spolebox.db\" WHERE ");
    const QString actorSearch = QStringLiteral(
        "SELECT * FROM \"skuespillere.db\" , \"spolebox.db\" WHERE SkuespillereListe LIKE "
        "'%*' + SkuespillerAutoIncStr + '*%' AND ");
    const auto chain = [](const QString& term, const QString& op, int from, int to) {
        QStringList terms;
        for (int n = from; n <= to; ++n)
            terms << term.arg(n);
        return terms.join(op);
    };
    const QString titleIs = QStringLiteral("titel1 LIKE 'Title %1'");
    QTest::newRow("OR of 2,000 patterns") << recordings
                                          << chain(titleIs, QStringLiteral(" OR "), 1, 2000) +
                                                 QStringLiteral(" OR titel1 LIKE 'Zorro'")
                                          << QStringList{"Zorro"};
    QTest::newRow("AND of 2,000 tests")
        << recordings << chain(QStringLiteral("gruppe <> %1"), QStringLiteral(" AND "), 3, 2002)
        << QStringList{"Alien", "Blade Runner", "Det forsømte forår", "Zorro"};
    QTest::newRow("10,000 tests of two columns")
        << recordings
        << chain(QStringLiteral("gruppe = %1 OR kategori = 'K%1'"), QStringLiteral(" OR "), 2, 5001)
        << QStringList{"Aliens", "Blade Runner", "Ådalen", "Zorro"};
    QTest::newRow("OR of 2,000 inside AND")
        << recordings
        << QStringLiteral("titel1 <> 'Zorro' AND (") +
               chain(titleIs, QStringLiteral(" OR "), 1, 2000) + QStringLiteral(" OR gruppe = 2)")
        << QStringList{"Blade Runner"};
    QTest::newRow("actors, OR of 10,000")
        << actorSearch
        << QStringLiteral("(") +
               chain(QStringLiteral("efternavn = 'E%1'"), QStringLiteral(" OR "), 1, 10000) +
               QStringLiteral(" OR efternavn = 'Ryg')")
        << QStringList{"Alien", "Blade Runner"};
}

void TestSqlLimits::longChainsRun() {
    QFETCH(QString, head);
    QFETCH(QString, where);
    QFETCH(QStringList, expected);
    try {
        QCOMPARE(m_sample->run({head + where, "ORDER BY videoautoinc"}, {"Titel1"}), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestSqlLimits)
#include "tst_sql_limits.moc"

#include "engine/error.h"
#include "engine/filter_expression.h"

#include <QTest>

using namespace engine;

namespace {

// Terms written as field|value|prefix, for compact table rows.
QStringList describe(const FilterExpression& expression) {
    QStringList out;
    for (const FilterTerm& term : expression.terms)
        out << term.field + u'|' + term.value + (term.prefix ? QStringLiteral("|*") : QString());
    return out;
}

} // namespace

class TestFilterExpression : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void rejects_data();
    void rejects();
    void quoteRoundTrip_data();
    void quoteRoundTrip();
    void matches_data();
    void matches();
};

void TestFilterExpression::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("terms");
    const auto row = [](const char* name, const char* text, QStringList terms) {
        QTest::newRow(name) << QString::fromUtf8(text) << terms;
    };
    row("one term", "Efternavn = 'Hansen'", {"Efternavn|Hansen"});
    row("no blanks", "Efternavn='Hansen'", {"Efternavn|Hansen"});
    row("prefix", "Efternavn = 'Han*'", {"Efternavn|Han|*"});
    row("only asterisk", "Efternavn = '*'", {"Efternavn||*"});
    row("empty value", "Fornavn = ''", {"Fornavn|"});
    row("two terms", "Efternavn = 'Han*' AND Fornavn = 'Ib'", {"Efternavn|Han|*", "Fornavn|Ib"});
    row("and in any case", "a='1' and b='2' AnD c='3'", {"a|1", "b|2", "c|3"});
    row("and right after the value", "a='1'AND b='2'", {"a|1", "b|2"});
    row("blanks and line breaks", "  a \t=\n '1'  AND\n b = '2' ", {"a|1", "b|2"});
    row("doubled apostrophe", "Efternavn = 'O''Brien'", {"Efternavn|O'Brien"});
    row("apostrophe then asterisk", "Efternavn = 'O''*'", {"Efternavn|O'|*"});
    row("asterisk inside", "Titel1 = 'a*b'", {"Titel1|a*b"});
    row("danish field and value", "Bånd = 'Ærø*'", {"Bånd|Ærø|*"});
    row("double quote is a character", "Titel1 = '12\" tommer'", {"Titel1|12\" tommer"});
    row("blank text", "   ", {});
    row("empty text", "", {});
}

void TestFilterExpression::parse() {
    QFETCH(QString, text);
    QFETCH(QStringList, terms);
    QCOMPARE(describe(parseFilterExpression(text)), terms);
}

void TestFilterExpression::rejects_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* name, const char* text, const char* reason) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(reason);
    };
    row("no field", "= 'x'", "a field name expected");
    row("no equals sign", "Efternavn 'x'", "'=' expected");
    row("other operator", "Efternavn <> 'x'", "'=' expected");
    row("value without quotes", "Efternavn = x", "a value in apostrophes expected");
    row("double-quoted value", "Efternavn = \"x\"", "a value in apostrophes expected");
    row("nothing after equals", "Efternavn =", "a value in apostrophes expected");
    row("unterminated", "Efternavn = 'Hans", "no closing apostrophe");
    row("unterminated after doubled", "Efternavn = 'O''", "no closing apostrophe");
    row("or", "a = '1' OR b = '2'", "AND expected");
    row("trailing and", "a = '1' AND", "missing after AND");
    row("trailing and with blanks", "a = '1' AND  ", "missing after AND");
    row("two values", "a = '1' '2'", "AND expected");
    row("and glued to field", "a = '1' ANDb = '2'", "AND expected");
}

void TestFilterExpression::rejects() {
    QFETCH(QString, text);
    QFETCH(QString, reason);
    try {
        parseFilterExpression(text);
        QFAIL("accepted");
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        QVERIFY2(e.message().contains(text), qPrintable(e.message()));
    }
}

void TestFilterExpression::quoteRoundTrip_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << QStringLiteral("Hansen");
    QTest::newRow("apostrophe") << QStringLiteral("O'Brien");
    QTest::newRow("apostrophes only") << QStringLiteral("''");
    QTest::newRow("empty") << QString();
    QTest::newRow("danish") << QStringLiteral("Ærø");
}

void TestFilterExpression::quoteRoundTrip() {
    QFETCH(QString, value);
    const FilterExpression parsed =
        parseFilterExpression(QStringLiteral("Efternavn = ") + quoteFilterValue(value));
    QCOMPARE(parsed.terms.size(), std::size_t(1));
    QCOMPARE(parsed.terms[0].value, value);
    QVERIFY(!parsed.terms[0].prefix);
}

void TestFilterExpression::matches_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("caseInsensitive");
    QTest::addColumn<bool>("expected");
    const auto row = [](const char* name, const char* filter, const char* value, bool ci,
                        bool expected) {
        QTest::newRow(name) << QString::fromUtf8(filter) << QString::fromUtf8(value) << ci
                            << expected;
    };
    row("equal", "f = 'Hansen'", "Hansen", false, true);
    row("case counts", "f = 'hansen'", "Hansen", false, false);
    row("case ignored", "f = 'hansen'", "HANSEN", true, true);
    row("danish case ignored", "f = 'ærø'", "ÆRØ", true, true);
    row("longer is not equal", "f = 'Han'", "Hansen", false, false);
    row("prefix", "f = 'Han*'", "Hansen", false, true);
    row("prefix, case ignored", "f = 'han*'", "Hansen", true, true);
    row("prefix, case counts", "f = 'han*'", "Hansen", false, false);
    row("prefix, whole value", "f = 'Hansen*'", "Hansen", false, true);
    row("prefix longer than value", "f = 'Hansens*'", "Hansen", false, false);
    row("asterisk alone matches all", "f = '*'", "anything", false, true);
    row("asterisk alone matches empty", "f = '*'", "", false, true);
    row("empty matches empty", "f = ''", "", true, true);
}

void TestFilterExpression::matches() {
    QFETCH(QString, filter);
    QFETCH(QString, value);
    QFETCH(bool, caseInsensitive);
    QFETCH(bool, expected);
    const FilterExpression parsed = parseFilterExpression(filter);
    QCOMPARE(parsed.terms.size(), std::size_t(1));
    QCOMPARE(filterTermMatches(parsed.terms[0], value, caseInsensitive), expected);
}

QTEST_GUILESS_MAIN(TestFilterExpression)
#include "tst_filter_expression.moc"

#include "engine/collation.h"
#include "engine/statement.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <memory>
#include <sqlite3.h>

using namespace engine;

namespace {

struct ConnectionCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;

Connection openMemory() {
    sqlite3* db = nullptr;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return nullptr;
    }
    registerSqlFunctions(db);
    return Connection(db);
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

// How the sort keys of two texts compare, byte by byte.
int keyOrder(std::string_view a, std::string_view b) {
    std::string keyA = "prefix";
    std::string keyB = "prefix";
    appendDanishSortKeyUtf8(a, keyA);
    appendDanishSortKeyUtf8(b, keyB);
    return sign(keyA.compare(keyB));
}

// A text of up to six characters from a mix that exercises every comparison path.
QString randomText(QRandomGenerator& random) {
    static const QString alphabet = QStringLiteral("aAbBzZæÆøØåÅäÄöÖéEeüÜyYß 1-\u0101\u0100\u4e2d");
    const int length = random.bounded(7);
    QString text;
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    return text;
}

} // namespace

class TestCollation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void upper_data();
    void upper();
    void upperAgreesForEveryCharacter();
    void compare_data();
    void compare();
    void compareIsATotalOrderAgreeingWithUtf8();
    void compareInvalidUtf8();
    void like_data();
    void like();
    void likeDoesNotBacktrack();
    void sqlFunctions_data();
    void sqlFunctions();
    void collationOrdersRows();
};

void TestCollation::upper_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const char* text, const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(expected);
    };
    row("ascii", "alien 3", "ALIEN 3");
    row("danish letters", "blåbærgrød", "BLÅBÆRGRØD");
    row("already capitals", "ÆØÅ", "ÆØÅ");
    row("german and french", "straße café", "STRASSE CAFÉ");
    row("y with diaeresis", "ÿ", "\u0178");
    row("beyond latin-1", "\u0101b", "\u0100B");
    row("empty", "", "");
}

void TestCollation::upper() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(danishUpper(text), expected);
    QCOMPARE(QString::fromStdString(danishUpperUtf8(utf8(text))), expected);
}

// The search text is upper-cased by the program and the column by SQLite: both must
// give the same bytes for every character, or a typed text would miss its rows.
void TestCollation::upperAgreesForEveryCharacter() {
    for (char32_t c = 1; c < 0x30000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString text = QStringLiteral("x") + QString::fromUcs4(&c, 1) + QStringLiteral("y");
        const std::string fromUtf8 = danishUpperUtf8(utf8(text));
        const std::string fromQString = utf8(danishUpper(text));
        if (fromUtf8 != fromQString)
            QFAIL(qPrintable(QStringLiteral("U+%1 differs").arg(quint32(c), 4, 16, QChar(u'0'))));
    }
}

void TestCollation::compare_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    const auto row = [](const char* name, const char* a, const char* b, int expected) {
        QTest::newRow(name) << QString::fromUtf8(a) << QString::fromUtf8(b) << expected;
    };
    row("a before b", "a", "B", -1);
    row("case ignored", "Alien", "aLIEN", 0);
    row("danish case ignored", "æble", "ÆBLE", 0);
    row("z before æ", "z", "æ", -1);
    row("æ before ø", "Æ", "ø", -1);
    row("ø before å", "ø", "Å", -1);
    row("å after z", "å", "Z", 1);
    row("ä with æ, before ø", "ä", "ø", -1);
    row("ä with æ, after z", "ä", "z", 1);
    row("ö with ø, before å", "ö", "å", -1);
    row("ä next to æ, not equal", "ä", "æ", -1);
    row("é with e, before f", "é", "f", -1);
    row("é after e", "é", "e", 1);
    row("weight first, accent last", "éa", "eb", -1);
    row("prefix first", "Alien", "Aliens", -1);
    row("empty first", "", "a", -1);
    row("both empty", "", "", 0);
    row("digits before letters", "9", "a", -1);
    row("tape names", "B12", "b123", -1);
    row("greek with iota subscript", "\u1F99", "\u1F91", 0);
    row("kelvin sign", "\u212A", "k", 0);
}

void TestCollation::compare() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(sign(danishCompare(a, b)), expected);
    QCOMPARE(sign(danishCompare(b, a)), -expected);
    QCOMPARE(sign(danishCompareUtf8(utf8(a), utf8(b))), expected);
    QCOMPARE(keyOrder(utf8(a), utf8(b)), expected);
    QCOMPARE(danishEqualsIgnoreCase(a, b), expected == 0);
}

void TestCollation::compareIsATotalOrderAgreeingWithUtf8() {
    QRandomGenerator random(20240501);
    std::vector<QString> texts;
    for (int i = 0; i < 300; ++i)
        texts.push_back(randomText(random));
    for (const QString& a : texts) {
        for (const QString& b : texts) {
            const int ab = sign(danishCompare(a, b));
            QCOMPARE(ab, -sign(danishCompare(b, a)));
            QCOMPARE(sign(danishCompareUtf8(utf8(a), utf8(b))), ab);
            QCOMPARE(keyOrder(utf8(a), utf8(b)), ab);
            // Equal exactly when the texts differ in letter case only.
            QCOMPARE(ab == 0, a.toUpper() == b.toUpper());
        }
    }
    std::sort(texts.begin(), texts.end(),
              [](const QString& a, const QString& b) { return danishCompare(a, b) < 0; });
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i + 1; j < texts.size(); ++j)
            QVERIFY2(danishCompare(texts[i], texts[j]) <= 0,
                     qPrintable(texts[i] + QStringLiteral(" / ") + texts[j]));
    }
}

void TestCollation::compareInvalidUtf8() {
    const std::string a("\xff\xfe", 2);
    const std::string b("\xfe\xff", 2);
    const std::string cut("\xc3", 1);
    const std::string nul("a\0b", 3);
    // Sort keys keep the order of bytes that are no UTF-8, and of NUL characters.
    for (const std::string& x : {a, b, cut, nul, std::string("a"), std::string("\xc3\xa6")}) {
        for (const std::string& y : {a, b, cut, nul, std::string("a"), std::string("\xc3\xa6")})
            QCOMPARE(keyOrder(x, y), sign(danishCompareUtf8(x, y)));
    }
    QVERIFY(danishCompareUtf8(a, b) != 0);
    QCOMPARE(sign(danishCompareUtf8(a, b)), -sign(danishCompareUtf8(b, a)));
    QVERIFY(danishCompareUtf8(cut, "\xc3\xa6") != 0);
    QCOMPARE(danishCompareUtf8(cut, cut), 0);
    QCOMPARE(danishUpperUtf8(cut).size(), std::size_t(3)); // replaced, not read past
}

void TestCollation::like_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");
    const auto row = [](const char* name, const char* text, const char* pattern, bool expected) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(pattern) << expected;
    };
    row("whole text", "B12", "B12", true);
    row("whole text, longer", "B123", "B12", false);
    row("prefix", "B123", "B1%", true);
    row("prefix, exact", "B1", "B1%", true);
    row("anywhere", "THE ALIEN RETURNS", "%ALIEN%", true);
    row("anywhere, missing", "THE ALIENS", "%ALIEN %", false);
    row("case counts", "alien", "%ALIEN%", false);
    row("underscore literal", "abc", "a_c", false);
    row("underscore itself", "a_c", "a_c", true);
    row("cast token 2 in *12*", "*12*", "%*2*%", false);
    row("cast token 12 in *12*", "*3**12*", "%*12*%", true);
    row("cast token first", "*2**12*", "%*2*%", true);
    row("head and tail overlap", "a", "a%a", false);
    row("head and tail", "aXa", "a%a", true);
    row("runs in order", "abc", "%c%a%", false);
    row("runs repeated", "aaa", "%a%a%a%", true);
    row("runs too many", "aa", "%a%a%a%", false);
    row("run before tail", "xab", "%ab%b", false);
    row("run then tail", "xabb", "%ab%b", true);
    row("only wildcard", "", "%", true);
    row("double wildcard", "x", "%%", true);
    row("empty pattern", "x", "", false);
    row("empty both", "", "", true);
    row("danish", "BLÅBÆR", "%ÅB%", true);
    row("quote is a character", "12\" TOMMER", "%2\"%", true);
}

void TestCollation::like() {
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(sqlLike(utf8(text), utf8(pattern)), expected);
}

void TestCollation::likeDoesNotBacktrack() {
    const std::string text(20000, 'a');
    std::string pattern;
    for (int i = 0; i < 200; ++i)
        pattern += "%a";
    QVERIFY(!sqlLike(text, pattern + "%b"));
    QVERIFY(sqlLike(text, pattern + "%"));
}

void TestCollation::sqlFunctions_data() {
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("expected");
    const QVariant null;
    QTest::newRow("upper") << "sb_upper('blåbær')" << QVariant(QStringLiteral("BLÅBÆR"));
    QTest::newRow("upper of beyond latin-1")
        << "sb_upper('\u0101')" << QVariant(QStringLiteral("\u0100"));
    QTest::newRow("upper of null") << "sb_upper(NULL)" << null;
    QTest::newRow("upper of empty") << "sb_upper('')" << QVariant(QString(""));
    QTest::newRow("upper of a number") << "sb_upper(12)" << QVariant(QStringLiteral("12"));
    QTest::newRow("like") << "sb_like('%LI%', 'ALIEN')" << QVariant(qint64(1));
    QTest::newRow("like, no match") << "sb_like('B12', 'B123')" << QVariant(qint64(0));
    QTest::newRow("like of null text") << "sb_like('%', NULL)" << null;
    QTest::newRow("like of null pattern") << "sb_like(NULL, 'x')" << null;
    QTest::newRow("like with a join")
        << "sb_like('%*' || 2 || '*%', '*12*')" << QVariant(qint64(0));
    QTest::newRow("match equal") << "sb_match('Hansen', 'Hansen', 0, 0)" << QVariant(qint64(1));
    QTest::newRow("match case counts")
        << "sb_match('Hansen', 'hansen', 0, 0)" << QVariant(qint64(0));
    QTest::newRow("match case ignored") << "sb_match('Ærø', 'æRØ', 0, 1)" << QVariant(qint64(1));
    QTest::newRow("match prefix") << "sb_match('Hansen', 'Han', 1, 0)" << QVariant(qint64(1));
    QTest::newRow("match prefix, whole") << "sb_match('Han', 'Han', 1, 0)" << QVariant(qint64(1));
    QTest::newRow("match prefix, longer") << "sb_match('Ha', 'Han', 1, 0)" << QVariant(qint64(0));
    QTest::newRow("match prefix, case ignored")
        << "sb_match('øster', 'ØS', 1, 1)" << QVariant(qint64(1));
    QTest::newRow("match not prefix") << "sb_match('Hansen', 'Han', 0, 0)" << QVariant(qint64(0));
    QTest::newRow("match null, empty pattern") << "sb_match(NULL, '', 1, 1)" << QVariant(qint64(1));
    QTest::newRow("match null") << "sb_match(NULL, 'a', 1, 1)" << QVariant(qint64(0));
    QTest::newRow("match a number") << "sb_match(12, '1', 1, 0)" << QVariant(qint64(1));
    QTest::newRow("collation equal ignoring case")
        << "'Alien' = 'aLIEN' COLLATE DANISH" << QVariant(qint64(1));
}

void TestCollation::sqlFunctions() {
    QFETCH(QString, expression);
    QFETCH(QVariant, expected);
    Connection db = openMemory();
    QVERIFY(db);
    Statement st(db.get(), QStringLiteral("SELECT ") + expression);
    QVERIFY(st.step());
    QCOMPARE(st.value(0), expected);
}

void TestCollation::collationOrdersRows() {
    Connection db = openMemory();
    QVERIFY(db);
    Statement create(db.get(), QStringLiteral("CREATE TABLE t (name TEXT)"));
    create.step();
    const QStringList names = {QStringLiteral("Åse"),   QStringLiteral("zebra"),
                               QStringLiteral("ærø"),   QStringLiteral("Anders"),
                               QStringLiteral("Ødis"),  QStringLiteral("bent"),
                               QStringLiteral("ANDERS")};
    for (const QString& name : names) {
        Statement insert(db.get(), QStringLiteral("INSERT INTO t VALUES (?1)"));
        insert.bindText(1, name);
        insert.step();
    }
    Statement select(db.get(),
                     QStringLiteral("SELECT name FROM t ORDER BY name COLLATE DANISH, rowid"));
    QStringList ordered;
    while (select.step())
        ordered << select.text(0);
    QCOMPARE(ordered, QStringList({"Anders", "ANDERS", "bent", "zebra", "ærø", "Ødis", "Åse"}));
}

QTEST_GUILESS_MAIN(TestCollation)
#include "tst_collation.moc"

#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/session.h"
#include "engine/sql_translator.h"
#include "engine/statement.h"
#include "temp_catalogue.h"

#include <QTest>

using namespace engine;

namespace {

const QString kAlias = QString::fromUtf8(schema::kAlias);

struct Recording {
    const char* titel1;
    const char* titel2;
    const char* instruktor;
    const char* baandnummer;
    int gruppe;
    const char* kategori;
    const char* cast;
};

// Actor numbers 1, 2 and 12 matter: the cast token *2* must not be found in *12*.
const Recording kRecordings[] = {
    {"Alien", "", "Ridley Scott", "B12", 1, "Science fiction", "*2*"},
    {"Aliens", "Alien 2", "James Cameron", "B123", 3, "Action", "*12*"},
    {"Blade Runner", "", "Ridley Scott", "b12", 2, "Science fiction", "*12**2**1*"},
    {"Det forsømte forår", "The alien within", "Søren Kragh-Jacobsen", "Ø1", 1, "Komedie", "*1*"},
    {"Ådalen", "", "Bo Widerberg", "A1", 3, "Drama", ""},
    {"Zorro", "", "", "B1", 2, "Eventyr", ""},
};

TranslatedSql translateOn(Database& db, const QStringList& lines) {
    return translateSql(lines.join(u'\n'), [&db](const QString& file) -> const StoredTable& {
        return db.table(file);
    });
}

// Runs a translation with every named parameter set to textParameter; one entry per row,
// the values of the given columns joined by '/'.
QStringList rowsOf(Database& db, const TranslatedSql& translated, const QStringList& columns,
                   const QString& textParameter = QString()) {
    Statement st = prepareTranslated(db.handle(), translated,
                                     [&](const QString&) { return QVariant(textParameter); });
    std::vector<int> indexes;
    for (const QString& name : columns) {
        int found = -1;
        for (std::size_t i = 0; i < translated.columns.size() && found < 0; ++i) {
            if (translated.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                found = int(i);
        }
        if (found < 0)
            throw Error(QStringLiteral("no column %1 in the result").arg(name));
        indexes.push_back(found);
    }
    QStringList rows;
    while (st.step()) {
        QStringList values;
        for (int index : indexes)
            values << st.text(index);
        rows << values.join(u'/');
    }
    return rows;
}

} // namespace

class TestSqlTranslator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void runs_data();
    void runs();
    void constantsAreBound();
    void resultColumns();
    void namedParameters();
    void tokenJoinMatchesPairByPair_data();
    void tokenJoinMatchesPairByPair();
    void segments_data();
    void segments();
    void orderBy_data();
    void orderBy();
    void rejects_data();
    void rejects();
    void messageNamesThePlace();
    void deepestStatementsRunInSQLite_data();
    void deepestStatementsRunInSQLite();

private:
    // Translates and runs the lines, giving one text per row: the named columns' values
    // joined by '/'.
    QStringList run(const QStringList& lines, const QStringList& columns,
                    const QString& textParameter = QString());
    TranslatedSql translate(const QStringList& lines);

    std::unique_ptr<TempCatalogue> m_catalogue;
    std::shared_ptr<Database> m_database;
};

void TestSqlTranslator::initTestCase() {
    m_catalogue = std::make_unique<TempCatalogue>();
    QVERIFY2(m_catalogue->isValid(), qPrintable(m_catalogue->errorString()));
    for (int i = 1; i <= 12; ++i) {
        QVariantMap actor{{"Fornavn", QStringLiteral("Fornavn%1").arg(i)},
                          {"Efternavn", QStringLiteral("Efternavn%1").arg(i)}};
        if (i == 1)
            actor = {{"Fornavn", "Ib"}, {"Efternavn", "Hansen"}};
        if (i == 2)
            actor = {{"Fornavn", "Jørgen Hansen"}, {"Efternavn", "Ryg"}};
        const qint64 id = m_catalogue->appendRow(schema::actors(), actor);
        QCOMPARE(id, qint64(i));
        auto table = m_catalogue->openTable(schema::actors());
        QVERIFY(table->locate(QStringLiteral("SkuespillerAutoInc"), id, false));
        table->edit();
        table->fieldByName(QStringLiteral("SkuespillerAutoIncStr")).setValue(QString::number(id));
        table->post();
    }
    for (const Recording& r : kRecordings) {
        m_catalogue->appendRow(schema::recordings(),
                               {{"Titel1", QString::fromUtf8(r.titel1)},
                                {"Titel2", QString::fromUtf8(r.titel2)},
                                {"Instruktor", QString::fromUtf8(r.instruktor)},
                                {"Baandnummer", QString::fromUtf8(r.baandnummer)},
                                {"Gruppe", r.gruppe},
                                {"Kategori", QString::fromUtf8(r.kategori)},
                                {"SkuespillereListe", QString::fromUtf8(r.cast)}});
    }
    m_database = m_catalogue->session().database(kAlias);
}

void TestSqlTranslator::cleanupTestCase() {
    m_database.reset();
    m_catalogue.reset();
}

TranslatedSql TestSqlTranslator::translate(const QStringList& lines) {
    return translateOn(*m_database, lines);
}

QStringList TestSqlTranslator::run(const QStringList& lines, const QStringList& columns,
                                   const QString& textParameter) {
    return rowsOf(*m_database, translate(lines), columns, textParameter);
}

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
        QCOMPARE(run(lines, columns, text), expected);
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

// The text of a search goes to SQLite as a bound value, never as SQL.
void TestSqlTranslator::constantsAreBound() {
    const TranslatedSql t =
        translate({"SELECT * FROM \"spolebox.db\"",
                   "Where UPPER(titel1) LIKE \"%ALIEN%\" OR UPPER(titel2) LIKE \"%AL'IEN%\"",
                   "ORDER BY titel1"});
    QVERIFY(!t.sql.contains(QStringLiteral("ALIEN")));
    QVERIFY(!t.sql.contains(u'\''));
    QCOMPARE(t.bindings.size(), std::size_t(2));
    QCOMPARE(t.bindings[0].constant, QVariant(QStringLiteral("%ALIEN%")));
    QCOMPARE(t.bindings[1].constant, QVariant(QStringLiteral("%AL'IEN%")));
    QVERIFY(t.sql.contains(QStringLiteral("COLLATE DANISH")));

    const TranslatedSql numbers = translate({"SELECT * FROM \"spolebox.db\" WHERE gruppe=1"});
    QCOMPARE(numbers.bindings.size(), std::size_t(1));
    QCOMPARE(numbers.bindings[0].constant, QVariant(qint64(1)));
}

void TestSqlTranslator::resultColumns() {
    const TranslatedSql t = translate({"SELECT * FROM \"skuespillere.db\" , \"spolebox.db\""});
    const StoredTable& actors = m_database->table(QStringLiteral("Skuespillere.DB"));
    const StoredTable& recordings = m_database->table(QStringLiteral("Spolebox.DB"));
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
    const TranslatedSql t = translate(
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

// A statement joining a list to the other table's key ("%*" + key + "*%") is found by
// splitting the lists. Written with the last "%" as a separate part, the same statement
// is tried pair by pair; both must give the same rows in the same order, for keys and
// lists of every odd kind.
void TestSqlTranslator::tokenJoinMatchesPairByPair_data() {
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

void TestSqlTranslator::tokenJoinMatchesPairByPair() {
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
    } catch (const Error& e) {
        QFAIL(qPrintable(e.message()));
    }
}

void TestSqlTranslator::segments_data() {
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

void TestSqlTranslator::segments() {
    QFETCH(QVariant, text);
    QFETCH(QVariant, delimiter);
    QFETCH(QVariant, keys);
    QFETCH(QStringList, found);
    try {
        Statement st(m_database->handle(),
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
    QCOMPARE(run({"SELECT * FROM \"spolebox.db\"", orderBy}, {"Titel1"}), expected);
}

void TestSqlTranslator::rejects_data() {
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
    row("nested too deeply",
        from + QStringLiteral("WHERE ") + QString(1000, u'(') + QStringLiteral("gruppe = 1") +
            QString(1000, u')'),
        "nested too deeply");
    row("NOT nested too deeply",
        from + QStringLiteral("WHERE ") + QStringLiteral("NOT ").repeated(1000) +
            QStringLiteral("gruppe = 1"),
        "nested too deeply");
}

void TestSqlTranslator::rejects() {
    QFETCH(QString, sql);
    QFETCH(QString, message);
    try {
        const TranslatedSql t = translate(sql.split(u'\n'));
        QFAIL(qPrintable(QStringLiteral("accepted as: ") + t.sql));
    } catch (const Error& e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
}

void TestSqlTranslator::messageNamesThePlace() {
    try {
        translate({"SELECT * FROM \"spolebox.db\"", "WHERE titel3 = 'x'"});
        QFAIL("accepted");
    } catch (const Error& e) {
        QCOMPARE(e.message(),
                 QStringLiteral("SQL error at line 2, column 7: unknown column titel3"));
    }
}

void TestSqlTranslator::deepestStatementsRunInSQLite_data() {
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
    row("AND chain", "", "gruppe = 1 AND ", "gruppe = 2", "", "");
    row("join chain", "titel1 = ", "'a' + ", "'b'", "", "");
    row("sum chain", "gruppe = ", "1 + ", "2", "", "");
}

// Whatever the translator accepts, SQLite must accept too: its parser and expression
// trees have limits of their own.
void TestSqlTranslator::deepestStatementsRunInSQLite() {
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
                t = translate({head + where});
            } catch (const Error& e) {
                QVERIFY2(e.message().contains(QStringLiteral("too deeply")) ||
                             e.message().contains(QStringLiteral("too many terms")),
                         qPrintable(e.message()));
                break;
            }
            accepted = n;
            try {
                Statement st(m_database->handle(), t.sql);
                if (!t.keysSql.isEmpty())
                    Statement keys(m_database->handle(), t.keysSql);
            } catch (const Error& e) {
                QFAIL(qPrintable(QStringLiteral("n = %1: %2").arg(n).arg(e.message())));
            }
        }
        // The join takes a level of its own.
        QVERIFY(accepted >= 4);
        QVERIFY2(accepted < 400, "never refused");
    }
}

QTEST_GUILESS_MAIN(TestSqlTranslator)
#include "tst_sql_translator.moc"

#pragma once

// Shared by the local SQL tests: a small catalogue of recordings and actors, and helpers
// that translate a statement and read its rows.

#include "data/schema.h"
#include "engine/database.h"
#include "engine/error.h"
#include "engine/hit_order.h"
#include "engine/session.h"
#include "engine/sql_translator.h"
#include "engine/statement.h"
#include "temp_catalogue.h"

#include <QTest>

namespace sqlfixture {

using namespace engine;

inline const QString kAlias = QString::fromUtf8(schema::kAlias);

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
inline const Recording kRecordings[] = {
    {"Alien", "", "Ridley Scott", "B12", 1, "Science fiction", "*2*"},
    {"Aliens", "Alien 2", "James Cameron", "B123", 3, "Action", "*12*"},
    {"Blade Runner", "", "Ridley Scott", "b12", 2, "Science fiction", "*12**2**1*"},
    {"Det forsømte forår", "The alien within", "Søren Kragh-Jacobsen", "Ø1", 1, "Komedie", "*1*"},
    {"Ådalen", "", "Bo Widerberg", "A1", 3, "Drama", ""},
    {"Zorro", "", "", "B1", 2, "Eventyr", ""},
};

inline TranslatedSql translateOn(Database& db, const QStringList& lines) {
    return translateSql(lines.join(u'\n'), [&db](const QString& file) -> const StoredTable& {
        return db.table(file);
    });
}

// Runs a translation with every named parameter set to textParameter; one entry per row,
// the values of the given columns joined by '/'.
inline QStringList rowsOf(Database& db, const TranslatedSql& translated, const QStringList& columns,
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

// The same as rowsOf, the statement run for its hits' row ids and these put in order; each
// hit's values are read from its tables by row id.
inline QStringList hitsOf(Database& db, const QStringList& lines, const QStringList& columns,
                          const QString& textParameter = QString()) {
    std::vector<const StoredTable*> tables;
    const TranslatedSql translated = translateSql(
        lines.join(u'\n'),
        [&](const QString& file) -> const StoredTable& {
            tables.push_back(&db.table(file));
            return *tables.back();
        },
        SqlResult::HitIds);
    Statement st = prepareTranslated(db.handle(), translated,
                                     [&](const QString&) { return QVariant(textParameter); });
    const std::vector<qint64> ids = orderHits(st, translated.hitOrder);
    QStringList rows;
    for (std::size_t hit = 0; hit < ids.size(); hit += tables.size()) {
        QVariantMap valueOf;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            Statement row(
                db.handle(),
                QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(tables[t]->qualifiedName()));
            row.bind(1, ids[hit + t]);
            if (!row.step())
                throw Error(QStringLiteral("hit %1 names no row").arg(hit));
            for (int c = 0; c < row.columnCount(); ++c)
                valueOf.insert(row.columnName(c).toLower(), row.value(c));
        }
        QStringList values;
        for (const QString& name : columns)
            values << valueOf.value(name.toLower()).toString();
        rows << values.join(u'/');
    }
    return rows;
}

// Fills a fresh catalogue with actors 1 to 12 and the recordings above.
inline void fillSample(TempCatalogue& catalogue) {
    for (int i = 1; i <= 12; ++i) {
        QVariantMap actor{{"Fornavn", QStringLiteral("Fornavn%1").arg(i)},
                          {"Efternavn", QStringLiteral("Efternavn%1").arg(i)}};
        if (i == 1)
            actor = {{"Fornavn", "Ib"}, {"Efternavn", "Hansen"}};
        if (i == 2)
            actor = {{"Fornavn", "Jørgen Hansen"}, {"Efternavn", "Ryg"}};
        const qint64 id = catalogue.appendRow(schema::actors(), actor);
        QCOMPARE(id, qint64(i));
        auto table = catalogue.openTable(schema::actors());
        QVERIFY(table->locate(QStringLiteral("SkuespillerAutoInc"), id, false));
        table->edit();
        table->fieldByName(QStringLiteral("SkuespillerAutoIncStr")).setValue(QString::number(id));
        table->post();
    }
    for (const Recording& r : kRecordings) {
        catalogue.appendRow(schema::recordings(),
                            {{"Titel1", QString::fromUtf8(r.titel1)},
                             {"Titel2", QString::fromUtf8(r.titel2)},
                             {"Instruktor", QString::fromUtf8(r.instruktor)},
                             {"Baandnummer", QString::fromUtf8(r.baandnummer)},
                             {"Gruppe", r.gruppe},
                             {"Kategori", QString::fromUtf8(r.kategori)},
                             {"SkuespillereListe", QString::fromUtf8(r.cast)}});
    }
}

// The sample catalogue, open, with the statement helpers bound to it.
class SampleCatalogue {
public:
    SampleCatalogue() {
        QVERIFY2(m_temp.isValid(), qPrintable(m_temp.errorString()));
        fillSample(m_temp);
        m_database = m_temp.session().database(kAlias);
    }
    ~SampleCatalogue() { m_database.reset(); }

    Database& database() { return *m_database; }
    TempCatalogue& temp() { return m_temp; }
    TranslatedSql translate(const QStringList& lines) { return translateOn(*m_database, lines); }
    // Translates and runs the lines, giving one text per row: the named columns' values
    // joined by '/'.
    QStringList run(const QStringList& lines, const QStringList& columns,
                    const QString& textParameter = QString()) {
        return rowsOf(*m_database, translate(lines), columns, textParameter);
    }
    QStringList hits(const QStringList& lines, const QStringList& columns,
                     const QString& textParameter = QString()) {
        return hitsOf(*m_database, lines, columns, textParameter);
    }

private:
    TempCatalogue m_temp;
    std::shared_ptr<Database> m_database;
};

} // namespace sqlfixture

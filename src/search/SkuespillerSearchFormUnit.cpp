#include "SkuespillerSearchFormUnit.h"

#include "framework/db_grid.h"

TSkuespillerSearchForm::TSkuespillerSearchForm(engine::Session& session, QWidget* parent)
    : SearchResultForm(session, QStringLiteral("SkuespillerSearchForm"),
                       QStringLiteral("SkuespillerSearchForm"), QSize(604, 380), parent) {
    const auto column = [](const char* field, const QString& title, int width) {
        framework::GridColumn c;
        c.fieldName = QString::fromLatin1(field);
        c.title = title;
        c.width = width;
        return c;
    };
    // The first column is titled with its field's name.
    DBGrid1->setColumns({column("fornavn", QString(), 104),
                         column("efternavn", QStringLiteral("Efternavn"), 96),
                         column("Titel1", QStringLiteral("Titel 1"), 167),
                         column("Titel2", QStringLiteral("Titel 2"), 138),
                         column("Baandnummer", QStringLiteral("Båndnavn"), 54)});
    fitColumns();

    // An actor stands in a cast when the list holds "*", the actor's number, "*" (the
    // number is joined into the pattern in the statement itself). The text is a parameter,
    // so whatever the user types is only ever a pattern.
    Query1().setSql({QStringLiteral("SELECT * FROM \"skuespillere.db\" , \"spolebox.db\""),
                     QStringLiteral("WHERE SkuespillereListe LIKE \"%*\" + SkuespillerAutoIncStr "
                                    "+ \"*%\" AND"),
                     QStringLiteral("(UPPER(efternavn) LIKE :text OR"),
                     QStringLiteral("UPPER(fornavn) LIKE :text)"),
                     QStringLiteral("ORDER BY Titel1")});
}

void TSkuespillerSearchForm::startsogning(const QString& upperText) {
    HitQuery& query = Query1();
    query.close();
    query.setParam(QStringLiteral("text"), u'%' + upperText + u'%');
    query.open();
    showHits(QStringLiteral("Der er ikke fundet nogle skuespillere."));
}

#include "GenerelSearchFormUnit.h"

#include "engine/error.h"
#include "framework/db_grid.h"

namespace {

// The text goes into the statement between double quotes. A double quote in it is doubled,
// which the SQL dialect reads as the character itself: so the user's text is searched for
// literally and can neither end the constant early nor add to the statement. Every other
// character stands as typed ("%" stays the wildcard), and a text without a double quote
// gives the statement exactly as it always was.
QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

} // namespace

TGenerelSearchForm::TGenerelSearchForm(engine::Session& session, QWidget* parent)
    : SearchResultForm(session, QStringLiteral("GenerelSearchForm"), QStringLiteral("Søgning"),
                       QSize(586, 375), parent) {
    const auto column = [](const char* field, const QString& title, int width) {
        framework::GridColumn c;
        c.fieldName = QString::fromLatin1(field);
        c.title = title;
        c.width = width;
        return c;
    };
    DBGrid1->setColumns({column("Titel1", QStringLiteral("Titel 1"), 203),
                         column("Titel2", QStringLiteral("Titel 2"), 174),
                         column("Instruktor", QStringLiteral("Instruktør"), 113),
                         column("Baandnummer", QStringLiteral("Båndnavn"), 54)});
    fitColumns();
}

QString TGenerelSearchForm::whereLine(int kind, const QString& upperText) {
    switch (kind) {
    case Titles: {
        const QString pattern = quoted(u'%' + upperText + u'%');
        return QStringLiteral("Where UPPER(titel1) LIKE ") + pattern +
               QStringLiteral(" OR UPPER(titel2) LIKE ") + pattern;
    }
    case Director:
        return QStringLiteral("Where UPPER(instruktor) LIKE ") + quoted(u'%' + upperText + u'%');
    case TapeName:
        return QStringLiteral("Where UPPER(Baandnummer) LIKE ") + quoted(upperText);
    default:
        throw engine::Error(QStringLiteral("Unknown kind of search: %1").arg(kind));
    }
}

void TGenerelSearchForm::startsogning(int kind, const QString& upperText) {
    HitQuery& query = Query1();
    query.close();
    query.sql().clear();
    query.setSql({QStringLiteral("SELECT * FROM \"spolebox.db\""), whereLine(kind, upperText),
                  QStringLiteral("ORDER BY titel1")});
    query.open();
    showHits(QStringLiteral("Der er ingen poster fundet."));
}

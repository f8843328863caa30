#pragma once

#include "search_result_form.h"

#include <QString>

// The result window "Søgning" of the title, director and tape-name searches.
class TGenerelSearchForm : public SearchResultForm {
    Q_OBJECT
public:
    enum Kind { Titles = 1, Director = 2, TapeName = 3 };

    explicit TGenerelSearchForm(engine::Session& session, QWidget* parent = nullptr);

    // Runs the search of that kind for the upper-cased text: says "Der er ingen poster
    // fundet." when nothing matches, else shows the hits modally. The text matches anywhere
    // in the titles or the director, and the whole tape name; a "%" in it is a wildcard.
    void startsogning(int kind, const QString& upperText);

    // The WHERE line of the statement for a kind and an upper-cased text.
    static QString whereLine(int kind, const QString& upperText);
};

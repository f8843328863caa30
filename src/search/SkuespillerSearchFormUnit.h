#pragma once

#include "search_result_form.h"

#include <QString>

// The result window of the actor search: one row for each pair of an actor whose first or
// last name contains the text and a recording in whose cast that actor stands.
class TSkuespillerSearchForm : public SearchResultForm {
    Q_OBJECT
public:
    explicit TSkuespillerSearchForm(engine::Session& session, QWidget* parent = nullptr);

    // Runs the search for the upper-cased text: says "Der er ikke fundet nogle
    // skuespillere." when nothing matches, else shows the hits modally.
    void startsogning(const QString& upperText);
};

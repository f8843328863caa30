#pragma once

#include "engine/query.h"
#include "framework/data_source.h"

#include <QDialog>

class QPushButton;
class TDataBox;

namespace framework {
class DBGrid;
}

// What both search result windows share: a read-only grid over the hits of their query,
// an OK button (also a double click on a hit) that makes the chosen recording the current
// one of the data module's VideoTable, and "Annuller", which leaves it where it is.
//
// Modal results: OK 1, "Annuller" and the close box 2.
class SearchResultForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    ~SearchResultForm() override;

    engine::Query& Query1() { return m_query; }
    framework::DataSource& DataSource1() { return m_dataSource; }

    framework::DBGrid* DBGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // "Annuller"

    void DBGrid1DblClick();
    // On closing with OK: the hit's recording becomes VideoTable's current row. The window
    // closes whatever happens.
    void FormCloseQuery(int result);

public Q_SLOTS:
    void done(int result) override;

protected:
    SearchResultForm(TDataBox& dataBox, const QString& objectName, const QString& caption,
                     const QSize& size, QWidget* parent);

    // After the subclass has set the grid's columns: widens what cannot hold its values.
    void fitColumns();
    void showEvent(QShowEvent* event) override;
    void reject() override { done(kResultCancel); } // the close box and Escape

    TDataBox& m_dataBox;

private:
    void placeControls();

    engine::Query m_query;
    framework::DataSource m_dataSource;
    bool m_centred = false;
};

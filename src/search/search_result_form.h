#pragma once

#include "framework/data_source.h"
#include "hit_query.h"

#include <QDialog>

class QPushButton;

namespace engine {
class Session;
}

namespace framework {
class DBGrid;
}

// What both search result windows share: a read-only grid over the hits of their query,
// an OK button (also a double click on a hit) that reports the chosen recording, and
// "Annuller", which chooses none. The grid reads the hits in view only, and closing the
// window lets go of them.
//
// Modal results: OK 1, "Annuller" and the close box 2.
class SearchResultForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    ~SearchResultForm() override;

    HitQuery& Query1() { return m_query; }
    framework::DataSource& DataSource1() { return m_dataSource; }

    framework::DBGrid* DBGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // "Annuller"

    void DBGrid1DblClick();
    // On closing with OK: reports the hit's recording (hitChosen). The window closes
    // whatever happens.
    void FormCloseQuery(int result);

Q_SIGNALS:
    // The user chose the hit of this recording (its VideoAutoInc): the caller makes it the
    // current recording.
    void hitChosen(qint64 videoAutoInc);

public Q_SLOTS:
    void done(int result) override;

protected:
    SearchResultForm(engine::Session& session, const QString& objectName, const QString& caption,
                     const QSize& size, QWidget* parent);

    // Shows the hits of the open query modally; a search without hits is told with the
    // message instead. The hits are let go of when it returns.
    void showHits(const QString& nothingFound);

    // After the subclass has set the grid's columns: widens what cannot hold its values.
    void fitColumns();
    void showEvent(QShowEvent* event) override;
    void reject() override { done(kResultCancel); } // the close box and Escape

private:
    void placeControls();

    HitQuery m_query;
    framework::DataSource m_dataSource;
    bool m_centred = false;
};

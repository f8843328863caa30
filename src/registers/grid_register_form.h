#pragma once

#include "framework/dataset_model.h"

#include <QDialog>
#include <vector>

class QLabel;
class QPushButton;

namespace framework {
class DataSource;
class DBGrid;
} // namespace framework

// What the categories, groups and tapes windows share: a grid that edits one of the data
// module's tables in place, the Ctrl+Delete hint under it and "Luk". Closing posts a
// changed row; when that post is refused the window stays open with the row.
class TGridRegisterForm : public QDialog {
    Q_OBJECT
public:
    TGridRegisterForm(const QString& objectName, const QString& caption,
                      framework::DataSource& source,
                      const std::vector<framework::GridColumn>& columns, QWidget* parent);

    framework::DBGrid* DBGrid1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* BitBtn1 = nullptr;

    // Posts a changed row; false when the post was refused (and the user told why).
    bool FormCloseQuery();

protected:
    // Widens a column (and the window) so that its cells show the text in full.
    void fitColumnTo(int column, const QString& text);
    void done(int result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeControls();

    framework::DataSource& m_source;
};

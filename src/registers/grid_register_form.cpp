#include "grid_register_form.h"

#include "engine/table.h"
#include "framework/data_source.h"
#include "framework/db_grid.h"
#include "framework/error_display.h"
#include "framework/field_data_link.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TGridRegisterForm::TGridRegisterForm(const QString& objectName, const QString& caption,
                                     framework::DataSource& source,
                                     const std::vector<framework::GridColumn>& columns,
                                     QWidget* parent)
    : QDialog(parent), m_source(source) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    DBGrid1 = new framework::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setColumns(columns);
    DBGrid1->setDataSource(&source);

    Label1 = new QLabel(QStringLiteral("Tast Ctrl+Delete for at slette"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    BitBtn1 = new QPushButton(QStringLiteral("Luk"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    // A click leaves the focus in the grid: the closing post is the one attempt to store a
    // pending row, and a refused row is still in front of the user.
    BitBtn1->setFocusPolicy(Qt::TabFocus);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(1); });
    placeControls();
}

// The window is as wide as its columns, the row indicator and the scroll bar.
void TGridRegisterForm::placeControls() {
    int gridWidth = 0;
    for (const auto& column : DBGrid1->columns())
        gridWidth += column.width > 0 ? column.width : 100;
    gridWidth += 40; // the row indicator and the scroll bar
    const int width = std::max(gridWidth + 16, 260);
    setFixedSize(width, 330);
    DBGrid1->setGeometry(8, 8, width - 16, 250);
    Label1->setGeometry(8, 264, width - 16, 20);
    BitBtn1->setGeometry(width - 88, 292, 80, 27);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TGridRegisterForm::fitColumnTo(int column, const QString& text) {
    DBGrid1->fitColumnTo(column, text);
    placeControls();
}

bool TGridRegisterForm::FormCloseQuery() {
    return framework::guarded([this] {
        DBGrid1->updateRecord();
        framework::updateRecord(&m_source);
        engine::Dataset* dataset = m_source.dataSet();
        auto* table = dynamic_cast<engine::Table*>(dataset);
        if (table && table->isEditing() && table->modified())
            table->post();
    });
}

// A row the closing post cannot store keeps the window open: the user has been told why,
// and corrects the row or drops it with Escape. Left behind in the shared table, it would
// be posted again by every later post that moves the table.
void TGridRegisterForm::done(int result) {
    if (!FormCloseQuery()) {
        DBGrid1->focusCurrentCell();
        return;
    }
    QDialog::done(result);
}

void TGridRegisterForm::closeEvent(QCloseEvent* event) {
    // The window manager's close goes through done() as well, so it posts too.
    event->ignore();
    done(QDialog::Rejected);
}

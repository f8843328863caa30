#pragma once

#include "dataset_model.h"

#include <QPointer>
#include <QTableView>
#include <vector>

namespace framework {

class GridDelegate;

// A grid over the rows of a data source. The grid's current row is the dataset's current
// row, both ways.
//
// Read-only: whole rows are selected; Enter is left to the window (its default button).
// Editable: typing into a cell (or F2, or a click on the current cell) opens an editor for
// it; the text goes into the field as typed. Moving to another row posts the row through
// the dataset, Enter posts it, Escape takes back the cell and then the row, the Insert key
// inserts a new row, moving down past the last row appends one, and Ctrl+Delete deletes
// the current row after "Delete record?" (caption "Confirm", OK / Cancel). Leaving the grid
// posts a changed row. Errors are shown through the standard error display; a refused cell
// or row keeps its editor.
//
//   auto* grid = new DBGrid(this);
//   grid->setObjectName("DBGrid1");
//   grid->setColumns({{"Kategori", "Kategori", 232}});
//   grid->setDataSource(kategoriSource);
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_model->dataSource(); }
    // The columns shown, with their titles and widths; none: every field.
    void setColumns(const std::vector<GridColumn>& columns);
    const std::vector<GridColumn>& columns() const { return m_model->columns(); }
    // Widens a column (never narrows it) so that its cells show the text in full.
    void fitColumnTo(int column, const QString& text);
    // The grid width that shows every column beside a vertical scroll bar, with no
    // horizontal one.
    int widthForAllColumns() const;
    void setReadOnly(bool on);
    bool isReadOnly() const { return m_readOnly; }
    DatasetModel* datasetModel() const { return m_model; }

    // The keyboard's operations, for callers too. Each runs guarded: true when it went
    // through, false when it was refused (and the user told why) or had nothing to do.
    bool insertRecord(); // Insert
    bool appendRecord(); // moving down past the last row
    bool deleteRecord(); // Ctrl+Delete, after "Delete record?"
    bool postRecord();   // Enter
    bool cancelRecord(); // Escape
    // Writes an open cell editor's text into its field; throws engine::Error when the
    // field refuses it.
    void updateRecord();
    // Puts the focus on the current cell: into its editor when one is open.
    void focusCurrentCell();

Q_SIGNALS:
    // A double click on a row (which is then the current row).
    void dblClick();
    // The focus came into the grid from another control.
    void entered();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

protected Q_SLOTS:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class GridDelegate;
    friend class GridSelectionModel;

    engine::Dataset* dataset() const { return m_model->dataset(); }
    // Moves the dataset to a display row, ending a pending edit first; the display row
    // the dataset is on afterwards, -1 when the move was refused.
    int moveToRow(int row);
    // Follows the dataset's current row.
    void followDataset();
    void applyColumnWidths();
    void keepSelectionOnCurrent();
    bool startChange();
    void focusEditor();
    // Cell editor endings.
    bool commitEditor();
    void postFromEditor();
    void leaveFromEditor(QWidget* editor);
    void postIfModified();
    bool handleEditorKey(QKeyEvent* event);

    DatasetModel* m_model;
    GridDelegate* m_delegate;
    bool m_readOnly = false;
    bool m_following = false;
    bool m_closingEditor = false;
    bool m_focusFromEditor = false; // the cell editor handed the focus back to the grid
    QPointer<DataSource> m_hookSource;
    int m_hookId = 0;
};

} // namespace framework

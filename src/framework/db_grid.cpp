#include "db_grid.h"

#include "engine/error.h"
#include "engine/table.h"
#include "error_display.h"
#include "field_data_link.h"
#include "focus_moves.h"
#include "grid_delegate.h"
#include "message_box.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace framework {

// Every change of the current cell passes here: moving to another row goes through the
// dataset first (which posts the row being left) and a refused move leaves the grid where
// it was.
class GridSelectionModel : public QItemSelectionModel {
public:
    GridSelectionModel(QAbstractItemModel* model, DBGrid* grid)
        : QItemSelectionModel(model, grid), m_grid(grid) {}

    void setCurrentIndex(const QModelIndex& index,
                         QItemSelectionModel::SelectionFlags command) override {
        if (m_grid->m_following || m_grid->m_model->isUpdating() || !index.isValid()) {
            QItemSelectionModel::setCurrentIndex(index, command);
            return;
        }
        const QModelIndex current = currentIndex();
        if (index.row() == m_grid->m_model->currentRow()) {
            if (current.isValid() && index.column() != current.column() &&
                !m_grid->commitEditor()) {
                m_grid->focusEditor();
                return;
            }
            QItemSelectionModel::setCurrentIndex(index, command);
            return;
        }
        const int row = m_grid->moveToRow(index.row());
        if (row < 0) {
            m_grid->focusEditor();
            return;
        }
        QItemSelectionModel::setCurrentIndex(model()->index(row, index.column()), command);
    }

private:
    DBGrid* m_grid;
};

namespace {

// Ends the edit of the table's current row (posting a change, dropping an unchanged edit
// or insert) and returns the place among the table's rows of what was shown at display
// row `row` before: the posted row may have moved to its place in the index order.
int endEdit(engine::Table& table, int row) {
    const bool inserting = table.state() == engine::DatasetState::Insert;
    const int editRow = inserting ? table.displayRow() : table.recNo() - 1;
    int target = inserting && row > editRow ? row - 1 : row;
    const int before = table.recordCount();
    const bool posting = table.modified();
    table.checkBrowseMode();
    if (!posting)
        return target;
    const int placed = table.recNo() - 1;
    const int after = table.recordCount();
    if (inserting) {
        if (after == before + 1 && placed >= 0 && target >= placed)
            ++target;
    } else {
        if (target > editRow)
            --target;
        if (after == before && placed >= 0 && target >= placed)
            ++target;
    }
    return target;
}

} // namespace

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), m_model(new DatasetModel(this)), m_delegate(new GridDelegate(this)) {
    setModel(m_model);
    QItemSelectionModel* standard = selectionModel();
    setSelectionModel(new GridSelectionModel(m_model, this));
    delete standard;
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setHighlightSections(false);
    connect(m_model, &DatasetModel::datasetMoved, this, &DBGrid::followDataset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::applyColumnWidths);
    m_readOnly = true; // so that the next line applies the editable mode
    setReadOnly(false);
}

DBGrid::~DBGrid() {
    if (m_hookSource && m_hookId)
        removeUpdateHook(m_hookSource, m_hookId);
}

void DBGrid::setDataSource(DataSource* source) {
    if (m_hookSource && m_hookId)
        removeUpdateHook(m_hookSource, m_hookId);
    m_hookSource = source;
    m_hookId = addUpdateHook(source, [this] { m_delegate->commit(); });
    m_model->setDataSource(source);
}

void DBGrid::setColumns(const std::vector<GridColumn>& columns) {
    m_model->setColumns(columns);
}

void DBGrid::setReadOnly(bool on) {
    if (m_readOnly == on)
        return;
    m_delegate->close(QAbstractItemDelegate::NoHint);
    m_readOnly = on;
    m_model->setReadOnly(on);
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setEditTriggers(on ? QAbstractItemView::NoEditTriggers
                       : QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::SelectedClicked);
    // Tab moves from cell to cell while editing; out of a read-only grid to the next control.
    setTabKeyNavigation(!on);
    keepSelectionOnCurrent();
}

void DBGrid::fitColumnTo(int column, const QString& text) {
    if (column < 0 || column >= int(m_model->columns().size()))
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = text;
    const int needed =
        style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
    if (needed <= m_model->column(column).width)
        return;
    m_model->setColumnWidth(column, needed);
    setColumnWidth(column, needed);
}

int DBGrid::widthForAllColumns() const {
    int width = 2 * frameWidth() + verticalHeader()->width() +
                style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    for (int c = 0; c < m_model->columnCount(); ++c)
        width += columnWidth(c);
    return width;
}

void DBGrid::applyColumnWidths() {
    const auto& columns = m_model->columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].width >= 0)
            setColumnWidth(int(c), columns[c].width);
    }
}

void DBGrid::keepSelectionOnCurrent() {
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    selectionModel()->select(
        current, QItemSelectionModel::ClearAndSelect |
                     (m_readOnly ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
}

void DBGrid::followDataset() {
    const int row = m_model->currentRow();
    if (row < 0 || row >= m_model->rowCount() || m_model->columnCount() == 0)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    const int column = current.isValid() ? current.column() : 0;
    m_following = true;
    selectionModel()->setCurrentIndex(
        m_model->index(row, column),
        QItemSelectionModel::ClearAndSelect |
            (m_readOnly ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
    m_following = false;
    scrollTo(currentIndex());
}

int DBGrid::moveToRow(int row) {
    int result = -1;
    guarded([&] {
        framework::updateRecord(dataSource());
        engine::Dataset* ds = dataset();
        if (!ds)
            return;
        int target = row;
        if (auto* table = dynamic_cast<engine::Table*>(ds); table && table->isEditing())
            target = endEdit(*table, row);
        if (ds->recordCount() > 0)
            ds->setRecNo(std::clamp(target, 0, ds->recordCount() - 1) + 1);
        result = m_model->currentRow();
    });
    return result;
}

// After a refused move the cell editor, which the item view may have taken the focus
// from, gets it back.
void DBGrid::focusEditor() {
    if (QWidget* editor = m_delegate->editor())
        editor->setFocus(Qt::OtherFocusReason);
}

void DBGrid::focusCurrentCell() {
    if (m_delegate->editor())
        focusEditor();
    else
        setFocus(Qt::OtherFocusReason);
}

bool DBGrid::startChange() {
    bool editable = false;
    guarded([&] { editable = dataSource() && dataSource()->edit(); });
    return editable;
}

void DBGrid::updateRecord() {
    m_delegate->commit();
}

bool DBGrid::commitEditor() {
    return guarded([this] { m_delegate->commit(); });
}

bool DBGrid::insertRecord() {
    auto* table = dynamic_cast<engine::Table*>(dataset());
    if (!table || m_readOnly)
        return false;
    return guarded([&] {
        framework::updateRecord(dataSource());
        m_delegate->close(QAbstractItemDelegate::NoHint);
        // The row being left is posted first, so that the new one starts where that row
        // is afterwards.
        table->checkBrowseMode();
        table->insert();
    });
}

bool DBGrid::appendRecord() {
    auto* table = dynamic_cast<engine::Table*>(dataset());
    if (!table || m_readOnly)
        return false;
    return guarded([&] {
        framework::updateRecord(dataSource());
        m_delegate->close(QAbstractItemDelegate::NoHint);
        table->checkBrowseMode(); // so that the new row comes after the posted one
        table->append();
    });
}

bool DBGrid::deleteRecord() {
    auto* table = dynamic_cast<engine::Table*>(dataset());
    if (!table || m_readOnly ||
        (table->recordCount() == 0 && table->state() != engine::DatasetState::Insert))
        return false;
    // What was typed stays in the field: Cancel leaves the row as it was.
    m_delegate->close(QAbstractItemDelegate::NoHint);
    if (!confirmDeleteRecord())
        return false;
    return guarded([&] { table->deleteRecord(); });
}

bool DBGrid::postRecord() {
    auto* table = dynamic_cast<engine::Table*>(dataset());
    if (!table)
        return false;
    return guarded([&] {
        framework::updateRecord(dataSource());
        m_delegate->close(QAbstractItemDelegate::NoHint);
        if (table->isEditing() && table->modified())
            table->post();
    });
}

bool DBGrid::cancelRecord() {
    auto* table = dynamic_cast<engine::Table*>(dataset());
    if (!table)
        return false;
    m_delegate->revert();
    m_delegate->close(QAbstractItemDelegate::RevertModelCache);
    return guarded([&] { table->cancel(); });
}

void DBGrid::postFromEditor() {
    postRecord();
}

void DBGrid::postIfModified() {
    auto* table = dynamic_cast<engine::Table*>(dataset());
    if (table && table->isEditing() && table->modified())
        guarded([&] { table->post(); });
}

// The focus went from the cell editor to another control: the text must be right before
// the editor closes, and the changed row is posted.
void DBGrid::leaveFromEditor(QWidget* editor) {
    if (const auto refusal = refusalOf([this] { framework::updateRecord(dataSource()); })) {
        editor->setFocus(Qt::OtherFocusReason);
        if (!refusal->isEmpty())
            showError(*refusal);
        return;
    }
    m_delegate->close(QAbstractItemDelegate::NoHint);
    if (!m_readOnly)
        postIfModified();
}

bool DBGrid::handleEditorKey(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (m_readOnly)
        return false;
    if (event->key() == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        insertRecord();
        return true;
    }
    if (event->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        deleteRecord();
        return true;
    }
    return false;
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    if (!m_readOnly) {
        if (handleEditorKey(event)) {
            event->accept();
            return;
        }
        const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
        engine::Dataset* ds = dataset();
        const bool editing = ds && ds->isEditing();
        switch (event->key()) {
        case Qt::Key_Down:
            if (modifiers == Qt::NoModifier && currentIndex().row() >= m_model->rowCount() - 1) {
                // Past the last row: a new row, unless the last one is a new row still empty.
                if (!(ds && ds->state() == engine::DatasetState::Insert && !ds->modified()))
                    appendRecord();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (editing) {
                postRecord();
                event->accept();
                return;
            }
            break;
        case Qt::Key_Escape:
            if (editing) {
                cancelRecord();
                event->accept();
                return;
            }
            break;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
    keepSelectionOnCurrent();
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    keepSelectionOnCurrent();
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.row() == m_model->currentRow())
        Q_EMIT dblClick();
}

void DBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    const bool fromEditor = m_closingEditor || m_focusFromEditor;
    m_focusFromEditor = false;
    if (!fromEditor && isFocusMove(this, *event))
        Q_EMIT entered();
}

void DBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    if (!isFocusMove(this, *event) || m_readOnly)
        return;
    QWidget* now = QApplication::focusWidget();
    if (now && (now == this || isAncestorOf(now)))
        return; // into the grid's own cell editor
    postIfModified();
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    m_closingEditor = true;
    QTableView::closeEditor(editor, hint);
    m_closingEditor = false;
}

} // namespace framework

#include "grid_delegate.h"

#include "db_grid.h"
#include "engine/error.h"
#include "engine/field.h"
#include "error_display.h"
#include "focus_moves.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace framework {

GridDelegate::GridDelegate(DBGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
    auto* self = const_cast<GridDelegate*>(this);
    const GridColumn& column = m_grid->datasetModel()->column(index.column());
    QWidget* editor = nullptr;
    if (!column.pickList.isEmpty()) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(column.pickList);
        // No completion from the list: 3 typed stays 3, it does not become 300.
        combo->setCompleter(nullptr);
        connect(combo->lineEdit(), &QLineEdit::textEdited, self, [self] { self->edited(); });
        connect(combo, &QComboBox::activated, self, [self] { self->edited(); });
        editor = combo;
    } else {
        auto* line = new QLineEdit(parent);
        line->setFrame(false);
        connect(line, &QLineEdit::textEdited, self, [self] { self->edited(); });
        editor = line;
    }
    editor->setObjectName(QStringLiteral("CellEditor"));
    m_editor = editor;
    m_column = index.column();
    m_loaded = m_changed = m_pending = false;
    m_original = QVariant();
    m_mask = EditMask();
    return editor;
}

void GridDelegate::showField(QWidget* editor) const {
    engine::Field* f = m_grid->datasetModel()->field(m_column);
    m_original = f ? f->value() : QVariant();
    m_mask = EditMask(f ? f->def().editMask : QString());
    const QString text = f ? f->text() : QString();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setEditText(text);
        // As in a plain cell: what is typed next replaces the value, the list only proposes.
        combo->lineEdit()->selectAll();
        return;
    }
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line)
        return;
    if (!m_mask.isEmpty()) {
        line->setInputMask(m_mask.inputMask());
        line->setText(m_mask.shownText(m_mask.textForValue(f->type(), f->value())));
    } else {
        line->setInputMask(QString());
        const bool sized = f && f->type() == engine::FieldType::Text && f->def().size > 0;
        line->setMaxLength(sized ? f->def().size : 32767);
        line->setText(text);
    }
}

// Loads the field once; later notices of the field changing come from the editor's own
// writes and must not disturb the typing.
void GridDelegate::setEditorData(QWidget* editor, const QModelIndex&) const {
    if (editor != m_editor || m_loaded)
        return;
    showField(editor);
    m_loaded = true;
}

void GridDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {}

void GridDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (editor == m_editor) {
        m_editor = nullptr;
        m_column = -1;
        m_loaded = m_changed = m_pending = false;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

QString GridDelegate::editorText() const {
    if (auto* combo = qobject_cast<QComboBox*>(m_editor.data()))
        return combo->currentText();
    if (auto* line = qobject_cast<QLineEdit*>(m_editor.data()))
        return m_mask.isEmpty() ? line->text() : m_mask.fieldText(line->displayText());
    return QString();
}

void GridDelegate::edited() {
    if (!m_editor)
        return;
    if (!m_grid->startChange()) {
        showField(m_editor);
        return;
    }
    m_changed = m_pending = true;
    // As typed, when the field takes it; what it refuses is reported when the editor is left.
    refusalOf([this] {
        if (engine::Field* f = m_grid->datasetModel()->field(m_column))
            f->setText(editorText());
    });
}

void GridDelegate::commit() {
    if (!m_editor || !m_pending)
        return;
    engine::Field* f = m_grid->datasetModel()->field(m_column);
    if (!f || (!f->dataset().isEditing() && !m_grid->dataSource()->edit()))
        return;
    f->setText(editorText());
    // Handed to the field: the row's edit now holds it, and Escape takes back the row.
    m_pending = m_changed = false;
}

void GridDelegate::revert() {
    if (!m_editor || !m_changed)
        return;
    engine::Field* f = m_grid->datasetModel()->field(m_column);
    if (f && f->dataset().isEditing())
        guarded([&] { f->setValue(m_original); });
    m_changed = m_pending = false;
}

void GridDelegate::close(QAbstractItemDelegate::EndEditHint hint) {
    if (QWidget* editor = m_editor)
        Q_EMIT closeEditor(editor, hint);
}

bool GridDelegate::eventFilter(QObject* object, QEvent* event) {
    if (object != m_editor)
        return QStyledItemDelegate::eventFilter(object, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!m_grid->commitEditor())
                return true;
            break; // the item view moves on to the next cell
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (auto* combo = qobject_cast<QComboBox*>(m_editor.data());
                combo && combo->view()->isVisible())
                break; // the drop-down takes its choice
            m_grid->postFromEditor();
            return true;
        case Qt::Key_Escape:
            // The cell's own typing first; with none left to take back, the row.
            if (m_changed) {
                revert();
                close(QAbstractItemDelegate::RevertModelCache);
            } else {
                m_grid->cancelRecord();
            }
            return true;
        default:
            if (m_grid->handleEditorKey(key))
                return true;
            break;
        }
    } else if (event->type() == QEvent::FocusOut) {
        if (!isFocusMove(m_editor.data(), *static_cast<QFocusEvent*>(event)))
            return true; // a message box, the drop-down or a menu: still editing
        QWidget* now = QApplication::focusWidget();
        if (now && (now == m_editor || m_editor->isAncestorOf(now)))
            return false;
        if (now && (now == m_grid || m_grid->isAncestorOf(now))) {
            m_grid->m_focusFromEditor = true;
            return true; // a click into the grid: moving to the clicked cell decides
        }
        m_grid->leaveFromEditor(m_editor);
        return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace framework

#pragma once

#include "edit_mask.h"

#include <QPointer>
#include <QStyledItemDelegate>
#include <QVariant>

namespace framework {

class DBGrid;

// The cell editor of a DBGrid: a line edit (with the field's edit mask and size), or an
// editable drop-down for a column with a pick list. The editor shows the field of the
// dataset's current row; what the user types goes into the field as it is typed, and for
// certain (with any error reported) when the editor is left. setModelData() writes
// nothing: the grid decides when the editor's text is final.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(DBGrid* grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    QWidget* editor() const { return m_editor; }
    // Writes the editor's text into its field when the user changed it; throws
    // engine::Error when the field refuses it.
    void commit();
    // Puts back the field's value from before the editor opened (Escape).
    void revert();
    // Closes the open editor without writing anything more.
    void close(QAbstractItemDelegate::EndEditHint hint);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void edited();
    QString editorText() const;
    void showField(QWidget* editor) const;

    DBGrid* m_grid;
    // The one open editor and what it knows.
    mutable QPointer<QWidget> m_editor;
    mutable int m_column = -1;
    mutable bool m_loaded = false;
    mutable bool m_changed = false; // the user typed since the editor opened or last commit
    mutable bool m_pending = false; // ... and the field has not confirmed it yet
    mutable QVariant m_original;
    mutable EditMask m_mask;
};

} // namespace framework

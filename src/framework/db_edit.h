#pragma once

#include "edit_mask.h"
#include "field_data_link.h"

#include <QLineEdit>
#include <QVariant>

namespace framework {

// A one-line edit bound to a field. Without the focus it shows the field's display text;
// with the focus the edit text, through the field's edit mask when it has one. The first
// change the user makes puts the dataset into edit mode; the typed text goes into the field
// as it is typed whenever the field takes it, and for certain when the user presses Enter
// or leaves the control. A text the field refuses is reported through the standard error
// display; the control then keeps the focus and the text.
//
//   auto* edit = new DBEdit(group);
//   edit->setObjectName("Titel1Edit");
//   edit->setDataSource(videoSource);
//   edit->setDataField("Titel1");
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { m_link->setDataSource(source); }
    DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    const QString& dataField() const { return m_link->fieldName(); }
    engine::Field* field() const { return m_link->field(); }

    // Writes the typed text into the field now, as leaving the control does. Throws
    // engine::Error when the field refuses it.
    void updateRecord();
    // Sets the text as if the user had typed it: the dataset goes into edit mode and the
    // field takes the text (an empty text empties a text field). Throws like updateRecord().
    void setTextAsTyped(const QString& text);
    // True while the text holds a change of the user's that the field has not confirmed.
    bool isTextModified() const { return m_modified; }

Q_SIGNALS:
    // The control got the focus (not when its window is merely activated again).
    void entered();
    // The focus left the control after its text went into the field.
    void exited();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    bool startChange();
    void onTextEdited();
    QString typedText() const;
    void revert();

    FieldDataLink* m_link;
    EditMask m_mask;
    bool m_editing = false;  // showing the edit text (the control has the focus)
    bool m_modified = false; // the user changed the text since it was shown
    QVariant m_original;     // the field's value when the edit text was shown
};

} // namespace framework

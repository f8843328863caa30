#pragma once

#include "field_data_link.h"

#include <QPlainTextEdit>
#include <QVariant>

namespace framework {

// A multi-line text bound to a memo (or text) field. The first change puts the dataset
// into edit mode; the text goes into the field as it is typed. Tab moves the focus on.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { m_link->setDataSource(source); }
    DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    const QString& dataField() const { return m_link->fieldName(); }
    engine::Field* field() const { return m_link->field(); }

    // Writes the text into the field now, as leaving the control does.
    void updateRecord();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showField();
    bool startChange();
    void onTextChanged();

    FieldDataLink* m_link;
    bool m_loading = false;
    bool m_modified = false;
    QVariant m_original;
};

} // namespace framework

#pragma once

#include "field_data_link.h"

#include <QLabel>

namespace framework {

// A read-only text showing a field's display text, e.g. the title of the current
// recording in large type.
class DBText : public QLabel {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { m_link->setDataSource(source); }
    DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    const QString& dataField() const { return m_link->fieldName(); }
    engine::Field* field() const { return m_link->field(); }

private:
    void showField();

    FieldDataLink* m_link;
};

} // namespace framework

#pragma once

#include "field_data_link.h"

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace framework {

class RadioTabStop;

// A captioned group of radio buttons for a fixed list of items; the field stores the text
// of the chosen item. A field value that is no item leaves every button unchecked. The group
// is one Tab stop, on the checked item; the arrow keys choose another.
//
//   auto* lyd = new DBRadioGroup(group);
//   lyd->setObjectName("Lyd");
//   lyd->setTitle("Lyd");
//   lyd->setItems({"Surround", "Stereo", "Mono"});
//   lyd->setDataSource(videoSource);
//   lyd->setDataField("Lyd");
class DBRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit DBRadioGroup(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { m_link->setDataSource(source); }
    DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    const QString& dataField() const { return m_link->fieldName(); }
    engine::Field* field() const { return m_link->field(); }

    // The buttons, one per item, laid out top to bottom; objectNames "Item0", "Item1", ...
    void setItems(const QStringList& items);
    const QStringList& items() const { return m_items; }
    QRadioButton* button(int index) const;
    // The index of the checked item; -1 when none is.
    int itemIndex() const;

    // A read-only group shows the field but takes no choice.
    void setReadOnly(bool on) { m_readOnly = on; }
    bool isReadOnly() const { return m_readOnly; }

private:
    void showField();
    void choose(int index);

    FieldDataLink* m_link;
    QButtonGroup* m_buttons;
    RadioTabStop* m_tabStop = nullptr;
    QStringList m_items;
    bool m_readOnly = false;
};

} // namespace framework

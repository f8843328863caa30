#pragma once

#include "choice_box.h"
#include "field_data_link.h"

#include <QPointer>
#include <QVariant>
#include <vector>

namespace framework {

// A drop-down list bound to a field that stores a key: the list comes from another data
// source (its key field and the field shown), and choosing an item writes that item's key
// into the bound field. The list follows every change of the list's dataset; a key that
// names no row of the list shows as an empty box. The wheel chooses only with the focus.
//
//   auto* gruppe = new DBLookupComboBox(group);
//   gruppe->setObjectName("DBLookupComboBox1");
//   gruppe->setDataSource(videoSource);
//   gruppe->setDataField("Gruppe");
//   gruppe->setListSource(gruppeSource);
//   gruppe->setKeyField("Lobenummer");
//   gruppe->setListField("Gruppenavn");
class DBLookupComboBox : public ChoiceBox {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);

    void setDataSource(DataSource* source) { m_link->setDataSource(source); }
    DataSource* dataSource() const { return m_link->dataSource(); }
    void setDataField(const QString& name) { m_link->setFieldName(name); }
    const QString& dataField() const { return m_link->fieldName(); }
    engine::Field* field() const { return m_link->field(); }

    void setListSource(DataSource* source);
    DataSource* listSource() const { return m_listSource; }
    void setKeyField(const QString& name);
    const QString& keyField() const { return m_keyField; }
    void setListField(const QString& name);
    const QString& listField() const { return m_listField; }

    // The key of the item shown; a null QVariant when none is.
    QVariant keyValue() const;

    void setReadOnly(bool on) { m_readOnly = on; }
    bool isReadOnly() const { return m_readOnly; }

private:
    struct Item {
        QVariant key;
        QString text;
    };

    void readList();
    void showField();
    void choose(int index);

    FieldDataLink* m_link;
    QPointer<DataSource> m_listSource;
    QString m_keyField;
    QString m_listField;
    std::vector<Item> m_list;
    bool m_readOnly = false;
};

// Two keys are the same when both are numbers of equal value or both texts are equal.
bool sameKey(const QVariant& a, const QVariant& b);

} // namespace framework

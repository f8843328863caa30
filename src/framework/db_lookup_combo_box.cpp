#include "db_lookup_combo_box.h"

#include "engine/dataset.h"
#include "engine/field.h"
#include "error_display.h"
#include "field_text.h"

#include <QSignalBlocker>
#include <algorithm>

namespace framework {

bool sameKey(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return false;
    if (engine::isNumeric(a) && engine::isNumeric(b))
        return a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : ChoiceBox(parent), m_link(new FieldDataLink(this)) {
    setEditable(false);
    connect(m_link, &FieldDataLink::dataChange, this, &DBLookupComboBox::showField);
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::choose);
}

void DBLookupComboBox::setListSource(DataSource* source) {
    if (m_listSource)
        disconnect(m_listSource, nullptr, this, nullptr);
    m_listSource = source;
    if (m_listSource) {
        connect(m_listSource, &DataSource::dataChange, this, &DBLookupComboBox::readList);
        connect(m_listSource, &DataSource::stateChange, this, &DBLookupComboBox::readList);
    }
    readList();
}

void DBLookupComboBox::setKeyField(const QString& name) {
    m_keyField = name;
    readList();
}

void DBLookupComboBox::setListField(const QString& name) {
    m_listField = name;
    readList();
}

QVariant DBLookupComboBox::keyValue() const {
    const int index = currentIndex();
    return index >= 0 && std::size_t(index) < m_list.size() ? m_list[std::size_t(index)].key
                                                            : QVariant();
}

// Reads the list dataset's rows without moving its cursor; a row being inserted is not a
// choice yet.
void DBLookupComboBox::readList() {
    std::vector<Item> list;
    engine::Dataset* ds = m_listSource ? m_listSource->dataSet() : nullptr;
    if (ds && ds->isActive()) {
        const int keyIndex = ds->fieldIndex(m_keyField);
        const int listIndex = m_listField.isEmpty() ? keyIndex : ds->fieldIndex(m_listField);
        if (keyIndex >= 0 && listIndex >= 0) {
            const engine::FieldDef& shown = ds->field(listIndex).def();
            const bool inserting = ds->state() == engine::DatasetState::Insert;
            const int rows = ds->displayRowCount();
            for (int row = 0; row < rows; ++row) {
                if (inserting && row == ds->displayRow())
                    continue;
                const QVariant key = ds->rowValue(row, keyIndex);
                if (key.isNull())
                    continue;
                list.push_back({key, displayTextOf(shown, ds->rowValue(row, listIndex))});
            }
        }
    }
    const bool same = std::equal(
        list.begin(), list.end(), m_list.begin(), m_list.end(),
        [](const Item& a, const Item& b) { return a.text == b.text && sameKey(a.key, b.key); });
    if (same)
        return;
    m_list = std::move(list);
    {
        const QSignalBlocker blocker(this);
        clear();
        for (const Item& item : m_list)
            addItem(item.text);
    }
    showField();
}

void DBLookupComboBox::showField() {
    engine::Field* f = field();
    int index = -1;
    if (f) {
        const QVariant key = f->value();
        for (std::size_t i = 0; i < m_list.size(); ++i) {
            if (sameKey(m_list[i].key, key)) {
                index = int(i);
                break;
            }
        }
    }
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
}

void DBLookupComboBox::choose(int index) {
    if (index < 0 || std::size_t(index) >= m_list.size())
        return;
    const QVariant key = m_list[std::size_t(index)].key;
    const bool chosen = !m_readOnly && guarded([&] {
        if (m_link->edit())
            m_link->writeValue(key);
        else
            showField();
    });
    if (!chosen)
        showField();
}

} // namespace framework

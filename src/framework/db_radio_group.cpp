#include "db_radio_group.h"

#include "engine/field.h"
#include "error_display.h"
#include "radio_tab_stop.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace framework {

DBRadioGroup::DBRadioGroup(QWidget* parent)
    : QGroupBox(parent), m_link(new FieldDataLink(this)), m_buttons(new QButtonGroup(this)) {
    new QVBoxLayout(this);
    connect(m_link, &FieldDataLink::dataChange, this, &DBRadioGroup::showField);
    connect(m_buttons, &QButtonGroup::idClicked, this, &DBRadioGroup::choose);
}

void DBRadioGroup::setItems(const QStringList& items) {
    delete m_tabStop;
    for (QAbstractButton* b : m_buttons->buttons()) {
        m_buttons->removeButton(b);
        delete b;
    }
    m_items = items;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items.at(i), this);
        b->setObjectName(QStringLiteral("Item%1").arg(i));
        m_buttons->addButton(b, i);
        layout()->addWidget(b);
    }
    m_tabStop = new RadioTabStop(m_buttons->buttons(), this);
    showField();
}

QRadioButton* DBRadioGroup::button(int index) const {
    return qobject_cast<QRadioButton*>(m_buttons->button(index));
}

int DBRadioGroup::itemIndex() const {
    return m_buttons->checkedId();
}

void DBRadioGroup::showField() {
    engine::Field* f = field();
    const int index = f ? int(m_items.indexOf(f->asString())) : -1;
    if (index >= 0) {
        m_buttons->button(index)->setChecked(true);
    } else if (QAbstractButton* checked = m_buttons->checkedButton()) {
        // An exclusive group cannot uncheck its last button by itself.
        m_buttons->setExclusive(false);
        checked->setChecked(false);
        m_buttons->setExclusive(true);
    }
}

void DBRadioGroup::choose(int index) {
    if (index < 0 || index >= m_items.size())
        return;
    // Pressing the item already chosen (Space on it, a click) changes nothing.
    if (const engine::Field* f = field(); f && f->asString() == m_items.at(index))
        return;
    const bool chosen = !m_readOnly && guarded([&] {
        if (m_link->edit())
            m_link->writeText(m_items.at(index));
        else
            showField();
    });
    if (!chosen)
        showField();
}

} // namespace framework

#include "db_text.h"

#include "engine/field.h"

namespace framework {

DBText::DBText(QWidget* parent) : QLabel(parent), m_link(new FieldDataLink(this)) {
    setTextFormat(Qt::PlainText);
    connect(m_link, &FieldDataLink::dataChange, this, &DBText::showField);
}

void DBText::showField() {
    engine::Field* f = field();
    setText(f ? f->displayText() : QString());
}

} // namespace framework

#include "db_memo.h"

#include "editing_keys.h"
#include "engine/error.h"
#include "engine/field.h"
#include "error_display.h"
#include "focus_moves.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace framework {

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent), m_link(new FieldDataLink(this)) {
    setTabChangesFocus(true);
    connect(m_link, &FieldDataLink::dataChange, this, &DBMemo::showField);
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::onTextChanged);
    m_link->setUpdateData([this] { updateRecord(); });
}

void DBMemo::showField() {
    engine::Field* f = field();
    m_loading = true;
    setPlainText(f ? f->asString() : QString());
    m_loading = false;
    m_modified = false;
    m_original = f ? f->value() : QVariant();
}

bool DBMemo::startChange() {
    if (isReadOnly())
        return false;
    bool editable = false;
    guarded([&] { editable = m_link->edit(); });
    return editable;
}

void DBMemo::onTextChanged() {
    if (m_loading)
        return;
    if (!m_link->editing() && !startChange()) {
        showField();
        return;
    }
    m_modified = true;
    refusalOf([this] { m_link->writeText(toPlainText()); });
}

void DBMemo::updateRecord() {
    if (!m_modified)
        return;
    if (!m_link->editing() && !m_link->edit()) {
        showField();
        return;
    }
    m_link->writeText(toPlainText());
    m_modified = false;
}

void DBMemo::focusOutEvent(QFocusEvent* event) {
    if (isFocusMove(this, *event))
        guarded([this] { updateRecord(); });
    QPlainTextEdit::focusOutEvent(event);
}

void DBMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && m_modified) {
        if (m_link->editing())
            guarded([this] { m_link->writeValue(m_original); });
        showField();
        event->accept();
        return;
    }
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!isReadOnly() && (changesText(*event) || newLine) && !startChange()) {
        event->accept();
        QApplication::beep();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace framework

#include "db_edit.h"

#include "editing_keys.h"
#include "engine/error.h"
#include "engine/field.h"
#include "error_display.h"
#include "focus_moves.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

namespace framework {

namespace {

constexpr int kUnlimited = 32767; // QLineEdit's own default length

} // namespace

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), m_link(new FieldDataLink(this)) {
    connect(m_link, &FieldDataLink::dataChange, this, &DBEdit::showField);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::onTextEdited);
    m_link->setUpdateData([this] { updateRecord(); });
}

void DBEdit::showField() {
    engine::Field* f = field();
    m_modified = false;
    m_mask = EditMask(f && m_editing ? f->def().editMask : QString());
    if (!f) {
        m_original = QVariant();
        setInputMask(QString());
        setMaxLength(kUnlimited);
        setText(QString());
        return;
    }
    if (!m_editing) {
        setInputMask(QString());
        setMaxLength(kUnlimited);
        setText(f->displayText());
        setCursorPosition(0);
        return;
    }
    m_original = f->value();
    if (!m_mask.isEmpty()) {
        if (inputMask() != m_mask.inputMask())
            setInputMask(m_mask.inputMask());
        setText(m_mask.shownText(m_mask.textForValue(f->type(), f->value())));
    } else {
        setInputMask(QString());
        const bool sized = f->type() == engine::FieldType::Text && f->def().size > 0;
        setMaxLength(sized ? f->def().size : kUnlimited);
        setText(f->text());
    }
}

QString DBEdit::typedText() const {
    return m_mask.isEmpty() ? text() : m_mask.fieldText(displayText());
}

bool DBEdit::startChange() {
    if (isReadOnly())
        return false;
    bool editable = false;
    guarded([&] { editable = m_link->edit(); });
    return editable;
}

void DBEdit::onTextEdited() {
    if (!m_link->editing() && !startChange()) {
        showField();
        return;
    }
    m_modified = true;
    // The field takes the text as it is typed, so that a post from elsewhere finds it there;
    // a text it refuses is reported when the user leaves the control.
    refusalOf([this] { m_link->writeText(typedText()); });
}

void DBEdit::updateRecord() {
    if (!m_modified)
        return;
    if (!m_link->editing() && !m_link->edit()) {
        showField();
        return;
    }
    m_link->writeText(typedText());
    showField();
}

void DBEdit::setTextAsTyped(const QString& text) {
    if (!m_link->edit())
        return;
    m_link->writeText(text);
    showField();
}

void DBEdit::revert() {
    if (m_link->editing())
        guarded([this] { m_link->writeValue(m_original); });
    showField();
    selectAll();
}

void DBEdit::focusInEvent(QFocusEvent* event) {
    const bool wasEditing = m_editing;
    if (!m_editing) {
        m_editing = true;
        showField();
    }
    QLineEdit::focusInEvent(event);
    if (!wasEditing && isFocusMove(this, *event))
        Q_EMIT entered();
}

void DBEdit::focusOutEvent(QFocusEvent* event) {
    if (!isFocusMove(this, *event)) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    if (m_modified) {
        if (const auto refusal = refusalOf([this] { updateRecord(); })) {
            // Like a refused exit: the focus comes back with the text as typed.
            QLineEdit::focusOutEvent(event);
            if (isVisible())
                setFocus(Qt::OtherFocusReason);
            selectAll();
            if (!refusal->isEmpty())
                showError(*refusal);
            return;
        }
    }
    m_editing = false;
    showField();
    QLineEdit::focusOutEvent(event);
    Q_EMIT exited();
}

void DBEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_modified) {
            revert();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_modified) {
            const bool written = guarded([this] { updateRecord(); });
            selectAll();
            if (!written) {
                event->accept();
                return;
            }
        }
        break;
    default:
        if (!isReadOnly() && changesText(*event) && !startChange()) {
            event->accept();
            QApplication::beep();
            return;
        }
        break;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace framework

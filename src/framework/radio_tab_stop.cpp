#include "radio_tab_stop.h"

#include <QAbstractButton>
#include <QEvent>

namespace framework {

RadioTabStop::RadioTabStop(const QList<QAbstractButton*>& buttons, QObject* parent)
    : QObject(parent) {
    for (QAbstractButton* button : buttons) {
        m_buttons << button;
        connect(button, &QAbstractButton::toggled, this, &RadioTabStop::update);
        button->installEventFilter(this);
    }
    update();
}

void RadioTabStop::update() {
    QAbstractButton* stop = nullptr;
    for (QAbstractButton* button : std::as_const(m_buttons)) {
        if (button && (!stop || button->isChecked()))
            stop = button;
        if (stop && stop->isChecked())
            break;
    }
    for (QAbstractButton* button : std::as_const(m_buttons)) {
        if (!button)
            continue;
        const Qt::FocusPolicy policy = button->focusPolicy();
        button->setFocusPolicy(button == stop ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                              : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

bool RadioTabStop::eventFilter(QObject* watched, QEvent* event) {
    // A button that gets the focus makes itself the stop (Qt's rule); put it back once that
    // has happened.
    if (event->type() == QEvent::FocusIn)
        QMetaObject::invokeMethod(this, &RadioTabStop::update, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

} // namespace framework

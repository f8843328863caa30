#include "focus_moves.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMenuBar>
#include <QPointer>

namespace framework {

namespace {

// Follows the menu bar's keyboard mode: which control it took the keyboard from, and where
// it hands it on to.
class MenuBarHandOver : public QObject {
public:
    MenuBarHandOver() : QObject(qApp) {
        connect(qApp, &QApplication::focusChanged, this, &MenuBarHandOver::focusChanged);
    }

    static MenuBarHandOver& instance() {
        static QPointer<MenuBarHandOver> handOver;
        if (!handOver)
            handOver = new MenuBarHandOver;
        return *handOver;
    }

    void tookKeyboardFrom(QWidget* control) { m_control = control; }

private:
    void focusChanged(QWidget* old, QWidget* now) {
        if (!qobject_cast<QMenuBar*>(old) || qobject_cast<QMenuBar*>(now))
            return;
        const QPointer<QWidget> control = std::exchange(m_control, nullptr);
        if (!control || !now || now == control || now->window() != control->window())
            return;
        // Once the focus change is over, as the exit may open a dialog.
        QCoreApplication::postEvent(control,
                                    new QFocusEvent(QEvent::FocusOut, Qt::OtherFocusReason));
    }

    QPointer<QWidget> m_control;
};

} // namespace

bool isFocusMove(QWidget* control, const QFocusEvent& event) {
    switch (event.reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        return false;
    case Qt::MenuBarFocusReason:
        if (event.lostFocus())
            MenuBarHandOver::instance().tookKeyboardFrom(control);
        return false;
    default:
        break;
    }
    if (event.lostFocus()) {
        // Leaving for another window or its menu bar is not leaving the control.
        QWidget* now = QApplication::focusWidget();
        if (now && (now->window() != control->window() || qobject_cast<QMenuBar*>(now)))
            return false;
    }
    return true;
}

} // namespace framework

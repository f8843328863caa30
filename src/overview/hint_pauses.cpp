#include "hint_pauses.h"

#include <QApplication>
#include <QBasicTimer>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimerEvent>
#include <QToolTip>
#include <QWidget>

namespace {

// Moving on to another control while a hint is up shows the next hint almost at once.
constexpr int kShortPause = 20;

HintPauses currentPauses = kStandardHintPauses;

class HintTimingFilter : public QObject {
public:
    explicit HintTimingFilter(QObject* parent) : QObject(parent) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ToolTip:
            return handleToolTip(watched, static_cast<QHelpEvent*>(event));
        case QEvent::MouseMove:
            if (watched->isWidgetType())
                mouseMoved(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
            break;
        case QEvent::Leave:
            if (watched == m_target)
                m_timer.stop();
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::WindowDeactivate:
            m_timer.stop();
            break;
        default:
            break;
        }
        return false;
    }

protected:
    void timerEvent(QTimerEvent* event) override {
        if (event->timerId() != m_timer.timerId())
            return QObject::timerEvent(event);
        m_timer.stop();
        if (!m_target || !m_target->isVisible() || !mayShowHints(m_target))
            return;
        QHelpEvent help(QEvent::ToolTip, m_localPos, m_globalPos);
        m_delivering = true;
        QCoreApplication::sendEvent(m_target, &help);
        m_delivering = false;
    }

private:
    // Qt shows hints of active windows only, unless a window asks for them always.
    static bool mayShowHints(const QWidget* widget) {
        const QWidget* window = widget->window();
        return window->isActiveWindow() || window->testAttribute(Qt::WA_AlwaysShowToolTips);
    }

    bool handleToolTip(QObject* watched, QHelpEvent* help) {
        if (!m_delivering)
            return true; // Qt's own request, after its own delay: ours comes instead
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->toolTip().isEmpty())
            return false; // a control with hints of its own answers itself
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(),
                           currentPauses.hidePause);
        return true;
    }

    void mouseMoved(QWidget* widget, const QMouseEvent* move) {
        if (move->buttons() != Qt::NoButton || !move->spontaneous())
            return;
        const bool sameTarget = widget == m_target;
        m_target = widget;
        m_localPos = move->position().toPoint();
        m_globalPos = move->globalPosition().toPoint();
        if (QToolTip::isVisible()) {
            // A control with a static hint keeps the one it shows; others may show another
            // hint for another spot.
            if (!sameTarget || widget->toolTip().isEmpty())
                m_timer.start(kShortPause, this);
            return;
        }
        m_timer.start(currentPauses.pause, this);
    }

    QBasicTimer m_timer;
    QPointer<QWidget> m_target;
    QPoint m_localPos;
    QPoint m_globalPos;
    bool m_delivering = false;
};

QPointer<HintTimingFilter> installedFilter;

} // namespace

void setApplicationHintPauses(const HintPauses& pauses) {
    currentPauses = pauses;
    if (!installedFilter && qApp) {
        installedFilter = new HintTimingFilter(qApp);
        qApp->installEventFilter(installedFilter);
    }
}

HintPauses applicationHintPauses() {
    return currentPauses;
}

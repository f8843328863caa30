#include "db_navigator.h"

#include "engine/table.h"
#include "error_display.h"
#include "field_data_link.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleOptionFocusRect>
#include <QToolButton>

namespace framework {

namespace {

constexpr int kButtonWidth = 25;
constexpr int kButtonHeight = 25;
constexpr int kGlyphSize = 16;

// The classic glyphs: a bar and a triangle for first and last, a triangle for prior and
// next, a cross for cancel.
QIcon glyph(DBNavigator::Button which) {
    QPixmap pixmap(kGlyphSize, kGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0, 0, 0);
    auto triangle = [&](bool left, qreal x) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 5, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 5, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 5, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        painter.fillPath(path, ink);
    };
    switch (which) {
    case DBNavigator::First:
        painter.fillRect(QRectF(4, 3, 2, 10), ink);
        triangle(true, 6);
        break;
    case DBNavigator::Prior:
        triangle(true, 5);
        break;
    case DBNavigator::Next:
        triangle(false, 6);
        break;
    case DBNavigator::Last:
        triangle(false, 5);
        painter.fillRect(QRectF(10, 3, 2, 10), ink);
        break;
    case DBNavigator::Cancel:
        painter.setPen(QPen(QColor(128, 0, 0), 2));
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
    return QIcon(pixmap);
}

// A navigator button that can wear the focus frame of its navigator.
class NavigatorButton : public QToolButton {
public:
    using QToolButton::QToolButton;

    void setShowsFocus(bool on) {
        if (m_showsFocus == on)
            return;
        m_showsFocus = on;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event);
        if (!m_showsFocus)
            return;
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }

private:
    bool m_showsFocus = false;
};

} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
    static const char* const names[kButtonCount] = {"FirstButton", "PriorButton", "NextButton",
                                                    "LastButton", "CancelButton"};
    static const char* const hints[kButtonCount] = {"Første post", "Forrige post", "Næste post",
                                                    "Sidste post", "Annuller ændringer"};
    setFocusPolicy(Qt::TabFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kButtonCount; ++i) {
        const auto which = Button(i);
        auto* b = new NavigatorButton(this);
        b->setObjectName(QString::fromLatin1(names[i]));
        b->setToolTip(QString::fromUtf8(hints[i]));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(kButtonWidth, kButtonHeight);
        b->setIcon(glyph(which));
        b->setIconSize(QSize(kGlyphSize, kGlyphSize));
        connect(b, &QToolButton::clicked, this, [this, which] { click(which); });
        layout->addWidget(b);
        m_buttons[std::size_t(i)] = b;
    }
    updateButtons();
}

void DBNavigator::setDataSource(DataSource* source) {
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source) {
        connect(m_source, &DataSource::stateChange, this, &DBNavigator::scheduleUpdate);
        connect(m_source, &DataSource::dataChange, this, [this](int fieldIndex) {
            if (fieldIndex < 0)
                scheduleUpdate();
        });
        connect(m_source, &QObject::destroyed, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::setHint(Button which, const QString& hint) {
    button(which)->setToolTip(hint);
}

QString DBNavigator::hint(Button which) const {
    return button(which)->toolTip();
}

bool DBNavigator::click(Button which) {
    engine::Dataset* ds = m_source ? m_source->dataSet() : nullptr;
    if (!ds || !ds->isActive())
        return false;
    const bool done = guarded([&] {
        if (which == Cancel) {
            if (auto* table = dynamic_cast<engine::Table*>(ds))
                table->cancel();
            return;
        }
        framework::updateRecord(m_source);
        switch (which) {
        case First:
            ds->first();
            break;
        case Prior:
            ds->prior();
            break;
        case Next:
            ds->next();
            break;
        case Last:
            ds->last();
            break;
        case Cancel:
            break;
        }
    });
    updateButtons();
    if (done)
        Q_EMIT clicked(which);
    return done;
}

// A move tells its listeners before the dataset knows whether it reached an end: the
// buttons look again once the move is over.
void DBNavigator::scheduleUpdate() {
    updateButtons();
    if (m_updatePending)
        return;
    m_updatePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_updatePending = false;
            updateButtons();
        },
        Qt::QueuedConnection);
}

void DBNavigator::updateButtons() {
    engine::Dataset* ds = m_source ? m_source->dataSet() : nullptr;
    const bool active = ds && ds->isActive();
    const bool up = active && !ds->bof();
    const bool down = active && !ds->eof();
    const bool editing = active && ds->isEditing() && dynamic_cast<engine::Table*>(ds);
    button(First)->setEnabled(up);
    button(Prior)->setEnabled(up);
    button(Next)->setEnabled(down);
    button(Last)->setEnabled(down);
    button(Cancel)->setEnabled(editing);
}

void DBNavigator::moveFocusedButton(int step) {
    // From a disabled button with none enabled that way, look the other way.
    for (int pass = 0; pass < 2; ++pass, step = -step) {
        for (int i = int(m_focused) + step; i >= 0 && i < kButtonCount; i += step) {
            if (button(Button(i))->isEnabled()) {
                m_focused = Button(i);
                showFocus();
                return;
            }
        }
        if (button(m_focused)->isEnabled())
            return;
    }
}

void DBNavigator::showFocus() {
    for (int i = 0; i < kButtonCount; ++i)
        static_cast<NavigatorButton*>(button(Button(i)))
            ->setShowsFocus(hasFocus() && Button(i) == m_focused);
}

void DBNavigator::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        moveFocusedButton(-1);
        break;
    case Qt::Key_Right:
        moveFocusedButton(+1);
        break;
    case Qt::Key_Space:
        if (!event->isAutoRepeat() && button(m_focused)->isEnabled())
            click(m_focused);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void DBNavigator::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // A button that went disabled while the focus was elsewhere hands on to an enabled one;
    // while the navigator keeps the focus, the focused button stays where the user put it.
    if (!button(m_focused)->isEnabled())
        moveFocusedButton(+1);
    showFocus();
}

void DBNavigator::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    showFocus();
}

} // namespace framework

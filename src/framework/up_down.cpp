#include "up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace framework {

namespace {

QToolButton* arrowButton(QWidget* parent, Qt::ArrowType arrow, const QString& name) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    m_up = arrowButton(this, Qt::UpArrow, QStringLiteral("UpButton"));
    m_down = arrowButton(this, Qt::DownArrow, QStringLiteral("DownButton"));
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
    resize(16, 21);
    updateButtons();
}

void UpDown::setAssociate(QLineEdit* edit) {
    if (m_edit)
        m_edit->removeEventFilter(this);
    m_edit = edit;
    if (!edit)
        return;
    edit->installEventFilter(this);
    setGeometry(edit->geometry().right() + 1, edit->y(), width(), edit->height());
    edit->setText(QString::number(m_position));
}

void UpDown::setRange(int minimum, int maximum) {
    m_min = minimum;
    m_max = std::max(minimum, maximum);
    setPosition(m_position);
    updateButtons();
}

void UpDown::setPosition(int position) {
    position = std::clamp(position, m_min, m_max);
    const bool changed = position != m_position;
    m_position = position;
    if (m_edit && m_edit->text() != QString::number(position))
        m_edit->setText(QString::number(position));
    updateButtons();
    if (changed)
        Q_EMIT positionChanged(position);
}

void UpDown::updateButtons() {
    m_up->setEnabled(m_position < m_max);
    m_down->setEnabled(m_position > m_min);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    // The event type first: while the field is being destroyed it still sends events, and
    // it must not be touched as a line edit then.
    if (event->type() == QEvent::KeyPress && watched == m_edit && m_edit->isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            key == Qt::Key_Up ? stepUp() : stepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

} // namespace framework

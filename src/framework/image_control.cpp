#include "image_control.h"

#include <QMouseEvent>
#include <QPainter>

namespace framework {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {}

void ImageControl::setPicture(const QImage& picture) {
    m_picture = picture;
    m_scaled = QImage();
    update();
}

void ImageControl::setStretch(bool on) {
    m_stretch = on;
    m_scaled = QImage();
    update();
}

void ImageControl::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (!m_stretch || m_picture.size() == size()) {
        painter.drawImage(QPoint(0, 0), m_picture);
        return;
    }
    if (m_scaled.size() != size())
        m_scaled = m_picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    painter.drawImage(QPoint(0, 0), m_scaled);
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}

} // namespace framework

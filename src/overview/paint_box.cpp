#include "paint_box.h"

#include <QPainter>

void PaintBox::paintEvent(QPaintEvent*) {
    if (!onPaint)
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(QPen(Qt::black, 1)); // the canvas's default pen
    onPaint(painter);
}

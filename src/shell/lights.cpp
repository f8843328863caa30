#include "lights.h"

#include <QPainter>
#include <QRandomGenerator>

TLights::TLights(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaintBox1"));
    setFixedSize(13, 25);
}

void TLights::paintEvent(QPaintEvent*) {
    // PaintBox1Paint: three dots, each in a fresh random colour below pure white.
    QPainter painter(this);
    const int tops[] = {2, 8, 14};
    for (int top : tops) {
        const auto rgb = QRandomGenerator::global()->bounded(0xFFFFFF);
        const QColor colour(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
        painter.setPen(colour);
        painter.setBrush(colour);
        // The rectangle (2, top)-(4, top + 2), right and bottom exclusive.
        painter.drawEllipse(QRect(2, top, 2, 2));
    }
}

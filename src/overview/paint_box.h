#pragma once

#include <QWidget>
#include <functional>

class QPainter;

// A plain drawing surface: whoever owns it paints it in onPaint.
class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget* parent = nullptr) : QWidget(parent) {}

    std::function<void(QPainter&)> onPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
};

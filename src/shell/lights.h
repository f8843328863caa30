#pragma once

#include <QWidget>

// The three coloured lights at the right end of the main window's button row.
class TLights : public QWidget {
    Q_OBJECT
public:
    explicit TLights(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

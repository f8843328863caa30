#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The progress window of long computations: a large message and a bar from 0% to 100%.
// Created once at start-up and shown modeless while the tape overview is computed.
class TProgressBarForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressBarForm(QWidget* parent = nullptr);

    QLabel* Label4 = nullptr; // the message
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Label1 = nullptr; // "0%"
    QLabel* Label2 = nullptr; // "50%"
    QLabel* Label3 = nullptr; // "100%"

    // Shows the window modeless, centred on the screen, and paints it at once.
    void showAndPaint();
    // Paints the window now, not later from the event loop.
    void paintNow();

protected:
    void showEvent(QShowEvent* event) override;
};

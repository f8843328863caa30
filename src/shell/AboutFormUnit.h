#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box, also shown without its close button as the splash while the catalogue
// opens. It closes only through "Luk".
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QPushButton* LukButton = nullptr;
    QLabel* Image1 = nullptr;

    void LukButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

// Shows a new about box modally with its close button, and frees it afterwards.
void showAboutBoxModal(QWidget* parent);

#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class TDataBox;

// The new-tape dialog: creates a tape on the spot when a recording names a tape that is
// not registered yet. Result 1 means the tape was created, 2 that it was not.
class TBaandtypeForm : public QDialog {
    Q_OBJECT
public:
    explicit TBaandtypeForm(TDataBox& dataBox, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Baandnavn = nullptr; // the tape name, set by the caller before showing
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;

    void BitBtn1Click();

protected:
    void reject() override { done(2); } // Escape, like "Annuller"
    void showEvent(QShowEvent* event) override;

private:
    TDataBox& m_dataBox;
};

#pragma once

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace framework {
class PrinterService;
class UpDown;
} // namespace framework

// The print dialog every print window derives from: the strip at the bottom chooses the
// printer and the number of copies and holds the buttons; the derived window puts its
// options above the strip and supplies what "Udskriv" and "Vis udskrift" do. Whichever way
// it is closed, the modal result is the cancel result.
class TUdskrivForm : public QDialog {
    Q_OBJECT
public:
    explicit TUdskrivForm(framework::PrinterService& printers, QWidget* parent = nullptr);

    QPushButton* UdskrivBtn = nullptr;
    QPushButton* VisBtn = nullptr;
    QPushButton* SetupBtn = nullptr;
    QPushButton* AnnullerBtn = nullptr;
    QLabel* Printerlabel = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* KopierLabel = nullptr;
    QLineEdit* Antalkopier = nullptr;
    framework::UpDown* UpDown1 = nullptr;
    QFrame* Bevel1 = nullptr;

    // Each time the window is shown: the printer list, the current printer, the copies.
    virtual void FormShow();
    // The chosen printer becomes the current one; the copies field follows what it can do.
    void ComboBox1Change();
    // The current printer's number of copies := the copies field.
    void AntalkopierChange();
    // Closes the window; a derived window prints first and then calls this.
    virtual void UdskrivBtnClick();
    // Nothing here; a derived window shows its preview.
    virtual void VisBtnClick();
    void AnnullerBtnClick();
    void SetupBtnClick();

protected:
    framework::PrinterService& printers() const { return m_printers; }
    void showEvent(QShowEvent* event) override;

private:
    framework::PrinterService& m_printers;
    bool m_centred = false;
};

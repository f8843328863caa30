#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace framework {

// The application's printers as the print dialog sees them: the installed printers, a
// current printer (an index into that list, the system default until changed) and its
// number of copies. The choice belongs to the application and outlives the dialog.
class PrinterService {
public:
    virtual ~PrinterService() = default;

    // Installed printers in the platform's order; an empty list when there are none.
    virtual QStringList printers() const = 0;
    // Index of the current printer in printers(); -1 when the list is empty.
    virtual int printerIndex() const = 0;
    virtual void setPrinterIndex(int index) = 0; // indexes outside the list are ignored
    virtual int copies() const = 0;
    virtual void setCopies(int copies) = 0;
    // Whether the current printer prints several copies by itself.
    virtual bool canCopy() const = 0;

    // Points printer at the current printer with the current copies. False when there is
    // nothing to print on or the user backed out (e.g. of choosing a file name).
    virtual bool preparePrinter(QPrinter& printer, QWidget* parent) = 0;
};

// Asks for the name of a PDF file to write; an empty text means the user cancelled.
using PdfFileChooser = std::function<QString(QWidget* parent)>;

// The printers that Qt knows (CUPS on Linux). Without any, one entry "PDF-fil" writes the
// print to a PDF file whose name the file chooser asks for.
class QtPrinterService : public PrinterService {
public:
    static constexpr const char* kPdfEntry = "PDF-fil";

    QtPrinterService();

    QStringList printers() const override;
    int printerIndex() const override { return m_index; }
    void setPrinterIndex(int index) override;
    int copies() const override { return m_copies; }
    void setCopies(int copies) override;
    bool canCopy() const override;
    bool preparePrinter(QPrinter& printer, QWidget* parent) override;

    void setPdfFileChooser(PdfFileChooser chooser) { m_chooseFile = std::move(chooser); }
    static QString askForPdfFile(QWidget* parent); // the default chooser: a save dialog

private:
    bool printsToPdf() const;

    QStringList m_names; // the installed printers, read once
    int m_index = -1;
    int m_copies = 1;
    PdfFileChooser m_chooseFile = &QtPrinterService::askForPdfFile;
};

// The service the windows use: a QtPrinterService unless one was installed.
PrinterService& printerService();

// Installs service (tests install a fake) for as long as the guard lives.
class ScopedPrinterService {
public:
    explicit ScopedPrinterService(PrinterService& service);
    ~ScopedPrinterService();
    ScopedPrinterService(const ScopedPrinterService&) = delete;
    ScopedPrinterService& operator=(const ScopedPrinterService&) = delete;

private:
    PrinterService* m_previous;
};

} // namespace framework

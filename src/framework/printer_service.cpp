#include "printer_service.h"

#include <QFileDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace framework {

QtPrinterService::QtPrinterService() : m_names(QPrinterInfo::availablePrinterNames()) {
    if (m_names.isEmpty()) {
        m_index = 0; // the PDF entry
        return;
    }
    m_index = std::max(0, int(m_names.indexOf(QPrinterInfo::defaultPrinterName())));
}

bool QtPrinterService::printsToPdf() const {
    return m_names.isEmpty();
}

QStringList QtPrinterService::printers() const {
    return printsToPdf() ? QStringList{QString::fromUtf8(kPdfEntry)} : m_names;
}

void QtPrinterService::setPrinterIndex(int index) {
    if (index >= 0 && index < printers().size())
        m_index = index;
}

void QtPrinterService::setCopies(int copies) {
    m_copies = std::max(1, copies);
}

bool QtPrinterService::canCopy() const {
    if (printsToPdf() || m_index < 0)
        return false; // one file is one copy
    QPrinter printer(QPrinterInfo::printerInfo(m_names.at(m_index)));
    return printer.supportsMultipleCopies();
}

bool QtPrinterService::preparePrinter(QPrinter& printer, QWidget* parent) {
    if (printsToPdf()) {
        const QString file = m_chooseFile ? m_chooseFile(parent) : QString();
        if (file.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setCopyCount(1);
        return true;
    }
    if (m_index < 0)
        return false;
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(m_names.at(m_index));
    printer.setCopyCount(m_copies);
    return true;
}

QString QtPrinterService::askForPdfFile(QWidget* parent) {
    QString file = QFileDialog::getSaveFileName(parent, QStringLiteral("Gem udskrift som PDF"),
                                                QString(), QStringLiteral("PDF-filer (*.pdf)"));
    if (!file.isEmpty() && !file.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        file += QStringLiteral(".pdf");
    return file;
}

namespace {

PrinterService* g_installed = nullptr;

} // namespace

PrinterService& printerService() {
    if (g_installed)
        return *g_installed;
    static QtPrinterService platform; // asked for the printers at first use only
    return platform;
}

ScopedPrinterService::ScopedPrinterService(PrinterService& service) : m_previous(g_installed) {
    g_installed = &service;
}

ScopedPrinterService::~ScopedPrinterService() {
    g_installed = m_previous;
}

} // namespace framework

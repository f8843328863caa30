#pragma once

#include "framework/printer_service.h"

#include <QPrinter>
#include <QString>
#include <QStringList>
#include <QVector>

// Printers for tests: names as a platform lists them, which of them copy by themselves,
// and "printing" into a PDF file.
class FakePrinterService : public framework::PrinterService {
public:
    struct Printer {
        QString name;
        bool canCopy = false;
    };

    explicit FakePrinterService(QVector<Printer> printers = {}, int current = 0)
        : m_printers(std::move(printers)), m_index(m_printers.isEmpty() ? -1 : current) {}

    QStringList printers() const override {
        QStringList names;
        for (const Printer& p : m_printers)
            names.append(p.name);
        return names;
    }
    int printerIndex() const override { return m_index; }
    void setPrinterIndex(int index) override {
        if (index >= 0 && index < m_printers.size())
            m_index = index;
    }
    int copies() const override { return m_copies; }
    void setCopies(int copies) override { m_copies = copies; }
    bool canCopy() const override { return m_index >= 0 && m_printers[m_index].canCopy; }

    bool preparePrinter(QPrinter& printer, QWidget*) override {
        ++prepared;
        if (pdfFile.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
        printer.setCopyCount(m_copies);
        return true;
    }

    QString pdfFile; // where printing goes; empty: the user backs out
    int prepared = 0;

private:
    QVector<Printer> m_printers;
    int m_index = -1;
    int m_copies = 1;
};

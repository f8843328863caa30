#include "framework/printer_service.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QtTest>

using framework::PrinterService;
using framework::QtPrinterService;

namespace {

// Stands in for the application's service in the tests below.
class OnePrinter : public PrinterService {
public:
    QStringList printers() const override { return {QStringLiteral("Test")}; }
    int printerIndex() const override { return 0; }
    void setPrinterIndex(int) override {}
    int copies() const override { return 1; }
    void setCopies(int) override {}
    bool canCopy() const override { return false; }
    bool preparePrinter(QPrinter&, QWidget*) override { return false; }
};

} // namespace

class TestPrinterService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Without an installed printer the one choice is a PDF file, named when printing.
    void withoutPrintersPrintsToPdf() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("this machine has printers installed");
        QtPrinterService service;
        QCOMPARE(service.printers(), QStringList{QStringLiteral("PDF-fil")});
        QCOMPARE(service.printerIndex(), 0);
        QVERIFY(!service.canCopy());
        service.setPrinterIndex(3); // not in the list: ignored
        QCOMPARE(service.printerIndex(), 0);

        int asked = 0;
        QString answer = QStringLiteral("/tmp/oversigt.pdf");
        service.setPdfFileChooser([&](QWidget*) {
            ++asked;
            return answer;
        });
        service.setCopies(4);
        QPrinter printer;
        QVERIFY(service.preparePrinter(printer, nullptr));
        QCOMPARE(asked, 1);
        QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(printer.outputFileName(), answer);
        QCOMPARE(printer.copyCount(), 1);

        answer.clear(); // the user cancels the file dialog
        QPrinter cancelled;
        QVERIFY(!service.preparePrinter(cancelled, nullptr));
        QCOMPARE(asked, 2);
    }

    void copiesAtLeastOne() {
        QtPrinterService service;
        service.setCopies(0);
        QCOMPARE(service.copies(), 1);
        service.setCopies(7);
        QCOMPARE(service.copies(), 7);
    }

    // A service installed for a while replaces the application's, then gives it back.
    void installedServiceReplacesPlatform() {
        PrinterService* platform = &framework::printerService();
        OnePrinter fake;
        {
            framework::ScopedPrinterService installed(fake);
            QCOMPARE(&framework::printerService(), static_cast<PrinterService*>(&fake));
            QCOMPARE(framework::printerService().printers(), QStringList{QStringLiteral("Test")});
        }
        QCOMPARE(&framework::printerService(), platform);
    }
};

QTEST_MAIN(TestPrinterService)
#include "tst_printer_service.moc"

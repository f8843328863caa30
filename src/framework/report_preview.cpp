#include "report_preview.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <exception>

namespace framework::report {

void showPreview(const QString& title, const ReportGenerator& generate, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PreviewDialog"));
    dialog.setWindowTitle(title);
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        if (failure)
            return;
        try {
            target->setDocName(title);
            generate(*target);
        } catch (...) {
            // Exceptions must not cross Qt's signal delivery.
            failure = std::current_exception();
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        }
    });
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

void printReport(const QString& title, const ReportGenerator& generate, QPrinter& printer) {
    printer.setDocName(title);
    generate(printer);
}

} // namespace framework::report

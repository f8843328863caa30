#pragma once

#include <QString>
#include <functional>

class QPrinter;
class QWidget;

namespace framework::report {

// Draws a whole report onto the printer it is given.
using ReportGenerator = std::function<void(QPrinter& printer)>;

// Shows the report in Qt's print preview, modally, under the given caption; returns when
// the preview is closed. The preview asks for the pages again whenever it needs them
// (and when the user prints from it). An exception thrown by generate closes the preview
// and is thrown on from here.
void showPreview(const QString& title, const ReportGenerator& generate, QWidget* parent);

// Prints the report on printer, which names the print job after the title.
void printReport(const QString& title, const ReportGenerator& generate, QPrinter& printer);

} // namespace framework::report

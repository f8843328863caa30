#pragma once

#include "report_layout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <functional>
#include <vector>

class QPagedPaintDevice;

namespace framework::report {

// Draws a report onto a paged device (a QPrinter for print and preview, a QPdfWriter)
// row by row as the rows arrive, finishing each page as soon as it is full: neither the
// rows nor the drawn pages are kept. The first row opens the device, so a report without
// rows produces no page and, for a PDF, no file.
class ReportWriter {
public:
    ReportWriter(const ReportLayout& layout, QPagedPaintDevice& device);
    ~ReportWriter(); // finishes an unfinished report
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // Draws the detail band for the row that the detail items currently read, starting a
    // page first when needed. Throws engine::Error when the device cannot be opened.
    void addRow();
    // Draws the last page footer and closes the device; returns the number of pages.
    int finish();
    int pageCount() const { return m_page; }

private:
    void beginDocument();
    void startPage();
    void endPage();
    // A text item's font made for the device, with its measures in device units.
    struct DeviceFont {
        QFont font;
        QFontMetricsF metrics;
    };
    using DeviceFonts = std::vector<DeviceFont>;

    void drawBand(const Band& band, const DeviceFonts& fonts, double top);
    DeviceFonts fontsOf(const Band& band) const;
    double toDevice(double mm) const { return mm * m_dotsPerMm; }

    const ReportLayout& m_layout;
    QPagedPaintDevice& m_device;
    QPainter m_painter;
    double m_dotsPerMm = 0;
    double m_bodyHeight = 0; // mm between the margins
    double m_y = 0;          // mm from the top margin where the next band goes
    int m_page = 0;
    bool m_finished = false;
    const QFont* m_currentFont = nullptr;
    DeviceFonts m_headerFonts, m_detailFonts, m_footerFonts;
};

// Renders the report with rows pulled from nextRow, which moves to the next row and
// tells whether there is one. Returns the number of pages.
int renderReport(const ReportLayout& layout, QPagedPaintDevice& device,
                 const std::function<bool()>& nextRow);

} // namespace framework::report

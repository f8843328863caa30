#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QPointF>
#include <QString>
#include <functional>
#include <vector>

// A banded report described in millimetres: a page header and a page footer on every
// page and a detail band once per row, in between.
namespace framework::report {

struct FontSpec {
    QString family;
    double pointSize = 10;
    bool bold = false;
};

// What a text item may want to know besides the current row.
struct PageContext {
    int pageNumber = 0; // from 1
};

using TextSource = std::function<QString(const PageContext&)>;

// A line of text whose top-left corner is at `position` (mm from the band's top-left).
// Left-aligned items with no width are as wide as their text; a width gives a box in
// which the text is aligned.
struct TextItem {
    QPointF position;
    double width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    FontSpec font;
    TextSource text;
};

// A horizontal rule drawn through the middle of a frame of the given height.
struct LineItem {
    QPointF position;
    double length = 0;
    double frameHeight = 0;
};

struct Band {
    double height = 0; // mm

    std::vector<TextItem> texts;
    std::vector<LineItem> lines;

    Band& addText(double left, double top, const QString& text, const FontSpec& font);
    // A text computed when the band is drawn: a field of the current row, the page number.
    Band& addField(double left, double top, const FontSpec& font, TextSource source,
                   double width = 0, Qt::Alignment alignment = Qt::AlignLeft);
    Band& addLine(double left, double top, double length, double frameHeight);
};

inline QPageLayout a4Portrait(double marginMm) {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter);
}

struct ReportLayout {
    QString title; // the print job's name and the preview's caption
    QPageLayout page = a4Portrait(10);
    Band pageHeader;
    Band detail;
    Band pageFooter;
};

} // namespace framework::report

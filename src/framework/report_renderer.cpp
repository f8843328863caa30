#include "report_renderer.h"

#include "engine/error.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>

namespace framework::report {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kRuleWidthMm = 0.2;

} // namespace

ReportWriter::ReportWriter(const ReportLayout& layout, QPagedPaintDevice& device)
    : m_layout(layout), m_device(device) {}

ReportWriter::~ReportWriter() {
    // A report broken off by an exception: close the device without drawing more.
    if (m_painter.isActive())
        m_painter.end();
}

ReportWriter::DeviceFonts ReportWriter::fontsOf(const Band& band) const {
    DeviceFonts fonts;
    fonts.reserve(band.texts.size());
    for (const TextItem& item : band.texts) {
        QFont font(item.font.family);
        font.setPointSizeF(item.font.pointSize);
        font.setBold(item.font.bold);
        const QFont deviceFont(font, &m_device); // sized for the device's resolution
        fonts.push_back(DeviceFont{deviceFont, QFontMetricsF(deviceFont, &m_device)});
    }
    return fonts;
}

void ReportWriter::beginDocument() {
    m_device.setPageLayout(m_layout.page);
    if (!m_painter.begin(&m_device))
        throw engine::Error(QStringLiteral("Udskriften kunne ikke startes."));
    m_dotsPerMm = m_device.logicalDpiY() / kMmPerInch;
    m_bodyHeight = m_device.pageLayout().paintRect(QPageLayout::Millimeter).height();
    m_headerFonts = fontsOf(m_layout.pageHeader);
    m_detailFonts = fontsOf(m_layout.detail);
    m_footerFonts = fontsOf(m_layout.pageFooter);
}

void ReportWriter::startPage() {
    if (m_page == 0)
        beginDocument();
    else
        m_device.newPage();
    ++m_page;
    m_y = 0;
    drawBand(m_layout.pageHeader, m_headerFonts, m_y);
    m_y += m_layout.pageHeader.height;
}

void ReportWriter::endPage() {
    drawBand(m_layout.pageFooter, m_footerFonts, m_bodyHeight - m_layout.pageFooter.height);
}

void ReportWriter::addRow() {
    const double footerTop = m_bodyHeight - m_layout.pageFooter.height;
    const bool pageHasRows = m_y > m_layout.pageHeader.height;
    if (m_page == 0) {
        startPage();
    } else if (pageHasRows && m_y + m_layout.detail.height > footerTop) {
        endPage();
        startPage();
    }
    drawBand(m_layout.detail, m_detailFonts, m_y);
    m_y += m_layout.detail.height;
}

int ReportWriter::finish() {
    if (m_finished)
        return m_page;
    m_finished = true;
    if (m_page > 0) {
        endPage();
        m_painter.end();
    }
    return m_page;
}

void ReportWriter::drawBand(const Band& band, const DeviceFonts& fonts, double top) {
    const PageContext context{m_page};
    for (std::size_t i = 0; i < band.texts.size(); ++i) {
        const TextItem& item = band.texts[i];
        const QString text = item.text(context);
        if (text.isEmpty())
            continue;
        if (m_currentFont != &fonts[i].font) {
            m_painter.setFont(fonts[i].font);
            m_currentFont = &fonts[i].font;
        }
        // Drawn at its baseline rather than laid out in a box: the cheaper way for one line,
        // which counts with a hundred thousand rows.
        const QFontMetricsF& metrics = fonts[i].metrics;
        double x = toDevice(item.position.x());
        if (item.alignment & Qt::AlignRight)
            x += toDevice(item.width) - metrics.horizontalAdvance(text);
        m_painter.drawText(QPointF(x, toDevice(top + item.position.y()) + metrics.ascent()), text);
    }
    if (band.lines.empty())
        return;
    m_painter.setPen(QPen(Qt::black, toDevice(kRuleWidthMm)));
    for (const LineItem& line : band.lines) {
        const double y = toDevice(top + line.position.y() + line.frameHeight / 2);
        m_painter.drawLine(QPointF(toDevice(line.position.x()), y),
                           QPointF(toDevice(line.position.x() + line.length), y));
    }
}

int renderReport(const ReportLayout& layout, QPagedPaintDevice& device,
                 const std::function<bool()>& nextRow) {
    ReportWriter writer(layout, device);
    while (nextRow())
        writer.addRow();
    return writer.finish();
}

} // namespace framework::report

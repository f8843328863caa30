#include "tape_rows_view.h"

#include "hint_pauses.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

using overview::kPanelHeight;
using overview::kRowPitch;

namespace {

const QColor kBevelLight(255, 255, 255);
const QColor kBevelShadow(128, 128, 128);

} // namespace

TapeRowsView::TapeRowsView(const overview::TapeRows& rows, QWidget* parent)
    : QWidget(parent), m_rows(rows) {
    setAutoFillBackground(true);
    rowsChanged();
}

void TapeRowsView::rowsChanged() {
    setMinimumHeight(m_rows.height());
    updateGeometry();
    update();
}

QSize TapeRowsView::sizeHint() const {
    return QSize(overview::kStripLeft + overview::kStripWidth, m_rows.height());
}

bool TapeRowsView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<overview::PanelAt> at = m_rows.panelAt(help->pos());
    if (!at) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // The hint stays while the mouse is on the same panel.
    QToolTip::showText(help->globalPos(), at->panel().hint(), this, at->rect(),
                       applicationHintPauses().hidePause);
    return true;
}

void TapeRowsView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    const int first = std::max(0, dirty.top() / kRowPitch);
    const int last = std::min(m_rows.rowCount() - 1, dirty.bottom() / kRowPitch);
    // Each row is made as it is painted: only the rows in view ever exist as drawn.
    for (int i = first; i <= last; ++i)
        paintRow(painter, m_rows.row(i));
}

void TapeRowsView::paintRow(QPainter& painter, const overview::OverviewRow& row) {
    // A row never draws outside its own pitch.
    painter.save();
    painter.setClipRect(QRect(0, row.top, width(), kRowPitch));
    painter.setPen(palette().color(QPalette::WindowText));
    const int labelTop = row.top + overview::kLabelTop;
    const QRect area(0, 0, width(), height());
    painter.drawText(QRect(QPoint(overview::kTapeNameLeft, labelTop), area.bottomRight()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, row.tapeName);
    painter.drawText(QRect(QPoint(row.freeLabelLeft, labelTop), area.bottomRight()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, row.freeLabel);
    for (const overview::Segment& segment : row.segments) {
        if (segment.width > 0)
            paintPanel(painter, row.panelRect(segment), m_rows.kindColour(segment.kind),
                       m_rows.caption(segment));
    }
    painter.restore();
}

void TapeRowsView::paintPanel(QPainter& painter, const QRect& rect, const QColor& colour,
                              const QString& caption) {
    painter.fillRect(rect, colour);
    if (rect.width() >= 2) {
        painter.setPen(kBevelLight);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(kBevelShadow);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    }
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (inner.width() <= 0 || caption.isEmpty())
        return;
    painter.save();
    painter.setClipRect(inner, Qt::IntersectClip);
    painter.setPen(palette().color(QPalette::WindowText));
    // Centred even when wider than the panel, so a long title is cut on both sides.
    const int textWidth = painter.fontMetrics().horizontalAdvance(caption);
    const QRect textRect(inner.center().x() - textWidth / 2, inner.top(), textWidth + 1,
                         inner.height());
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
    painter.restore();
}

void TapeRowsView::mouseDoubleClickEvent(QMouseEvent* event) {
    const std::optional<overview::PanelAt> at = m_rows.panelAt(event->position().toPoint());
    if (at && overview::isRecording(at->panel().kind) && onPanelDoubleClick) {
        onPanelDoubleClick(m_rows.tag(at->panel()));
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

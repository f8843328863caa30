#include "tape_rows_view.h"

#include "hint_pauses.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
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
}

void TapeRowsView::setTop(int top) {
    if (top == m_top)
        return;
    m_top = top;
    update();
}

overview::OverviewRow TapeRowsView::shownRow(int index) const {
    overview::OverviewRow row = m_rows.row(index);
    row.top -= m_top;
    return row;
}

bool TapeRowsView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<overview::PanelAt> at = m_rows.panelAt(help->pos() + QPoint(0, m_top));
    if (!at) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // The hint stays while the mouse is on the same panel.
    QToolTip::showText(help->globalPos(), at->panel().hint(), this,
                       at->rect().translated(0, -m_top), applicationHintPauses().hidePause);
    return true;
}

void TapeRowsView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect().translated(0, m_top);
    const int first = std::max(0, dirty.top() / kRowPitch);
    const int last = std::min(m_rows.rowCount() - 1, dirty.bottom() / kRowPitch);
    // Each row is made as it is painted: only the rows in view ever exist as drawn.
    for (int i = first; i <= last; ++i)
        paintRow(painter, shownRow(i));
}

void TapeRowsView::paintRow(QPainter& painter, const overview::OverviewRow& row) {
    // A row never draws outside its own pitch.
    painter.save();
    const QRect pitch(0, row.top, width(), kRowPitch);
    painter.setClipRect(pitch);
    painter.setPen(palette().color(QPalette::WindowText));
    const int labelTop = row.top + overview::kLabelTop;
    painter.drawText(QRect(QPoint(overview::kTapeNameLeft, labelTop), pitch.bottomRight()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, row.tapeName);
    painter.drawText(QRect(QPoint(row.freeLabelLeft, labelTop), pitch.bottomRight()),
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
    const std::optional<overview::PanelAt> at =
        m_rows.panelAt(event->position().toPoint() + QPoint(0, m_top));
    if (at && overview::isRecording(at->panel().kind) && onPanelDoubleClick) {
        onPanelDoubleClick(m_rows.tag(at->panel()));
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

TapeRowsArea::TapeRowsArea(TapeRowsView* view, QWidget* parent)
    : QAbstractScrollArea(parent), m_view(view) {
    setViewport(view);
    verticalScrollBar()->setSingleStep(kRowPitch);
    updateScrollBar();
}

void TapeRowsArea::rowsChanged() {
    updateScrollBar();
    m_view->update();
}

bool TapeRowsArea::viewportEvent(QEvent* event) {
    // The view paints itself and answers double clicks on its panels; scrolling by the
    // wheel and the like stay with the area.
    if (event->type() == QEvent::Paint || event->type() == QEvent::MouseButtonDblClick)
        return false;
    return QAbstractScrollArea::viewportEvent(event);
}

void TapeRowsArea::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void TapeRowsArea::scrollContentsBy(int, int) {
    m_view->setTop(verticalScrollBar()->value());
}

void TapeRowsArea::updateScrollBar() {
    const int page = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, m_view->rows().height() - page));
    m_view->setTop(bar->value());
}

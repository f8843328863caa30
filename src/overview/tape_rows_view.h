#pragma once

#include "tape_rows.h"

#include <QAbstractScrollArea>
#include <QWidget>
#include <functional>

// Draws the overview rows in the rows area: labels first, the segment panels above them,
// each panel with a raised one-pixel bevel and its caption centred and cut at its edges.
// It is as tall as what it shows, and shows the rows from a point of their height on: a
// million rows are taller than any widget may be. Only the rows in view are painted; hints
// and double clicks find their panel in the rows.
class TapeRowsView : public QWidget {
    Q_OBJECT
public:
    explicit TapeRowsView(const overview::TapeRows& rows, QWidget* parent = nullptr);

    const overview::TapeRows& rows() const { return m_rows; }

    // The point of the rows' height shown at the top.
    void setTop(int top);
    int top() const { return m_top; }

    // Double click on a recording's panel (kinds 3 and 4), with the panel's Tag.
    std::function<void(qint64 tag)> onPanelDoubleClick;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The row as drawn, placed where it shows in this widget.
    overview::OverviewRow shownRow(int index) const;
    void paintRow(QPainter& painter, const overview::OverviewRow& row);
    void paintPanel(QPainter& painter, const QRect& rect, const QColor& colour,
                    const QString& caption);

    const overview::TapeRows& m_rows;
    int m_top = 0;
};

// The scrolling rows area: the view fills it, and its vertical scroll bar runs over the
// height of all rows, a row pitch a step.
class TapeRowsArea : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TapeRowsArea(TapeRowsView* view, QWidget* parent = nullptr);

    // Call after the rows have changed.
    void rowsChanged();

protected:
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollBar();

    TapeRowsView* m_view;
};

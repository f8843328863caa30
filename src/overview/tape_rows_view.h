#pragma once

#include "tape_rows.h"

#include <QWidget>
#include <functional>

// Draws the overview rows in the rows area: labels first, the segment panels above them,
// each panel with a raised one-pixel bevel and its caption centred and cut at its edges.
// Only the rows in view are painted; hints and double clicks find their panel in the rows.
class TapeRowsView : public QWidget {
    Q_OBJECT
public:
    explicit TapeRowsView(const overview::TapeRows& rows, QWidget* parent = nullptr);

    // Call after the rows have changed.
    void rowsChanged();

    // Double click on a recording's panel (kinds 3 and 4), with the panel's Tag.
    std::function<void(qint64 tag)> onPanelDoubleClick;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void paintRow(QPainter& painter, const overview::OverviewRow& row);
    void paintPanel(QPainter& painter, const QRect& rect, const QColor& colour,
                    const QString& caption);

    const overview::TapeRows& m_rows;
};

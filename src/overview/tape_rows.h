#pragma once

#include "free_time.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <array>
#include <vector>

// The rows of the tape overview: one row per free block, each drawing its whole tape as a
// strip of segments on a common time scale. Only the model lives here; TapeRowsView draws it.
namespace overview {

// The geometry of the rows area, in pixels.
inline constexpr int kRowPitch = 25;
inline constexpr int kPanelHeight = 20;
inline constexpr int kStripLeft = 30;   // where minute 0 lies
inline constexpr int kStripWidth = 585; // the width of the scale maximum
inline constexpr int kLabelTop = 3;     // labels, below the row top
inline constexpr int kTapeNameLeft = 3;
inline constexpr int kFreeLabelFromRight = 50; // the free-time label, from the area's right

// Segment kinds, numbered as opretpanel takes them.
enum SegmentKind : quint8 {
    kCurrentFree = 1, // the free block the row stands for
    kOtherFree = 2,   // another free block of the tape
    kRecordingSP = 3,
    kRecordingLP = 4,
};

inline bool isRecording(quint8 kind) {
    return kind == kRecordingSP || kind == kRecordingLP;
}

// A recording that segments show: its title (the panel's caption) and its VideoAutoInc
// (the panel's Tag). Kept once, however many rows show it.
struct RecordingLabel {
    QString title;
    qint64 id = 0;
};

// Kept small: an overview of a large collection holds several hundred thousand.
struct Segment {
    quint8 kind = kCurrentFree;
    Minutes start = 0;
    Minutes length = 0;
    int left = 0; // within the rows area
    int width = 0;
    int recording = -1; // the recording's label, -1 for free blocks

    QString hint() const { return segmentHint(start, length); }
};

struct OverviewRow {
    int top = 0;
    QString tapeName;
    QString freeLabel; // hh:mm of the free block the row stands for
    int freeLabelLeft = 0;
    std::vector<Segment> segments; // in tape order

    QRect panelRect(const Segment& segment) const {
        return QRect(segment.left, top, segment.width, kPanelHeight);
    }
};

class TapeRows {
public:
    void clear();

    // Minutes that span the whole strip; 0 means there is no scale (and no rows).
    void setScaleMaximum(Minutes maximum);
    Minutes scaleMaximum() const { return m_scaleMaximum; }
    double scale() const; // pixels per minute

    // Colours of the four kinds, fixed when the rows are built.
    void setKindColour(quint8 kind, const QColor& colour);
    QColor kindColour(quint8 kind) const;

    // Starts a row at top; the free-time label goes rowsAreaWidth - 50 from the left.
    // Room is made for the number of segments expected.
    void startRow(int top, const QString& tapeName, const QString& freeLabel, int rowsAreaWidth,
                  std::size_t segments = 0);
    // The recordings that segments refer to by index.
    void setRecordings(std::vector<RecordingLabel> recordings);
    // Adds a segment to the row last started, placed on the scale.
    void addSegment(quint8 kind, Minutes start, Minutes length, int recording = -1);

    // A panel's caption: "Fri", or the recording's title; and its Tag: the recording's
    // VideoAutoInc, 0 for free blocks.
    QString caption(const Segment& segment) const;
    qint64 tag(const Segment& segment) const;

    const std::vector<OverviewRow>& rows() const { return m_rows; }
    int rowCount() const { return int(m_rows.size()); }
    int height() const; // of all rows, for the scrolling area

    // The row whose pitch holds y, -1 when none.
    int rowAt(int y) const;
    // The topmost segment with a panel at pos (later panels lie above earlier ones).
    const Segment* segmentAt(const QPoint& pos, const OverviewRow** row = nullptr) const;

private:
    std::vector<OverviewRow> m_rows;
    std::vector<RecordingLabel> m_recordings;
    Minutes m_scaleMaximum = 0;
    std::array<QColor, 5> m_colours{};
};

} // namespace overview

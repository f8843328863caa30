#pragma once

#include "free_time.h"
#include "recording_labels.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <array>
#include <optional>
#include <vector>

// The rows of the tape overview: one row per free block, each drawing its whole tape as a
// strip of segments on a common time scale. Only the model lives here; TapeRowsView draws it.
//
// A tape with many free blocks has as many rows, and each row shows all of the tape: so a
// tape's segments are kept once, and a row is only the tape it shows and the free block it
// stands for. The row as drawn (its segments placed and the current block marked) is made
// when it is asked for: memory grows with the tapes and recordings, not with rows × segments.
// A row takes 8 bytes and a segment 6, so a million free blocks fit in a few megabytes.
namespace overview {

// The geometry of the rows area, in pixels.
inline constexpr int kRowPitch = 25;
inline constexpr int kPanelHeight = 20;
inline constexpr int kStripLeft = 30;   // where minute 0 lies
inline constexpr int kStripWidth = 585; // the width of the scale maximum
inline constexpr int kLabelTop = 3;     // labels, below the row top
inline constexpr int kTapeNameLeft = 3;
inline constexpr int kFreeLabelFromRight = 50; // the free-time label, from the area's right

// Segment kinds, numbered 1 to 4 as the overview has always numbered them.
enum SegmentKind : quint8 {
    kCurrentFree = 1, // the free block the row stands for
    kOtherFree = 2,   // another free block of the tape
    kRecordingSP = 3,
    kRecordingLP = 4,
};

inline bool isRecording(quint8 kind) {
    return kind == kRecordingSP || kind == kRecordingLP;
}

// A segment as a row draws it.
struct Segment {
    quint8 kind = kCurrentFree;
    Minutes start = 0;
    Minutes length = 0;
    int left = 0; // within the rows area
    int width = 0;
    int recording = -1; // the recording's number among the labels, -1 for free blocks

    QString hint() const { return segmentHint(start, length); }
};

// A row as it is drawn.
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

// The panel under a point: its row as drawn and which of the row's segments it is.
struct PanelAt {
    OverviewRow row;
    std::size_t segment = 0;

    const Segment& panel() const { return row.segments[segment]; }
    QRect rect() const { return row.panelRect(panel()); }
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

    // The free-time labels go this width less 50 from the left.
    void setRowsAreaWidth(int width) { m_rowsAreaWidth = width; }

    // Building. The titles and ids of the recordings that the segments show, by number.
    void setRecordingLabels(RecordingLabels labels);
    // A tape's segments, in tape order: addTape starts them, and the segments added go to
    // the tape last started; its recordings are those numbered from firstRecording on, in
    // the order added. Free blocks are marked current or not per row.
    int addTape(const QString& name, std::size_t firstRecording = 0);
    void addFree(Minutes start, Minutes length);
    void addRecording(bool sp, Minutes start, Minutes length);
    // A row showing the tape (as addTape numbered it) for its free block of freeLabel
    // minutes (the hh:mm the row is labelled with). Rows lie 25 pixels apart in this order.
    void addRow(int tape, int freeLabel);

    int rowCount() const { return int(m_rows.size()); }
    int tapeCount() const { return int(m_tapes.size()); }
    // The row as drawn: its top, labels and every segment of its tape placed on the scale.
    OverviewRow row(int index) const;

    // A panel's caption: "Fri", or the recording's title; and its Tag: the recording's
    // VideoAutoInc, 0 for free blocks.
    QString caption(const Segment& segment) const;
    qint64 tag(const Segment& segment) const;

    int height() const; // of all rows, for the scrolling area

    // The row whose pitch holds y, -1 when none.
    int rowAt(int y) const;
    // The topmost segment with a panel at pos (later panels lie above earlier ones).
    std::optional<PanelAt> panelAt(const QPoint& pos) const;

private:
    // A segment as its tape keeps it: a free block (kOtherFree) or a recording, whose
    // number follows from its place among the tape's recordings.
    struct TapeSegment {
        quint8 kind = kOtherFree;
        Minutes start = 0;
        Minutes length = 0;
    };
    struct Tape {
        QString name;
        std::size_t first = 0; // of its segments
        std::size_t count = 0;
        std::size_t firstRecording = 0;
    };
    struct Row {
        int tape = 0;
        int freeLabel = 0; // minutes
    };

    void addSegment(const TapeSegment& segment);

    std::vector<TapeSegment> m_segments;
    std::vector<Tape> m_tapes;
    std::vector<Row> m_rows;
    RecordingLabels m_labels;
    Minutes m_scaleMaximum = 0;
    int m_rowsAreaWidth = 0;
    std::array<QColor, 5> m_colours{};
};

} // namespace overview

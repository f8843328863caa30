#include "tape_rows.h"

namespace overview {

namespace {
const QString kFreeCaption = QStringLiteral("Fri");
} // namespace

void TapeRows::clear() {
    m_segments.clear();
    m_tapes.clear();
    m_rows.clear();
    m_labels = {};
}

QString TapeRows::caption(const Segment& segment) const {
    if (segment.recording < 0 || std::size_t(segment.recording) >= m_labels.size())
        return isRecording(segment.kind) ? QString() : kFreeCaption;
    return m_labels.title(std::size_t(segment.recording));
}

qint64 TapeRows::tag(const Segment& segment) const {
    if (segment.recording < 0 || std::size_t(segment.recording) >= m_labels.size())
        return 0;
    return m_labels.id(std::size_t(segment.recording));
}

void TapeRows::setScaleMaximum(Minutes maximum) {
    m_scaleMaximum = maximum;
}

double TapeRows::scale() const {
    return m_scaleMaximum > 0 ? double(kStripWidth) / m_scaleMaximum : 0.0;
}

void TapeRows::setKindColour(quint8 kind, const QColor& colour) {
    if (kind < m_colours.size())
        m_colours[kind] = colour;
}

QColor TapeRows::kindColour(quint8 kind) const {
    return kind < m_colours.size() ? m_colours[kind] : QColor(Qt::black);
}

void TapeRows::setRecordingLabels(RecordingLabels labels) {
    m_labels = std::move(labels);
}

int TapeRows::addTape(const QString& name, std::size_t firstRecording) {
    m_tapes.push_back(Tape{name, m_segments.size(), 0, firstRecording});
    return int(m_tapes.size()) - 1;
}

void TapeRows::addSegment(const TapeSegment& segment) {
    if (m_tapes.empty())
        return;
    m_segments.push_back(segment);
    ++m_tapes.back().count;
}

void TapeRows::addFree(Minutes start, Minutes length) {
    addSegment(TapeSegment{kOtherFree, start, length});
}

void TapeRows::addRecording(bool sp, Minutes start, Minutes length) {
    addSegment(TapeSegment{sp ? kRecordingSP : kRecordingLP, start, length});
}

void TapeRows::addRow(int tape, int freeLabel) {
    m_rows.push_back(Row{tape, freeLabel});
}

OverviewRow TapeRows::row(int index) const {
    const Row& stored = m_rows.at(std::size_t(index));
    const Tape& tape = m_tapes.at(std::size_t(stored.tape));
    OverviewRow row;
    row.top = index * kRowPitch;
    row.tapeName = tape.name;
    row.freeLabel = minutesText(stored.freeLabel);
    row.freeLabelLeft = m_rowsAreaWidth - kFreeLabelFromRight;
    row.segments.reserve(tape.count);
    const double s = scale();
    std::size_t recording = tape.firstRecording;
    for (std::size_t i = tape.first; i < tape.first + tape.count; ++i) {
        const TapeSegment& kept = m_segments[i];
        Segment segment;
        segment.kind = kept.kind;
        // A free block is the current one when its hh:mm is the row's label.
        if (kept.kind == kOtherFree && kept.length == stored.freeLabel)
            segment.kind = kCurrentFree;
        segment.start = kept.start;
        segment.length = kept.length;
        segment.left = kStripLeft + roundHalfEven(kept.start * s);
        segment.width = roundHalfEven(kept.length * s);
        if (isRecording(kept.kind))
            segment.recording = int(recording++);
        row.segments.push_back(segment);
    }
    return row;
}

int TapeRows::height() const {
    return rowCount() * kRowPitch;
}

int TapeRows::rowAt(int y) const {
    if (y < 0 || m_rows.empty())
        return -1;
    const int index = y / kRowPitch;
    return index < rowCount() ? index : -1;
}

std::optional<PanelAt> TapeRows::panelAt(const QPoint& pos) const {
    const int index = rowAt(pos.y());
    if (index < 0)
        return std::nullopt;
    PanelAt at{row(index), 0};
    for (std::size_t i = at.row.segments.size(); i-- > 0;) {
        const Segment& segment = at.row.segments[i];
        if (segment.width > 0 && at.row.panelRect(segment).contains(pos)) {
            at.segment = i;
            return at;
        }
    }
    return std::nullopt;
}

} // namespace overview

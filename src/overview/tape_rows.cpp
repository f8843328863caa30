#include "tape_rows.h"

namespace overview {

namespace {
const QString kFreeCaption = QStringLiteral("Fri");
} // namespace

void TapeRows::clear() {
    m_rows.clear();
    m_recordings.clear();
}

void TapeRows::setRecordings(std::vector<RecordingLabel> recordings) {
    m_recordings = std::move(recordings);
}

QString TapeRows::caption(const Segment& segment) const {
    if (segment.recording < 0 || std::size_t(segment.recording) >= m_recordings.size())
        return isRecording(segment.kind) ? QString() : kFreeCaption;
    return m_recordings[std::size_t(segment.recording)].title;
}

qint64 TapeRows::tag(const Segment& segment) const {
    if (segment.recording < 0 || std::size_t(segment.recording) >= m_recordings.size())
        return 0;
    return m_recordings[std::size_t(segment.recording)].id;
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

void TapeRows::startRow(int top, const QString& tapeName, const QString& freeLabel,
                        int rowsAreaWidth, std::size_t segments) {
    OverviewRow row;
    row.segments.reserve(segments);
    row.top = top;
    row.tapeName = tapeName;
    row.freeLabel = freeLabel;
    row.freeLabelLeft = rowsAreaWidth - kFreeLabelFromRight;
    m_rows.push_back(std::move(row));
}

void TapeRows::addSegment(quint8 kind, Minutes start, Minutes length, int recording) {
    if (m_rows.empty())
        return;
    const double s = scale();
    Segment segment;
    segment.kind = kind;
    segment.start = start;
    segment.length = length;
    segment.left = kStripLeft + roundHalfEven(start * s);
    segment.width = roundHalfEven(length * s);
    segment.recording = recording;
    m_rows.back().segments.push_back(segment);
}

int TapeRows::height() const {
    return m_rows.empty() ? 0 : m_rows.back().top + kRowPitch;
}

int TapeRows::rowAt(int y) const {
    if (y < 0 || m_rows.empty())
        return -1;
    const int index = y / kRowPitch;
    return index < rowCount() ? index : -1;
}

const Segment* TapeRows::segmentAt(const QPoint& pos, const OverviewRow** rowOut) const {
    const int index = rowAt(pos.y());
    if (index < 0)
        return nullptr;
    const OverviewRow& row = m_rows[std::size_t(index)];
    for (auto it = row.segments.rbegin(); it != row.segments.rend(); ++it) {
        if (it->width > 0 && row.panelRect(*it).contains(pos)) {
            if (rowOut)
                *rowOut = &row;
            return &*it;
        }
    }
    return nullptr;
}

} // namespace overview

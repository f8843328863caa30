#include "recording_labels.h"

namespace overview {

void RecordingLabels::reserve(std::size_t count) {
    m_titleEnds.reserve(count);
    m_ids.reserve(count);
}

void RecordingLabels::append(std::string_view utf8Title, qint64 id) {
    m_titles.append(utf8Title);
    m_titleEnds.push_back(m_titles.size());
    m_ids.push_back(id);
}

void RecordingLabels::squeeze() {
    m_titles.shrink_to_fit();
    m_titleEnds.shrink_to_fit();
    m_ids.shrink_to_fit();
}

QString RecordingLabels::title(std::size_t recording) const {
    const std::size_t begin = recording > 0 ? m_titleEnds[recording - 1] : 0;
    return QString::fromUtf8(m_titles.data() + begin, qsizetype(m_titleEnds[recording] - begin));
}

} // namespace overview

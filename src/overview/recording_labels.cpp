#include "recording_labels.h"

#include <limits>

namespace overview {

void RecordingLabels::append(std::string_view utf8Title, qint64 id) {
    // Titles hold at most 50 characters: four gigabytes of them is far beyond any
    // collection. Should they ever come near, the rest show without a title.
    if (m_titles.size() + utf8Title.size() <= std::numeric_limits<std::uint32_t>::max())
        m_titles.append(utf8Title);
    m_titleEnds.push_back(std::uint32_t(m_titles.size()));
    m_ids.push_back(id);
}

void RecordingLabels::squeeze() {
    m_titles.shrink_to_fit();
    m_titleEnds.shrink_to_fit();
    m_ids.shrink_to_fit();
}

QString RecordingLabels::title(std::size_t recording) const {
    const std::uint32_t begin = recording > 0 ? m_titleEnds[recording - 1] : 0;
    return QString::fromUtf8(m_titles.data() + begin, qsizetype(m_titleEnds[recording] - begin));
}

} // namespace overview

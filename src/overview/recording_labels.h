#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the overview shows of each recording beyond its place on the tape: its title (a
// panel's caption) and its VideoAutoInc (a panel's Tag), by recording number. A catalogue
// of a million recordings has a million titles: they are kept as UTF-8 in one piece and
// made into text only for the panels painted, rather than as a million strings.
namespace overview {

class RecordingLabels {
public:
    void append(std::string_view utf8Title, qint64 id);
    // Gives back what the growing left unused.
    void squeeze();

    std::size_t size() const { return m_ids.size(); }
    QString title(std::size_t recording) const;
    qint64 id(std::size_t recording) const { return m_ids[recording]; }

private:
    std::string m_titles;
    std::vector<std::uint32_t> m_titleEnds; // recording r's title ends here in m_titles
    std::vector<qint64> m_ids;
};

} // namespace overview

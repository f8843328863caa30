#pragma once

#include "data/tape_time.h"

#include <QString>
#include <QVariant>
#include <optional>
#include <utility>
#include <vector>

// The rules that tie the rows of a catalogue together, as the program keeps them; shared
// by the check of a catalogue and the import of one.
namespace tool {

// Orders texts as the catalogue orders tape names: Danish order, letter case ignored.
struct DanishLess {
    bool operator()(const QString& a, const QString& b) const;
};

// The actor numbers of a cast list in list order; nothing when the text is not a run of
// cast tokens ("*" number "*"). An empty list is an empty cast.
std::optional<std::vector<qint64>> castListIds(const QString& list);

// Whether a recording's tape time (SpilletidSP) is the one the program derives from its
// playing time and speed; empty times count as 0:00.
bool tapeTimeFollows(const QVariant& playingTime, const QString& speed, const QVariant& tapeTime);

// Where a recording lies on its tape, in minute values as the time check counts them.
struct Stretch {
    tapetime::Minutes start = 0;     // m(Starttid)
    tapetime::Minutes endPosted = 0; // start + m(SpilletidSP): its end when it is posted
    tapetime::Minutes endStored = 0; // m(Starttid + SpilletidSP): its end for the others
};
Stretch stretchOf(const QVariant& start, const QVariant& tapeTime);

// Whether posting either of two recordings of one tape would be refused for the other.
bool collide(const Stretch& a, const Stretch& b);

// The pairs (by position in stretches, the earlier start first) of recordings of one
// tape that collide.
std::vector<std::pair<std::size_t, std::size_t>> collisions(const std::vector<Stretch>& stretches);

} // namespace tool

#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <vector>

// How a recording is measured on its tape: minute values of times of day, the tape time of
// a recording from its playing time and speed, and when two stretches of tape overlap.
namespace tapetime {

// Minute values are 16-bit unsigned, as the time check has always counted them.
using Minutes = std::uint16_t;

// x × 1440 rounded to the nearest whole number, an exact half to the even neighbour.
Minutes minuteValue(double dayFraction);

// A minute count as a time of day (a fraction of a day).
double minutesToDayFraction(int minutes);

// The tape time (SpilletidSP) of a recording played for playingTime at speed: half of it
// at exactly "LP" (rounded up to a whole minute when the half ends on 30 seconds), the
// playing time itself otherwise. An empty playing time gives 0:00 at LP and stays empty
// otherwise.
QVariant tapeTime(const QVariant& playingTime, const QString& speed);

// Whether the stretch [start, end) of the recording being posted collides with another
// recording of the tape that starts at otherStart and ends at otherEnd.
bool overlaps(Minutes start, Minutes end, Minutes otherStart, Minutes otherEnd);

// Where a recording lies on its tape, in minutes: from start up to, not including, end.
struct Stretch {
    Minutes start = 0;
    Minutes end = 0;
};

// The end of the unbroken run of recordings from the start of the tape: the first free
// start time. Recordings are taken by start; of those sharing a start, the ones of zero
// length come first, so that a longer one decides where the run goes on.
Minutes runEnd(std::vector<Stretch> recordings);

} // namespace tapetime

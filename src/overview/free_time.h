#pragma once

#include "data/tape_time.h"

#include <QString>
#include <QStringList>

// Texts and roundings shared by the free-time computation and the overview's drawing.
namespace overview {

using tapetime::Minutes;

// v rounded to the nearest integer, an exact half to the even neighbour.
int roundHalfEven(double value);

// A number of minutes as hh:mm: hours = minutes div 60, then the remainder, each at least
// two digits. 95 gives "01:35", 6000 gives "100:00".
QString minutesText(int minutes);

// A free time (a non-negative day fraction) as exactly 8 characters hh:mm:ss, whatever
// the machine's time format: rounded to the millisecond, the seconds then cut.
QString freeTimeText(double dayFraction);
// The same in two steps: the free time's milliseconds of the day, and their text.
int freeTimeMilliseconds(double dayFraction);
QString freeTimeTextOfMsecs(int milliseconds);

// A line of the free-block list: the free-time text immediately followed by the tape name.
QString freeBlockEntry(const QString& freeTime, const QString& tapeName);

// Tape names as the tapes table compares them: Danish order, letter case ignored.
struct TapeNameLess {
    bool operator()(const QString& a, const QString& b) const;
};

// The hint of a segment panel: "Start: hh:mm  Længde: hh:mm  Stop: hh:mm".
QString segmentHint(int start, int length);

} // namespace overview

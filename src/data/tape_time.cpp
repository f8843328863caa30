#include "tape_time.h"

#include "engine/datetime.h"

#include <algorithm>
#include <cmath>

namespace tapetime {

namespace {
// 30 seconds as a fraction of a day, to ten decimals.
constexpr double kHalfMinute = 0.0003472222;
} // namespace

Minutes minuteValue(double dayFraction) {
    // nearbyint in the default rounding mode rounds an exact half to even. The value is
    // then cut to 16 bits like the counters of the check.
    const auto whole = static_cast<long long>(std::nearbyint(dayFraction * 1440.0));
    return static_cast<Minutes>(whole);
}

double minutesToDayFraction(int minutes) {
    return minutes / 1440.0;
}

QVariant tapeTime(const QVariant& playingTime, const QString& speed) {
    if (speed != QStringLiteral("LP"))
        return playingTime;
    double half = (playingTime.isNull() ? 0.0 : playingTime.toDouble()) / 2.0;
    const int seconds = (engine::timeFractionToMsecs(half) / 1000) % 60;
    if (seconds == 30)
        half += kHalfMinute; // an odd number of minutes was halved: round up
    return QVariant(half);
}

bool overlaps(Minutes start, Minutes end, Minutes otherStart, Minutes otherEnd) {
    // Starts at or before the other's start and reaches past it.
    if (start <= otherStart && end > otherStart)
        return true;
    // Starts inside the other.
    return start > otherStart && start < otherEnd;
}

Minutes runEnd(std::vector<Stretch> recordings) {
    std::stable_sort(recordings.begin(), recordings.end(), [](const Stretch& a, const Stretch& b) {
        const bool aEmpty = a.end == a.start;
        const bool bEmpty = b.end == b.start;
        return a.start != b.start ? a.start < b.start : aEmpty && !bEmpty;
    });
    Minutes t = 0;
    for (const Stretch& r : recordings) {
        // A recording that starts exactly at t continues the run.
        if (r.start > t)
            break;
        t = r.end;
    }
    return t;
}

} // namespace tapetime

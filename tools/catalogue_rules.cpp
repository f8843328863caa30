#include "catalogue_rules.h"

#include "engine/collation.h"
#include "field_values.h"

#include <algorithm>
#include <numeric>

namespace tool {

bool DanishLess::operator()(const QString& a, const QString& b) const {
    return engine::danishCompare(a, b) < 0;
}

std::optional<std::vector<qint64>> castListIds(const QString& list) {
    std::vector<qint64> ids;
    qsizetype i = 0;
    while (i < list.size()) {
        if (list[i] != u'*')
            return std::nullopt;
        qsizetype digits = i + 1;
        while (digits < list.size() && list[digits].isDigit() && list[digits].unicode() < 0x80)
            ++digits;
        const qsizetype length = digits - (i + 1);
        // A number of up to ten digits, without sign, blanks or leading zeros.
        if (length == 0 || length > 10 || digits == list.size() || list[digits] != u'*' ||
            (length > 1 && list[i + 1] == u'0'))
            return std::nullopt;
        ids.push_back(list.mid(i + 1, length).toLongLong());
        i = digits + 1;
    }
    return ids;
}

bool tapeTimeFollows(const QVariant& playingTime, const QString& speed, const QVariant& tapeTime) {
    return timeMsecs(tapetime::tapeTime(playingTime, speed)) == timeMsecs(tapeTime);
}

Stretch stretchOf(const QVariant& start, const QVariant& tapeTime) {
    const double s = start.isNull() ? 0.0 : start.toDouble();
    const double length = tapeTime.isNull() ? 0.0 : tapeTime.toDouble();
    Stretch stretch;
    stretch.start = tapetime::minuteValue(s);
    stretch.endPosted = tapetime::Minutes(stretch.start + tapetime::minuteValue(length));
    stretch.endStored = tapetime::minuteValue(s + length);
    return stretch;
}

bool collide(const Stretch& a, const Stretch& b) {
    return tapetime::overlaps(a.start, a.endPosted, b.start, b.endStored) ||
           tapetime::overlaps(b.start, b.endPosted, a.start, a.endStored);
}

std::vector<std::pair<std::size_t, std::size_t>> collisions(const std::vector<Stretch>& stretches) {
    std::vector<std::size_t> order(stretches.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return stretches[a].start < stretches[b].start;
    });
    // A recording can only collide with one that starts where it starts or before its
    // furthest end: the sweep looks no further.
    std::vector<std::pair<std::size_t, std::size_t>> found;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Stretch& a = stretches[order[i]];
        const int reach = std::max(a.endPosted, a.endStored);
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            const Stretch& b = stretches[order[j]];
            if (b.start != a.start && b.start >= reach)
                break;
            if (collide(a, b))
                found.emplace_back(order[i], order[j]);
        }
    }
    return found;
}

} // namespace tool

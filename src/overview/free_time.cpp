#include "free_time.h"

#include "engine/collation.h"
#include "engine/datetime.h"

#include <cmath>

namespace overview {

namespace {

constexpr qsizetype kFreeTimeLength = 8; // hh:mm:ss

void putTwoDigits(QChar* out, int value) {
    out[0] = QChar(u'0' + value / 10);
    out[1] = QChar(u'0' + value % 10);
}

} // namespace

int roundHalfEven(double value) {
    // nearbyint in the default rounding mode rounds an exact half to even.
    return static_cast<int>(std::nearbyint(value));
}

QString minutesText(int minutes) {
    const int hours = minutes / 60;
    const int rest = minutes % 60;
    QString text;
    if (hours < 10)
        text += u'0';
    text += QString::number(hours);
    text += u':';
    if (rest < 10)
        text += u'0';
    text += QString::number(rest);
    return text;
}

QString freeTimeText(double dayFraction) {
    return freeTimeTextOfMsecs(freeTimeMilliseconds(dayFraction));
}

int freeTimeMilliseconds(double dayFraction) {
    // Only the time of day counts; a whole day and more never occurs on a tape.
    return engine::timeFractionToMsecs(dayFraction);
}

QString freeTimeTextOfMsecs(int ms) {
    QString text(kFreeTimeLength, u':');
    QChar* out = text.data();
    putTwoDigits(out, ms / 3600000);
    putTwoDigits(out + 3, ms / 60000 % 60);
    putTwoDigits(out + 6, ms / 1000 % 60);
    return text;
}

QString freeBlockEntry(const QString& freeTime, const QString& tapeName) {
    return freeTime + tapeName;
}

bool TapeNameLess::operator()(const QString& a, const QString& b) const {
    return engine::danishCompare(a, b) < 0;
}

QString segmentHint(int start, int length) {
    return QStringLiteral("Start: ") + minutesText(start) + QStringLiteral("  Længde: ") +
           minutesText(length) + QStringLiteral("  Stop: ") + minutesText(start + length);
}

} // namespace overview

#include "free_time.h"

#include "engine/collation.h"
#include "engine/datetime.h"

#include <algorithm>
#include <cmath>

namespace overview {

namespace {

constexpr qsizetype kFreeTimeLength = 8; // hh:mm:ss
constexpr qsizetype kFreeLabelLength = 5;

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

int minutesOfText(const QString& text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 2 || text.size() - colon != 3)
        return -1;
    bool hoursOk = false;
    bool minutesOk = false;
    const int hours = QStringView(text).left(colon).toInt(&hoursOk);
    const int rest = QStringView(text).mid(colon + 1).toInt(&minutesOk);
    if (!hoursOk || !minutesOk || hours < 0 || rest < 0 || rest > 59)
        return -1;
    return hours * 60 + rest;
}

QString freeTimeText(double dayFraction) {
    // Only the time of day counts; a whole day and more never occurs on a tape.
    const int ms = engine::timeFractionToMsecs(dayFraction);
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

QString entryFreeLabel(const QString& entry) {
    return entry.left(kFreeLabelLength);
}

bool entryLess(const QString& a, const QString& b) {
    // The fixed-width free times hold only digits and colons, which sort by their codes in
    // any case; comparing them directly spares the collation for all but equal times.
    const QStringView timeA = QStringView(a).left(kFreeTimeLength);
    const QStringView timeB = QStringView(b).left(kFreeTimeLength);
    if (const int c = timeA.compare(timeB); c != 0)
        return c < 0;
    // Views of the names, without copying them.
    const QString nameA = QString::fromRawData(a.constData() + kFreeTimeLength,
                                               std::max<qsizetype>(a.size() - kFreeTimeLength, 0));
    const QString nameB = QString::fromRawData(b.constData() + kFreeTimeLength,
                                               std::max<qsizetype>(b.size() - kFreeTimeLength, 0));
    return engine::danishCompare(nameA, nameB) < 0;
}

bool TapeNameLess::operator()(const QString& a, const QString& b) const {
    return engine::danishCompare(a, b) < 0;
}

QString segmentHint(int start, int length) {
    return QStringLiteral("Start: ") + minutesText(start) + QStringLiteral("  Længde: ") +
           minutesText(length) + QStringLiteral("  Stop: ") + minutesText(start + length);
}

} // namespace overview

#include "datetime.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace engine {

namespace {

const QDate kEpoch(1899, 12, 30);

struct Parts {
    QDate date;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

Parts split(double dayNumber) {
    Parts p;
    double whole = std::trunc(dayNumber);
    p.date = kEpoch.addDays(qint64(whole));
    int ms = timeFractionToMsecs(dayNumber);
    p.hour = ms / 3600000;
    p.minute = ms / 60000 % 60;
    p.second = ms / 1000 % 60;
    p.msec = ms % 1000;
    return p;
}

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

int runLength(const QString& s, int i) {
    int n = 1;
    QChar c = s.at(i).toLower();
    while (i + n < s.size() && s.at(i + n).toLower() == c)
        ++n;
    return n;
}

} // namespace

QDate dayNumberToDate(double dayNumber) { return kEpoch.addDays(qint64(std::trunc(dayNumber))); }

double dateToDayNumber(const QDate& date) { return double(kEpoch.daysTo(date)); }

int timeFractionToMsecs(double fraction) {
    double frac = std::fabs(fraction - std::trunc(fraction));
    auto ms = qint64(std::llround(frac * kMillisecondsPerDay));
    if (ms >= qint64(kMillisecondsPerDay))
        ms = qint64(kMillisecondsPerDay) - 1;
    return int(ms);
}

double msecsToTimeFraction(qint64 msecs) { return double(msecs) / kMillisecondsPerDay; }

double roundToMillisecond(double dayNumber) {
    return std::round(dayNumber * kMillisecondsPerDay) / kMillisecondsPerDay;
}

double currentDateTime() {
    QDateTime now = QDateTime::currentDateTime();
    return dateToDayNumber(now.date()) + msecsToTimeFraction(now.time().msecsSinceStartOfDay());
}

FormatSettings& formatSettings() {
    static FormatSettings settings;
    return settings;
}

QString formatDateTime(const QString& picture, double dayNumber) {
    const Parts p = split(dayNumber);
    const QLocale locale;
    const FormatSettings& fs = formatSettings();
    QString out;
    bool lastWasHour = false;
    for (int i = 0; i < picture.size();) {
        QChar c = picture.at(i);
        QChar lc = c.toLower();
        if (c == u'"' || c == u'\'') {
            int end = picture.indexOf(c, i + 1);
            if (end < 0)
                end = picture.size();
            out += picture.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        int n = runLength(picture, i);
        if (lc == u'd') {
            if (n == 1)
                out += QString::number(p.date.day());
            else if (n == 2)
                out += twoDigits(p.date.day());
            else if (n == 3)
                out += locale.dayName(p.date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(p.date.dayOfWeek(), QLocale::LongFormat);
            lastWasHour = false;
        } else if (lc == u'm') {
            if (lastWasHour && n <= 2) // "h:m" means minutes
                out += n == 1 ? QString::number(p.minute) : twoDigits(p.minute);
            else if (n == 1)
                out += QString::number(p.date.month());
            else if (n == 2)
                out += twoDigits(p.date.month());
            else if (n == 3)
                out += locale.monthName(p.date.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(p.date.month(), QLocale::LongFormat);
            lastWasHour = false;
        } else if (lc == u'y') {
            out += n <= 2 ? twoDigits(p.date.year() % 100) : QString::number(p.date.year());
            lastWasHour = false;
        } else if (lc == u'h') {
            out += n == 1 ? QString::number(p.hour) : twoDigits(p.hour);
            lastWasHour = true;
        } else if (lc == u'n') {
            out += n == 1 ? QString::number(p.minute) : twoDigits(p.minute);
            lastWasHour = false;
        } else if (lc == u's') {
            out += n == 1 ? QString::number(p.second) : twoDigits(p.second);
            lastWasHour = false;
        } else if (lc == u'z') {
            out += n >= 3 ? QStringLiteral("%1").arg(p.msec, 3, 10, QLatin1Char('0'))
                          : QString::number(p.msec);
            lastWasHour = false;
        } else {
            for (int k = 0; k < n; ++k) {
                if (c == u':')
                    out += fs.timeSeparator;
                else if (c == u'/')
                    out += fs.dateSeparator;
                else
                    out += c;
            }
            // A separator keeps "h:mm" reading the m as minutes.
            if (c != u':' && !c.isSpace())
                lastWasHour = false;
        }
        i += n;
    }
    return out;
}

std::optional<double> parseTime(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\d{1,2})\s*(?::\s*(\d{1,2})\s*(?::\s*(\d{1,2})(?:[.,](\d{1,3}))?\s*)?)?$)"));
    QString t = text;
    t.replace(formatSettings().timeSeparator, u':');
    auto m = re.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    int h = m.captured(1).toInt();
    int mi = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    int ms = 0;
    if (!m.captured(4).isEmpty())
        ms = m.captured(4).leftJustified(3, u'0').toInt();
    if (h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return msecsToTimeFraction(((h * 60LL + mi) * 60 + s) * 1000 + ms);
}

std::optional<double> parseDate(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(\d{1,2})\s*[-./]\s*(\d{1,2})\s*[-./]\s*(\d{1,4})\s*$)"));
    QString t = text;
    t.replace(formatSettings().dateSeparator, u'-');
    auto m = re.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    int d = m.captured(1).toInt();
    int mo = m.captured(2).toInt();
    int y = m.captured(3).toInt();
    if (m.captured(3).size() <= 2)
        y += QDate::currentDate().year() / 100 * 100;
    QDate date(y, mo, d);
    if (!date.isValid())
        return std::nullopt;
    return dateToDayNumber(date);
}

} // namespace engine

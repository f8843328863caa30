#pragma once

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace engine {

// Day numbers: whole days since 30 December 1899, the time of day as the fraction.
constexpr double kMillisecondsPerDay = 86400000.0;

QDate dayNumberToDate(double dayNumber);
double dateToDayNumber(const QDate& date);
// Milliseconds since midnight of the fraction, rounded to the millisecond.
int timeFractionToMsecs(double fraction);
double msecsToTimeFraction(qint64 msecs);
// A day number rounded to the millisecond: the form in which times are stored.
double roundToMillisecond(double dayNumber);
double currentDateTime();

// The program-wide formats: dates day first with hyphens, whatever the locale says.
struct FormatSettings {
    QString shortDateFormat = QStringLiteral("dd-mm-yyyy");
    QString longTimeFormat = QStringLiteral("hh:nn:ss");
    QChar dateSeparator = u'-';
    QChar timeSeparator = u':';
};
FormatSettings& formatSettings();

// Formats a day number with the picture letters d, dd, ddd, dddd, m, mm, mmm, mmmm,
// yy, yyyy, h, hh, n, nn, s, ss, z, zzz; ':' and '/' give the time and date separators,
// quoted text is copied. Month and day names come from the current QLocale.
QString formatDateTime(const QString& picture, double dayNumber);

// Parses a time typed as h[:mm[:ss[.zzz]]] (blanks allowed around the parts).
std::optional<double> parseTime(const QString& text);
// Parses a date typed day first, d-m-yyyy (the short date format); two-digit years
// are taken in the current century.
std::optional<double> parseDate(const QString& text);

} // namespace engine

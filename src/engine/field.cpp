#include "field.h"

#include "dataset.h"
#include "datetime.h"
#include "error.h"

#include <cmath>
#include <limits>

namespace engine {

namespace {

std::pair<double, double> implicitRange(FieldType type) {
    switch (type) {
    case FieldType::SmallInt:
        return {-32768, 32767};
    case FieldType::Integer:
    case FieldType::AutoInc:
        return {double(std::numeric_limits<qint32>::min()),
                double(std::numeric_limits<qint32>::max())};
    default:
        return {-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    }
}

QString formatG(double v) {
    return QString::number(v, 'g', 15);
}

} // namespace

bool isNumeric(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

QString rangeErrorMessage(double value, const Field& field) {
    auto [low, high] = implicitRange(field.type());
    if (field.def().minValue || field.def().maxValue) {
        low = field.def().minValue.value_or(low);
        high = field.def().maxValue.value_or(high);
    }
    return QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
        .arg(formatG(value), field.label(), formatG(low), formatG(high));
}

QString requiredErrorMessage(const Field& field) {
    return QStringLiteral("Field '%1' must have a value").arg(field.label());
}

Field::Field(Dataset& dataset, int index, FieldDef def)
    : m_dataset(dataset), m_index(index), m_def(std::move(def)) {}

bool Field::isNull() const {
    return value().isNull();
}

QVariant Field::value() const {
    return m_dataset.currentValue(m_index);
}

QString Field::asString() const {
    const QVariant v = value();
    if (v.isNull())
        return QString();
    switch (m_def.type) {
    case FieldType::Time:
    case FieldType::Date:
        return text();
    default:
        return v.toString();
    }
}

qint64 Field::asInteger() const {
    const QVariant v = value();
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return qint64(std::llround(v.toDouble()));
    return v.toLongLong();
}

double Field::asFloat() const {
    const QVariant v = value();
    return v.isNull() ? 0.0 : v.toDouble();
}

QString Field::text() const {
    const QVariant v = value();
    if (v.isNull())
        return QString();
    switch (m_def.type) {
    case FieldType::Time:
        return formatDateTime(formatSettings().longTimeFormat, v.toDouble());
    case FieldType::Date:
        return formatDateTime(formatSettings().shortDateFormat, v.toDouble());
    default:
        return v.toString();
    }
}

QString Field::displayText() const {
    if (!m_def.displayFormat.isEmpty() &&
        (m_def.type == FieldType::Time || m_def.type == FieldType::Date) && !isNull())
        return formatDateTime(m_def.displayFormat, value().toDouble());
    return text();
}

QVariant Field::convert(const QVariant& value) const {
    if (value.isNull() || !value.isValid())
        return QVariant();
    switch (m_def.type) {
    case FieldType::Text:
    case FieldType::Memo: {
        QString s = value.toString();
        if (m_def.type == FieldType::Text && m_def.size > 0 && s.size() > m_def.size)
            s.truncate(m_def.size);
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        double number = 0;
        if (isNumeric(value)) {
            number = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float
                         ? std::round(value.toDouble())
                         : double(value.toLongLong());
        } else {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            bool ok = false;
            qint64 n = s.toLongLong(&ok);
            if (!ok)
                throw Error(QStringLiteral("'%1' is not a valid integer value").arg(s));
            number = double(n);
        }
        auto [low, high] = implicitRange(m_def.type);
        if (m_def.minValue || m_def.maxValue) {
            low = std::max(low, m_def.minValue.value_or(low));
            high = std::min(high, m_def.maxValue.value_or(high));
        }
        if (number < low || number > high)
            throw Error(rangeErrorMessage(number, *this));
        return QVariant(qint64(number));
    }
    case FieldType::Time:
    case FieldType::Date: {
        double day = 0;
        if (isNumeric(value)) {
            day = value.toDouble();
        } else if (value.typeId() == QMetaType::QDate) {
            day = dateToDayNumber(value.toDate());
        } else if (value.typeId() == QMetaType::QTime) {
            day = msecsToTimeFraction(value.toTime().msecsSinceStartOfDay());
        } else if (value.typeId() == QMetaType::QDateTime) {
            const QDateTime dt = value.toDateTime();
            day =
                dateToDayNumber(dt.date()) + msecsToTimeFraction(dt.time().msecsSinceStartOfDay());
        } else {
            const QString s = value.toString();
            if (s.trimmed().isEmpty())
                return QVariant();
            auto parsed = m_def.type == FieldType::Time ? parseTime(s) : parseDate(s);
            if (!parsed)
                throw Error((m_def.type == FieldType::Time
                                 ? QStringLiteral("'%1' is not a valid time")
                                 : QStringLiteral("'%1' is not a valid date"))
                                .arg(s.trimmed()));
            day = *parsed;
        }
        if (!std::isfinite(day))
            throw Error(QStringLiteral("Invalid value for field '%1'").arg(label()));
        // A time field keeps the time of day, a date field the day.
        if (m_def.type == FieldType::Time)
            return QVariant(msecsToTimeFraction(timeFractionToMsecs(day)));
        return QVariant(std::trunc(day));
    }
    }
    return value;
}

void Field::setValue(const QVariant& value) {
    if (m_def.type == FieldType::AutoInc)
        throw Error(QStringLiteral("Field '%1' cannot be modified").arg(label()));
    m_dataset.setCurrentValue(m_index, convert(value));
}

void Field::setAsString(const QString& value) {
    setValue(QVariant(value));
}

void Field::setAsInteger(qint64 value) {
    setValue(QVariant(value));
}

void Field::setAsFloat(double value) {
    setValue(QVariant(value));
}

void Field::setText(const QString& text) {
    if (onSetText)
        onSetText(*this, text);
    else
        setTextDefault(text);
}

void Field::setTextDefault(const QString& text) {
    if (m_def.type == FieldType::Text || m_def.type == FieldType::Memo)
        setValue(QVariant(text));
    else if (text.trimmed().isEmpty())
        clear();
    else
        setValue(QVariant(text));
}

void Field::clear() {
    m_dataset.setCurrentValue(m_index, QVariant());
}

} // namespace engine

#include "field_values.h"

#include "engine/dataset.h"
#include "engine/datetime.h"
#include "engine/error.h"

#include <QRegularExpression>
#include <cmath>

namespace tool {

namespace {

using engine::FieldType;

bool isText(FieldType type) {
    return type == FieldType::Text || type == FieldType::Memo;
}

bool isInteger(FieldType type) {
    return type == FieldType::SmallInt || type == FieldType::Integer || type == FieldType::AutoInc;
}

QString tooLong(const engine::Field& field, qsizetype length) {
    return QStringLiteral("Field '%1' holds at most %2 characters; this value has %3")
        .arg(field.label())
        .arg(field.def().size)
        .arg(length);
}

} // namespace

// The fields need a dataset to belong to; this one holds no rows, only the declarations.
class FieldRules::Fields : public engine::Dataset {
public:
    explicit Fields(const engine::TableDef& table) { setFields(table.fields); }
    int recordCount() const override { return 0; }
    QVariant rowValue(int, int) const override { return QVariant(); }

protected:
    void doOpen() override {}
    void doClose() override {}
    void loadRow(int) override {}
};

qint64 timeMsecs(const QVariant& value) {
    return value.isNull() ? 0 : std::llround(value.toDouble() * engine::kMillisecondsPerDay);
}

namespace {

// Appends number with at least width digits.
void appendNumber(QString& text, qint64 number, int width) {
    const QString digits = QString::number(number);
    for (qsizetype i = digits.size(); i < width; ++i)
        text += u'0';
    text += digits;
}

} // namespace

QString formatTime(double dayFraction) {
    qint64 ms = std::llround(dayFraction * engine::kMillisecondsPerDay);
    QString text;
    if (ms < 0) {
        text += u'-';
        ms = -ms;
    }
    appendNumber(text, ms / 3600000, 1);
    text += u':';
    appendNumber(text, ms / 60000 % 60, 2);
    if (ms % 60000 != 0) {
        text += u':';
        appendNumber(text, ms / 1000 % 60, 2);
    }
    if (ms % 1000 != 0) {
        text += u'.';
        appendNumber(text, ms % 1000, 3);
    }
    return text;
}

QString formatValue(const engine::FieldDef& field, const QVariant& value) {
    if (value.isNull())
        return QString();
    switch (field.type) {
    case FieldType::Time:
        return formatTime(value.toDouble());
    case FieldType::Date: {
        const QDate date = engine::dayNumberToDate(value.toDouble());
        QString text;
        appendNumber(text, date.day(), 2);
        text += u'-';
        appendNumber(text, date.month(), 2);
        text += u'-';
        appendNumber(text, date.year(), 4);
        return text;
    }
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QString::number(value.toLongLong());
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString();
}

FieldRules::FieldRules(const engine::TableDef& table)
    : m_table(table), m_fields(std::make_unique<Fields>(table)) {}

FieldRules::~FieldRules() = default;

const engine::FieldDef& FieldRules::field(int index) const {
    return m_table.fields.at(std::size_t(index));
}

int FieldRules::fieldIndex(const QString& name) const {
    return m_fields->fieldIndex(name);
}

QVariant FieldRules::parse(int index, const QString& text) const {
    static const QRegularExpression timeMask(
        QStringLiteral(R"(^\d{1,2}:\d{2}(:\d{2}(\.\d{1,3})?)?$)"));
    static const QRegularExpression dateMask(QStringLiteral(R"(^\d{1,2}-\d{1,2}-\d{4}$)"));
    const engine::Field& f = m_fields->field(index);
    const FieldType type = f.type();
    QString value = text;
    if (type == FieldType::Text && f.def().size > 0 && value.size() > f.def().size)
        throw engine::Error(tooLong(f, value.size()));
    if (!isText(type))
        value = value.trimmed();
    if (type == FieldType::Time && !value.isEmpty() && !timeMask.match(value).hasMatch())
        throw engine::Error(QStringLiteral("'%1' is not a valid time (h:mm)").arg(value));
    if (type == FieldType::Date && !value.isEmpty() && !dateMask.match(value).hasMatch())
        throw engine::Error(QStringLiteral("'%1' is not a valid date (dd-mm-yyyy)").arg(value));
    const QVariant converted = f.convert(QVariant(value));
    if (f.def().required && converted.isNull())
        throw engine::Error(engine::requiredErrorMessage(f));
    return converted;
}

QVariant FieldRules::convert(int index, const QVariant& value) const {
    return m_fields->field(index).convert(value);
}

QStringList FieldRules::violations(int index, const QVariant& value) const {
    const engine::Field& f = m_fields->field(index);
    const FieldType type = f.type();
    if (value.isNull() || (isText(type) && value.toString().isEmpty())) {
        if (f.def().required)
            return {engine::requiredErrorMessage(f)};
        return {};
    }
    if (type == FieldType::Text && f.def().size > 0 && value.toString().size() > f.def().size)
        return {tooLong(f, value.toString().size())};
    if (isInteger(type)) {
        try {
            f.convert(value);
        } catch (const engine::Error& e) {
            return {e.message()};
        }
    }
    if (type == FieldType::Time) {
        const double day = value.toDouble();
        if (!std::isfinite(day) || day < 0 ||
            timeMsecs(value) >= qint64(engine::kMillisecondsPerDay))
            return {QStringLiteral("%1 %2 is outside 0:00–24:00").arg(f.label(), formatTime(day))};
    }
    return {};
}

} // namespace tool

#pragma once

#include "field_def.h"

#include <QString>
#include <QVariant>
#include <functional>

namespace engine {

class Dataset;

// One field of a dataset's current row. Values are held as: QString (text, memo),
// qint64 (integers), double (time and date day numbers), or a null QVariant (empty).
class Field {
public:
    Field(Dataset& dataset, int index, FieldDef def);

    const FieldDef& def() const { return m_def; }
    const QString& name() const { return m_def.name; }
    QString label() const { return m_def.label(); }
    FieldType type() const { return m_def.type; }
    int index() const { return m_index; }
    Dataset& dataset() const { return m_dataset; }

    bool isNull() const;
    QVariant value() const;
    QString asString() const; // text as stored; numbers in decimal; times and dates as text()
    qint64 asInteger() const; // 0 when empty
    double asFloat() const;   // 0 when empty
    // The edit text: dates in the short date format, times in the long time format.
    QString text() const;
    // The display text: the display format when one is set, the edit text otherwise.
    QString displayText() const;

    // Setters need the dataset in edit or insert state. Range rules are checked here,
    // required rules when the row is posted.
    void setValue(const QVariant& value);
    void setAsString(const QString& value);
    void setAsInteger(qint64 value);
    void setAsFloat(double value);
    // Sets the field from typed text: runs onSetText when set, otherwise parses by type.
    void setText(const QString& text);
    // The parse that setText does when no handler is set.
    void setTextDefault(const QString& text);
    void clear();

    // A set-text handler replaces the default parse of typed text.
    std::function<void(Field&, const QString&)> onSetText;

    // Value conversion without touching the dataset: normalises, checks range, cuts text.
    QVariant convert(const QVariant& value) const;

private:
    Dataset& m_dataset;
    int m_index;
    FieldDef m_def;
};

// Whether a value is a number (of any of Qt's numeric kinds) rather than text or a date.
bool isNumeric(const QVariant& value);

// The dataset layer's standard messages.
QString rangeErrorMessage(double value, const Field& field);
QString requiredErrorMessage(const Field& field);

} // namespace engine

#pragma once

#include "engine/field_def.h"

#include <QChar>
#include <QString>
#include <QVariant>
#include <vector>

namespace framework {

// An edit mask as the field declarations write it, e.g. "90:00;1;_" or "99\-99\-9999;1;_":
// "9" a digit that may be left blank, "0" a digit that must be given, "L"/"l" a letter,
// "A"/"a" a letter or digit, "C"/"c" any character (capital: required), "#" a digit or sign,
// "\x" the literal x, ":" and "/" the time and date separators, ">" "<" "<>" letter case.
// The second part "0" leaves the literals out of the edited text (anything else keeps them),
// the third part is the character shown for a blank position.
//
// A masked edit shows blanks as that character; the field's set-text receives them as
// spaces, with the literals in place: an empty date is "  -  -    ".
class EditMask {
public:
    EditMask() = default;
    explicit EditMask(const QString& mask);

    bool isEmpty() const { return m_positions.empty(); }
    const QString& source() const { return m_source; }
    // The same mask for QLineEdit::setInputMask (whose "9" and "0" mean the opposite).
    const QString& inputMask() const { return m_inputMask; }
    QChar blank() const { return m_blank; }
    bool keepsLiterals() const { return m_keepLiterals; }
    int length() const { return int(m_positions.size()); }
    bool isLiteral(int position) const;

    // The text a masked edit holds for a field value, blank positions as spaces: a time of
    // 1:30 in "90:00" is " 1:30", a date in "99\-99\-9999" is "05-03-2001", an empty value
    // only blanks and literals.
    QString textForValue(engine::FieldType type, const QVariant& value) const;
    // The text to give QLineEdit::setText: the spaces of blank positions as the blank
    // character (a masked QLineEdit does not take spaces there).
    QString shownText(const QString& text) const;
    // What a masked QLineEdit shows (displayText) as the text for the field's set-text:
    // blank positions as spaces, the literals kept or dropped as the mask says.
    QString fieldText(const QString& shown) const;

private:
    struct Position {
        bool literal = false;
        QChar character; // the literal, or the mask character in QLineEdit's terms
    };

    // Spreads the parts over the groups of editable positions, each right-aligned.
    QString fillGroups(const QStringList& parts) const;
    // Puts the characters of text into the editable positions one after another.
    QString fillSequentially(const QString& text) const;

    QString m_source;
    QString m_inputMask;
    std::vector<Position> m_positions;
    QChar m_blank = u'_';
    bool m_keepLiterals = true;
};

} // namespace framework

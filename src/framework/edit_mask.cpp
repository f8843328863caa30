#include "edit_mask.h"

#include "engine/datetime.h"

#include <QStringList>

namespace framework {

namespace {

// Characters with a meaning in QLineEdit input masks: a literal one needs a backslash.
bool isInputMaskSpecial(QChar c) {
    static const QString special = QStringLiteral("AaNnXx90DdHhBb#<>!\\[]{}");
    return special.contains(c);
}

// The declared mask's position characters in QLineEdit's terms; a null QChar for literals.
QChar inputMaskCharacter(QChar c) {
    switch (c.unicode()) {
    case u'9':
        return u'0'; // digit, may be blank
    case u'0':
        return u'9'; // digit, required
    case u'L':
        return u'A';
    case u'l':
        return u'a';
    case u'A':
        return u'N';
    case u'a':
        return u'n';
    case u'C':
        return u'X';
    case u'c':
        return u'x';
    case u'#':
        return u'#';
    default:
        return QChar();
    }
}

// The parts of the mask text: the mask, the keep-literals flag and the blank character,
// separated by unescaped semicolons.
QStringList splitMask(const QString& mask) {
    QStringList parts{QString()};
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == u'\\' && i + 1 < mask.size() && parts.size() == 1) {
            parts.last() += c;
            parts.last() += mask.at(++i);
        } else if (c == u';' && parts.size() < 3) {
            parts << QString();
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

// The date written part by part in the order of the short date format (day first).
QStringList dateParts(double dayNumber) {
    QStringList parts;
    const QString& format = engine::formatSettings().shortDateFormat;
    QString picture;
    for (QChar c : format + QLatin1Char(' ')) {
        if (c.isLetter()) {
            picture += c;
        } else if (!picture.isEmpty()) {
            parts << engine::formatDateTime(picture, dayNumber);
            picture.clear();
        }
    }
    return parts;
}

QStringList timeParts(double dayNumber) {
    const int ms = engine::timeFractionToMsecs(dayNumber);
    return {QString::number(ms / 3600000),
            QStringLiteral("%1").arg(ms / 60000 % 60, 2, 10, QLatin1Char('0')),
            QStringLiteral("%1").arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))};
}

} // namespace

EditMask::EditMask(const QString& mask) : m_source(mask) {
    const QStringList parts = splitMask(mask);
    if (parts.size() > 1)
        m_keepLiterals = parts.at(1).trimmed() != QLatin1String("0");
    if (parts.size() > 2 && !parts.at(2).isEmpty())
        m_blank = parts.at(2).at(0);

    const QString& body = parts.at(0);
    QString input;
    for (int i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == u'!')
            continue; // trimming of leading blanks: QLineEdit has no such thing
        if (c == u'<' && i + 1 < body.size() && body.at(i + 1) == u'>') {
            input += u'!'; // case conversion off
            ++i;
            continue;
        }
        if (c == u'>' || c == u'<') {
            input += c;
            continue;
        }
        QChar literal;
        if (c == u'\\' && i + 1 < body.size())
            literal = body.at(++i);
        else if (c == u':')
            literal = engine::formatSettings().timeSeparator;
        else if (c == u'/')
            literal = engine::formatSettings().dateSeparator;
        else if (c == u'_')
            literal = u' ';
        else if (const QChar positionChar = inputMaskCharacter(c); !positionChar.isNull()) {
            m_positions.push_back({false, positionChar});
            input += positionChar;
            continue;
        } else
            literal = c;
        m_positions.push_back({true, literal});
        if (isInputMaskSpecial(literal))
            input += u'\\';
        input += literal;
    }
    if (!m_positions.empty())
        m_inputMask = input + u';' + m_blank;
}

bool EditMask::isLiteral(int position) const {
    return position >= 0 && position < length() && m_positions[std::size_t(position)].literal;
}

QString EditMask::fillGroups(const QStringList& parts) const {
    QString text;
    for (const Position& p : m_positions)
        text += p.literal ? p.character : QChar(u' ');
    int part = 0;
    for (int start = 0; start < length() && part < parts.size();) {
        if (isLiteral(start)) {
            ++start;
            continue;
        }
        int end = start;
        while (end < length() && !isLiteral(end))
            ++end;
        const int width = end - start;
        const QString value = parts.at(part++).right(width);
        text.replace(end - value.size(), value.size(), value);
        start = end;
    }
    return text;
}

QString EditMask::fillSequentially(const QString& value) const {
    QString text;
    int next = 0;
    for (const Position& p : m_positions) {
        if (p.literal) {
            if (next < value.size() && value.at(next) == p.character)
                ++next;
            text += p.character;
        } else {
            text += next < value.size() ? value.at(next++) : QChar(u' ');
        }
    }
    return text;
}

QString EditMask::textForValue(engine::FieldType type, const QVariant& value) const {
    if (value.isNull() || !value.isValid())
        return fillGroups({});
    switch (type) {
    case engine::FieldType::Time:
        return fillGroups(timeParts(value.toDouble()));
    case engine::FieldType::Date:
        return fillGroups(dateParts(value.toDouble()));
    default:
        return fillSequentially(value.toString());
    }
}

QString EditMask::shownText(const QString& text) const {
    QString shown = text;
    for (int i = 0; i < shown.size() && i < length(); ++i) {
        if (!isLiteral(i) && shown.at(i) == u' ')
            shown[i] = m_blank;
    }
    return shown;
}

QString EditMask::fieldText(const QString& shown) const {
    QString text;
    for (int i = 0; i < length(); ++i) {
        const QChar c = i < shown.size() ? shown.at(i) : m_blank;
        if (isLiteral(i)) {
            if (m_keepLiterals)
                text += m_positions[std::size_t(i)].character;
        } else {
            text += c == m_blank ? QChar(u' ') : c;
        }
    }
    return text;
}

} // namespace framework

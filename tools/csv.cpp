#include "csv.h"

#include "engine/error.h"

#include <unistd.h>

namespace tool::csv {

namespace {

constexpr qsizetype kFlushAt = 1 << 20;

bool needsQuotes(const QString& field) {
    for (const QChar c : field) {
        if (c == u',' || c == u'"' || c == u'\n' || c == u'\r')
            return true;
    }
    return false;
}

void appendField(QString& out, const QString& field) {
    if (!needsQuotes(field)) {
        out += field;
        return;
    }
    out += u'"';
    for (const QChar c : field) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

} // namespace

Writer::Writer(const QString& path) : m_file(path) {
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw engine::Error(
            QStringLiteral("Cannot create '%1': %2").arg(path, m_file.errorString()));
}

void Writer::writeRecord(const QStringList& fields) {
    // A record of one empty field would read back as a blank line, which is skipped.
    if (fields.size() == 1 && fields.first().isEmpty()) {
        m_buffer += QStringLiteral("\"\"\r\n");
    } else {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                m_buffer += u',';
            appendField(m_buffer, fields[i]);
        }
        m_buffer += QStringLiteral("\r\n");
    }
    if (m_buffer.size() >= kFlushAt)
        flushBuffer();
}

void Writer::flushBuffer() {
    const QByteArray bytes = m_buffer.toUtf8();
    m_buffer.clear();
    if (m_file.write(bytes) != bytes.size())
        throw engine::Error(
            QStringLiteral("Cannot write '%1': %2").arg(m_file.fileName(), m_file.errorString()));
}

void Writer::finish() {
    flushBuffer();
    if (!m_file.flush() || ::fsync(m_file.handle()) != 0)
        throw engine::Error(
            QStringLiteral("Cannot write '%1': %2").arg(m_file.fileName(), m_file.errorString()));
    m_file.close();
}

bool parse(const QString& text, std::vector<Record>& records, ParseError& error) {
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    if (p != end && p->unicode() == 0xFEFF)
        ++p;
    int line = 1;
    while (p != end) {
        // A blank line holds no record.
        if (*p == u'\n' || (*p == u'\r' && p + 1 != end && p[1] == u'\n')) {
            p += *p == u'\r' ? 2 : 1;
            ++line;
            continue;
        }
        Record record;
        record.line = line;
        QString field;
        for (;;) {
            if (p != end && *p == u'"') {
                const int opened = line;
                ++p;
                for (;;) {
                    if (p == end) {
                        error = {opened, QStringLiteral("a quoted value is not closed")};
                        return false;
                    }
                    if (*p == u'"') {
                        if (p + 1 != end && p[1] == u'"') {
                            field += u'"';
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    if (*p == u'\n')
                        ++line;
                    field += *p++;
                }
                const bool atEnd = p == end || *p == u',' || *p == u'\n' ||
                                   (*p == u'\r' && p + 1 != end && p[1] == u'\n');
                if (!atEnd) {
                    error = {line, QStringLiteral("a closing quote is followed by '%1' instead of "
                                                  "a comma or the end of the line")
                                       .arg(*p)};
                    return false;
                }
            } else {
                const QChar* start = p;
                while (p != end && *p != u',' && *p != u'\n' &&
                       !(*p == u'\r' && p + 1 != end && p[1] == u'\n'))
                    ++p;
                field = QString(start, p - start);
            }
            record.fields << field;
            field.clear();
            if (p != end && *p == u',') {
                ++p;
                continue;
            }
            break;
        }
        if (p != end) {
            p += *p == u'\r' ? 2 : 1;
            ++line;
        }
        records.push_back(std::move(record));
    }
    return true;
}

} // namespace tool::csv

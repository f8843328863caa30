#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

// RFC 4180 text: records end with CRLF, fields are separated by commas, and a field that
// holds a comma, a double quote or a line break stands in double quotes with its quotes
// doubled. Files are UTF-8.
namespace tool::csv {

// Writes records into a new file (it must not exist yet).
class Writer {
public:
    explicit Writer(const QString& path); // throws engine::Error
    void writeRecord(const QStringList& fields);
    void finish(); // flushes to disk; throws engine::Error

private:
    void flushBuffer();

    QFile m_file;
    QString m_buffer;
};

struct Record {
    int line = 0; // where the record begins, from 1
    QStringList fields;
};

struct ParseError {
    int line = 0;
    QString message;
};

// The records of a whole text. Blank lines are skipped; a byte order mark at the start
// is ignored; line ends may be CRLF or LF. Returns false with error set when a quoted
// field is not closed or a closing quote is followed by anything but a separator.
bool parse(const QString& text, std::vector<Record>& records, ParseError& error);

} // namespace tool::csv

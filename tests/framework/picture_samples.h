#pragma once

// Small picture files made in the test: valid ones of each kind the program shows, to be
// damaged by the tests as they need.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>
#include <QtEndian>

namespace samples {

inline QByteArray encodeWithQt(const QSize& size, const QColor& color, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QByteArray jpeg(const QSize& size, const QColor& color = Qt::red) {
    return encodeWithQt(size, color, "JPG");
}
inline QByteArray bmp(const QSize& size, const QColor& color = Qt::red) {
    return encodeWithQt(size, color, "BMP");
}
inline QByteArray ico(const QSize& size, const QColor& color = Qt::red) {
    return encodeWithQt(size, color, "ICO");
}

// Little-endian record writer.
class Writer {
public:
    Writer& u16(int v) {
        char b[2];
        qToLittleEndian<quint16>(quint16(v), b);
        m_bytes.append(b, 2);
        return *this;
    }
    Writer& u32(qint64 v) {
        char b[4];
        qToLittleEndian<quint32>(quint32(v), b);
        m_bytes.append(b, 4);
        return *this;
    }
    Writer& bytes(const QByteArray& b) {
        m_bytes.append(b);
        return *this;
    }
    const QByteArray& data() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};

inline quint32 colorRef(const QColor& c) {
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

// A placeable Windows metafile of width x height pixels at 96 per inch: a filled
// rectangle over the whole picture, and optionally a line of text (Latin-1).
inline QByteArray wmf(const QSize& size, const QColor& color = Qt::red,
                      const QByteArray& text = QByteArray()) {
    const int unitsPerInch = 96;
    Writer records;
    records.u32(5).u16(0x020B).u16(0).u16(0);                        // SETWINDOWORG
    records.u32(5).u16(0x020C).u16(size.height()).u16(size.width()); // SETWINDOWEXT
    records.u32(7).u16(0x02FC).u16(0).u32(colorRef(color)).u16(0);   // CREATEBRUSHINDIRECT
    records.u32(4).u16(0x012D).u16(0);                               // SELECTOBJECT
    records.u32(7).u16(0x041B).u16(size.height()).u16(size.width()).u16(0).u16(0); // RECTANGLE
    if (!text.isEmpty()) {
        QByteArray padded = text;
        if (padded.size() % 2)
            padded.append('\0');
        records.u32(3 + 1 + padded.size() / 2 + 2).u16(0x0521).u16(int(text.size()));
        records.bytes(padded).u16(size.height() / 2).u16(2); // TEXTOUT
    }
    records.u32(3).u16(0); // end of file
    const qsizetype headerWords = 9;
    Writer header;
    header.u16(1).u16(9).u16(0x300);
    header.u32(headerWords + records.size() / 2);
    header.u16(1); // objects
    header.u32(7); // largest record in words
    header.u16(0);
    Writer placeable;
    placeable.u32(0x9AC6CDD7).u16(0).u16(0).u16(0).u16(size.width()).u16(size.height());
    placeable.u16(unitsPerInch).u32(0);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<quint16>(placeable.data().constData() + 2 * i);
    placeable.u16(checksum);
    return placeable.data() + header.data() + records.data();
}

// An enhanced metafile of width x height pixels (frame at 96 per inch): a filled rectangle
// over the whole picture.
inline QByteArray emf(const QSize& size, const QColor& color = Qt::red) {
    Writer records;
    records.u32(39).u32(24).u32(1).u32(0).u32(colorRef(color)).u32(0); // CREATEBRUSHINDIRECT
    records.u32(37).u32(12).u32(1);                                    // SELECTOBJECT
    records.u32(43).u32(24).u32(0).u32(0).u32(size.width()).u32(size.height()); // RECTANGLE
    records.u32(14).u32(20).u32(0).u32(16).u32(20);                             // EOF
    const int headerSize = 88;
    Writer header;
    header.u32(1).u32(headerSize);
    header.u32(0).u32(0).u32(size.width() - 1).u32(size.height() - 1); // bounds, pixels
    header.u32(0).u32(0).u32(size.width() * 2540 / 96).u32(size.height() * 2540 / 96); // frame
    header.u32(0x464D4520).u32(0x10000);
    header.u32(headerSize + records.size()).u32(5); // bytes, records
    header.u16(2).u16(0);                           // handles
    header.u32(0).u32(0).u32(0);                    // description, palette
    header.u32(1024).u32(768).u32(271).u32(203);    // reference device, pixels and mm
    return header.data() + records.data();
}

inline bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace samples

#pragma once

// Hostile picture files made in the test: what a damaged or crafted file from anywhere on
// the user's disk may hold.

#include "picture_samples.h"

#include <QtEndian>
#include <algorithm>
#include <cstdlib>

namespace crafted {

// Bits written most significant first, as JPEG picture data is, with the 0x00 that must
// follow every 0xFF byte.
class JpegBits {
public:
    // The low `count` bits of value; above bit 31, zeros.
    void put(quint32 value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            const quint32 bit = i < 32 ? (value >> i) & 1 : 0;
            m_byte = quint8(m_byte << 1 | bit);
            if (++m_filled == 8)
                flushByte();
        }
    }
    // Pads the last byte with ones, as encoders do.
    QByteArray finish() {
        while (m_filled != 0)
            put(1, 1);
        return m_bytes;
    }

private:
    void flushByte() {
        m_bytes.append(char(m_byte));
        if (m_byte == 0xFF)
            m_bytes.append('\0');
        m_byte = 0;
        m_filled = 0;
    }
    QByteArray m_bytes;
    quint8 m_byte = 0;
    int m_filled = 0;
};

inline QByteArray jpegSegment(quint8 marker, const QByteArray& body) {
    QByteArray segment("\xFF");
    segment.append(char(marker));
    char length[2];
    qToBigEndian<quint16>(quint16(body.size() + 2), length);
    segment.append(length, 2);
    return segment + body;
}

// A progressive grey JPEG of width x height pixels (at most 32767 blocks of 8 x 8) made of
// the given number of scans. The first scan holds the DC values, one bit per block; every
// other scan is one code for "no more values in any block". The AC scans follow a valid
// progression (each of the 63 coefficients first at bit 13, then refined down to bit 0)
// for as long as one exists, which is 883 scans; after that the last scan repeats.
inline QByteArray progressiveJpeg(int scans, const QSize& size = QSize(1440, 1440)) {
    const int blocks = ((size.width() + 7) / 8) * ((size.height() + 7) / 8);
    int runBits = 0;
    while ((2 << runBits) <= blocks)
        ++runBits; // the end-of-band run class: 2^runBits <= blocks < 2^(runBits + 1)

    QByteArray quant(1, '\0');
    quant.append(QByteArray(64, '\1'));
    QByteArray frame;
    frame.append(char(8));
    char dims[4];
    qToBigEndian<quint16>(quint16(size.height()), dims);
    qToBigEndian<quint16>(quint16(size.width()), dims + 2);
    frame.append(dims, 4).append("\x01\x01\x11\x00", 4);
    // One code each, "0": the DC difference 0, and the end-of-band run of the class above.
    QByteArray tables;
    tables.append('\x00').append('\x01').append(QByteArray(15, '\0')).append('\x00');
    tables.append('\x10').append('\x01').append(QByteArray(15, '\0')).append(char(runBits << 4));

    QByteArray file("\xFF\xD8", 2);
    file += jpegSegment(0xDB, quant) + jpegSegment(0xC2, frame) + jpegSegment(0xC4, tables);
    const auto scan = [&file](int ss, int se, int ah, int al, const QByteArray& data) {
        QByteArray header("\x01\x01\x00", 3);
        header.append(char(ss)).append(char(se)).append(char(ah << 4 | al));
        file += jpegSegment(0xDA, header) + data;
    };
    JpegBits dc;
    dc.put(0, blocks);
    scan(0, 0, 0, 13, dc.finish());
    JpegBits run;
    run.put(0, 1);
    run.put(quint32(blocks - (1 << runBits)), runBits);
    const QByteArray runData = run.finish();
    int ah = 0;
    int al = 13;
    int coefficient = 1;
    bool progressionDone = false;
    for (int i = 1; i < scans; ++i) {
        scan(coefficient, coefficient, ah, al, runData);
        if (progressionDone || ++coefficient < 64)
            continue;
        if (al == 0) {
            progressionDone = true; // no valid scan is left: the last one repeats
            coefficient = 63;
        } else {
            coefficient = 1;
            ah = al;
            --al;
        }
    }
    return file + QByteArray("\xFF\xD9", 2);
}

// The first scan's picture data of a baseline JPEG: where it starts and how long it is.
inline std::pair<qsizetype, qsizetype> jpegPictureData(const QByteArray& jpeg) {
    const qsizetype sos = jpeg.indexOf("\xFF\xDA");
    const qsizetype start = sos + 2 + qFromBigEndian<quint16>(jpeg.constData() + sos + 2);
    return {start, jpeg.size() - 2 - start};
}

// A photo-like JPEG (a colour gradient, so that its picture data is not trivial).
inline QByteArray gradientJpeg(const QSize& size, int quality = 90) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgb(x * 255 / size.width(), y * 255 / size.height(), (x ^ y) & 0xFF));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return bytes;
}

// A JPEG whose picture data is damaged in its middle: libjpeg would go on and fill the
// rest of the picture with grey.
inline QByteArray jpegWithDamagedData(bool markerInside) {
    QByteArray data = gradientJpeg(QSize(256, 256));
    const auto [start, length] = jpegPictureData(data);
    const qsizetype middle = start + length / 2;
    if (markerInside) {
        data[middle] = char(0xFF); // a restart marker where none belongs
        data[middle + 1] = char(0xD3);
    } else {
        for (qsizetype i = middle; i < middle + 64; ++i)
            data[i] = char(0xFE); // codes no table holds
    }
    return data;
}

// A JPEG whose frame header claims width x height pixels; the data is that of a tiny one.
inline QByteArray jpegClaiming(const QSize& size) {
    QByteArray data = samples::jpeg(QSize(16, 16));
    const qsizetype sof = data.indexOf("\xFF\xC0");
    qToBigEndian<quint16>(quint16(size.height()), data.data() + sof + 5);
    qToBigEndian<quint16>(quint16(size.width()), data.data() + sof + 7);
    return data;
}

// A bitmap whose header claims width x height pixels.
inline QByteArray bmpClaiming(const QSize& size) {
    QByteArray data = samples::bmp(QSize(32, 32));
    qToLittleEndian<qint32>(size.width(), data.data() + 18);
    qToLittleEndian<qint32>(size.height(), data.data() + 22);
    return data;
}

// An icon whose one image is a bitmap claiming width x height pixels.
inline QByteArray icoClaiming(const QSize& size) {
    QByteArray data = samples::ico(QSize(32, 32));
    const quint32 imageAt = qFromLittleEndian<quint32>(data.constData() + 6 + 12);
    qToLittleEndian<qint32>(size.width(), data.data() + imageAt + 4);
    qToLittleEndian<qint32>(size.height() * 2, data.data() + imageAt + 8);
    return data;
}

// An enhanced metafile of the given size in pixels drawn with many rectangles: a file of
// about 24 bytes a rectangle.
inline QByteArray largeEmf(const QSize& size, int rectangles) {
    samples::Writer records;
    records.u32(39).u32(24).u32(1).u32(0).u32(samples::colorRef(Qt::blue)).u32(0);
    records.u32(37).u32(12).u32(1);
    for (int i = 0; i < rectangles; ++i) {
        const int x = i % size.width();
        const int y = (i / size.width()) % size.height();
        records.u32(43).u32(24).u32(x).u32(y).u32(x + 3).u32(y + 3);
    }
    records.u32(14).u32(20).u32(0).u32(16).u32(20);
    const int headerSize = 88;
    samples::Writer header;
    header.u32(1).u32(headerSize);
    header.u32(0).u32(0).u32(size.width() - 1).u32(size.height() - 1);
    header.u32(0).u32(0).u32(size.width() * 2540 / 96).u32(size.height() * 2540 / 96);
    header.u32(0x464D4520).u32(0x10000);
    header.u32(headerSize + records.size()).u32(rectangles + 3);
    header.u16(2).u16(0);
    header.u32(0).u32(0).u32(0);
    header.u32(1024).u32(768).u32(271).u32(203);
    return header.data() + records.data();
}

// An enhanced metafile whose frame claims an enormous picture.
inline QByteArray emfClaimingHugeFrame() {
    QByteArray data = samples::emf(QSize(32, 32));
    qToLittleEndian<qint32>(0x7FFFFFF0, data.data() + 32);
    qToLittleEndian<qint32>(0x7FFFFFF0, data.data() + 36);
    return data;
}

// A placeable metafile whose bounding box claims 32767 x 32767 units at one unit an inch.
inline QByteArray wmfClaimingHugeBox() {
    QByteArray data = samples::wmf(QSize(32, 32));
    qToLittleEndian<quint16>(32767, data.data() + 10);
    qToLittleEndian<quint16>(32767, data.data() + 12);
    qToLittleEndian<quint16>(1, data.data() + 14);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<quint16>(data.constData() + 2 * i);
    qToLittleEndian<quint16>(checksum, data.data() + 20);
    return data;
}

} // namespace crafted

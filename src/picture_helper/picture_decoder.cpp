#include "picture_decoder.h"

#include "decode_error.h"
#include "engine/error.h"
#include "jpeg_decoder.h"
#include "metafile_decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <cmath>
#include <cstdlib>

namespace picture_helper {

namespace {

// What Qt's readers may allocate for a picture before it is scaled down.
constexpr int kReaderAllocationMegabytes = 256;

[[noreturn]] void fail(const QString& reason) {
    throw engine::Error(reason);
}

// A size of no more than kMaxPicturePixels with the shape of the given one.
QSize boundedSize(const QSize& size) {
    const double pixels = double(size.width()) * size.height();
    if (pixels <= double(framework::kMaxPicturePixels))
        return size;
    const double factor = std::sqrt(double(framework::kMaxPicturePixels) / pixels);
    return QSize(std::max(1, int(size.width() * factor)), std::max(1, int(size.height() * factor)));
}

// Qt's bitmap reader shows a cut-off uncompressed bitmap with its missing rows blank;
// such a file is refused here instead, like every other truncated picture.
void checkBitmapComplete(const QByteArray& data) {
    constexpr qsizetype kFileHeader = 14;
    if (data.size() < kFileHeader + 16)
        return; // too short for any bitmap: Qt refuses it
    const auto u16 = [&data](qsizetype at) {
        return qFromLittleEndian<quint16>(data.constData() + at);
    };
    const auto u32 = [&data](qsizetype at) {
        return qFromLittleEndian<quint32>(data.constData() + at);
    };
    const quint32 pixelsAt = u32(10);
    const quint32 infoSize = u32(14);
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitsPerPixel = 0;
    quint32 compression = 0;
    if (infoSize == 12) {
        width = u16(18);
        height = u16(20);
        bitsPerPixel = u16(24);
    } else if (infoSize >= 40 && data.size() >= kFileHeader + 20) {
        width = qint32(u32(18));
        height = qint32(u32(22));
        bitsPerPixel = u16(28);
        compression = u32(30);
    } else {
        return;
    }
    constexpr quint32 kUncompressed = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (compression != kUncompressed && compression != kBitFields && compression != kAlphaBitFields)
        return;
    // In floating point: a damaged header may give sizes whose product overflows.
    const double rowBytes = std::floor((double(bitsPerPixel) * std::abs(width) + 31) / 32) * 4;
    if (double(pixelsAt) + rowBytes * double(std::abs(height)) > double(data.size()))
        fail(QStringLiteral("Filen er afkortet."));
}

QImage readWithQt(const QByteArray& data, const char* format) {
    QByteArray shared = data; // QBuffer wants a pointer it could write through; it does not
    QBuffer buffer(&shared);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(kReaderAllocationMegabytes);
    const QSize size = reader.size();
    if (size.isValid()) {
        if (double(size.width()) * size.height() * 4 > kReaderAllocationMegabytes * 1048576.0)
            fail(QStringLiteral("Billedet er for stort."));
        reader.setScaledSize(boundedSize(size));
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        fail(QStringLiteral("Filen er beskadiget (%1).").arg(reader.errorString()));
    return image;
}

QImage decodeJpegImage(const QByteArray& data, const PictureAllocator& allocate) {
    QImage image;
    try {
        decodeJpeg(reinterpret_cast<const std::uint8_t*>(data.constData()),
                   std::size_t(data.size()), [&](unsigned width, unsigned height) {
                       image = allocate(QSize(int(width), int(height)), QImage::Format_RGB32);
                       return image.isNull() ? nullptr : image.bits();
                   });
    } catch (const DecodeError& error) {
        fail(QString::fromUtf8(error.what()));
    }
    return image;
}

QImage decodeByFormat(const QByteArray& data, framework::PictureFormat format,
                      const PictureAllocator& allocate) {
    using framework::PictureFormat;
    switch (format) {
    case PictureFormat::Jpeg:
        return decodeJpegImage(data, allocate);
    case PictureFormat::Bitmap:
        checkBitmapComplete(data);
        return readWithQt(data, "bmp");
    case PictureFormat::Icon:
        return readWithQt(data, "ico");
    case PictureFormat::Metafile:
        return decodeWindowsMetafile(data);
    case PictureFormat::EnhancedMetafile:
        return decodeEnhancedMetafile(data);
    }
    fail(QStringLiteral("Ukendt billedformat."));
}

} // namespace

QImage decodePicture(const QByteArray& data, framework::PictureFormat format,
                     const PictureAllocator& allocate) {
    if (data.isEmpty())
        fail(QStringLiteral("Filen er tom."));
    QImage image = decodeByFormat(
        data, format, allocate ? allocate : [](const QSize& size, QImage::Format pixels) {
            return QImage(size, pixels);
        });
    if (image.isNull())
        fail(QStringLiteral("Filen er beskadiget."));
    const QSize size = boundedSize(image.size());
    if (size != image.size())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32);
    if (image.isNull())
        fail(QStringLiteral("Der er ikke hukommelse nok til billedet."));
    return image;
}

} // namespace picture_helper

#include "picture_loader.h"

#include "engine/error.h"
#include "jpeg_decoder.h"
#include "metafile_decoder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <cmath>
#include <cstdlib>

namespace framework {

namespace {

// No picture file of an actor comes near this; a larger file is not read into memory.
constexpr qint64 kMaxFileSize = qint64(256) * 1024 * 1024;

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
        throw engine::Error(QStringLiteral("Filen er afkortet."));
}

QImage readWithQt(const QByteArray& data, const char* format) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        throw engine::Error(QStringLiteral("Billedet er for stort."));
    QImage image;
    if (!reader.read(&image) || image.isNull())
        throw engine::Error(QStringLiteral("Filen er beskadiget (%1).").arg(reader.errorString()));
    return image;
}

} // namespace

QImage decodePicture(const QByteArray& data, PictureFormat format) {
    if (data.isEmpty())
        throw engine::Error(QStringLiteral("Filen er tom."));
    switch (format) {
    case PictureFormat::Jpeg:
        return decodeJpeg(data);
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
    throw engine::Error(QStringLiteral("Ukendt billedformat."));
}

QImage loadPicture(const QString& fileName) {
    const QString shown = QDir::toNativeSeparators(fileName);
    const auto failure = [&shown](const QString& reason) {
        return engine::Error(QStringLiteral("Kan ikke vise billedet %1.\n%2").arg(shown, reason));
    };
    const std::optional<PictureFormat> format = pictureFormatOf(fileName);
    if (!format)
        throw failure(QStringLiteral("Filtypen kendes ikke; billeder kan være .bmp, .ico, .emf, "
                                     ".wmf, .jpg eller .jpeg."));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw failure(file.errorString());
    if (file.size() > kMaxFileSize)
        throw failure(QStringLiteral("Filen er for stor."));
    const QByteArray data = file.readAll();
    try {
        return decodePicture(data, *format);
    } catch (const engine::Error& error) {
        throw failure(error.message());
    }
}

} // namespace framework

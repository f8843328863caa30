#pragma once

#include "picture_helper_protocol.h"

#include <QFileInfo>
#include <QString>
#include <optional>

// Shared by the program and its picture helper, so kept to this header.
namespace framework {

// The picture file kinds an actor picture may be, told by the file's extension.
enum class PictureFormat { Bitmap, Icon, EnhancedMetafile, Metafile, Jpeg };

// The most pixels a decoded picture may have; see picture_helper_protocol.h.
inline constexpr qint64 kMaxPicturePixels = picture_helper_protocol::kMaxPicturePixels;

// The format for an extension given without its dot, letters in any case ("JPG", "wmf");
// nothing for an extension the program does not show.
inline std::optional<PictureFormat> pictureFormatForExtension(const QString& extension) {
    const QString ext = extension.toLower();
    if (ext == u"jpg" || ext == u"jpeg")
        return PictureFormat::Jpeg;
    if (ext == u"bmp")
        return PictureFormat::Bitmap;
    if (ext == u"ico")
        return PictureFormat::Icon;
    if (ext == u"emf")
        return PictureFormat::EnhancedMetafile;
    if (ext == u"wmf")
        return PictureFormat::Metafile;
    return std::nullopt;
}

// The format for a file name: its extension is the text after the last dot.
inline std::optional<PictureFormat> pictureFormatOf(const QString& fileName) {
    return pictureFormatForExtension(QFileInfo(fileName).suffix());
}

} // namespace framework

#include "picture_format.h"

#include <QFileInfo>

namespace framework {

std::optional<PictureFormat> pictureFormatForExtension(const QString& extension) {
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

std::optional<PictureFormat> pictureFormatOf(const QString& fileName) {
    return pictureFormatForExtension(QFileInfo(fileName).suffix());
}

} // namespace framework

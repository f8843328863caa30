#pragma once

#include <QString>
#include <optional>

namespace framework {

// The picture file kinds an actor picture may be, told by the file's extension.
enum class PictureFormat { Bitmap, Icon, EnhancedMetafile, Metafile, Jpeg };

// The most pixels a decoded picture may have (128 MB at four bytes a pixel). Larger
// pictures are decoded at a reduced size where the format allows it, else refused, so
// that a damaged size field can never make the program ask for gigabytes.
inline constexpr qint64 kMaxPicturePixels = qint64(32) * 1024 * 1024;

// The format for an extension given without its dot, letters in any case ("JPG", "wmf");
// nothing for an extension the program does not show.
std::optional<PictureFormat> pictureFormatForExtension(const QString& extension);

// The format for a file name: its extension is the text after the last dot.
std::optional<PictureFormat> pictureFormatOf(const QString& fileName);

} // namespace framework

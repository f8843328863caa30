#pragma once

#include "framework/picture_format.h"

#include <QByteArray>
#include <QImage>

namespace picture_helper {

// The largest picture file the helper reads; no actor picture comes near it.
inline constexpr qint64 kMaxPictureFileSize = qint64(256) * 1024 * 1024;

// The helper's decoding entry: a picture file's contents, decoded by the format's decoder,
// as a raster of at most framework::kMaxPicturePixels (a larger picture is scaled down,
// keeping its shape), in QImage::Format_RGB32 or, when it has transparent parts,
// Format_ARGB32_Premultiplied. A file that cannot be shown raises engine::Error with the
// reason for the user. Metafiles need a QGuiApplication (they may hold text).
QImage decodePicture(const QByteArray& data, framework::PictureFormat format);

} // namespace picture_helper

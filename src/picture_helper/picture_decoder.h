#pragma once

#include "framework/picture_format.h"
#include "picture_allocator.h"

#include <QByteArray>
#include <QImage>

namespace picture_helper {

// The helper's decoding entry: a picture file's contents, decoded by the format's decoder,
// as a raster of at most framework::kMaxPicturePixels (a larger picture is scaled down,
// keeping its shape), in QImage::Format_RGB32 or, when it has transparent parts,
// Format_ARGB32_Premultiplied. A file that cannot be shown raises engine::Error with the
// reason for the user. Metafiles need a QGuiApplication (they may hold text).
QImage decodePicture(const QByteArray& data, framework::PictureFormat format,
                     const PictureAllocator& allocate = {});

} // namespace picture_helper

#pragma once

#include <QByteArray>
#include <QImage>

namespace picture_helper {

// The most scans a progressive JPEG may have. Encoders write about ten; thousands of scans
// only make the decoder go over the whole picture again and again.
inline constexpr int kMaxJpegScans = 100;

// Decodes a JPEG file's contents with libjpeg. A picture above kMaxPicturePixels is decoded
// at the largest reduction of 7/8, 6/8 ... 1/8 that fits. A damaged, truncated or corrupt
// file raises engine::Error: libjpeg's warnings about corrupt data count as damage, as do more
// than kMaxJpegScans scans; a picture is never shown with a grey, undecoded part.
QImage decodeJpeg(const QByteArray& data);

} // namespace picture_helper

#pragma once

#include <QByteArray>
#include <QImage>

namespace framework {

// Decodes a JPEG file's contents with libjpeg. A damaged or truncated file raises
// engine::Error; the library's own handler, which would end the process, is never
// reached. A picture above kMaxPicturePixels is decoded at 1/2, 1/4 or 1/8 of its size.
QImage decodeJpeg(const QByteArray& data);

} // namespace framework

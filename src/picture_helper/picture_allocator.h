#pragma once

#include <QImage>
#include <QSize>
#include <functional>

namespace picture_helper {

// Where a decoder that knows the final size at once (JPEG) puts the picture: an image of
// that size and format whose rows follow each other without a gap, or a null image when
// there is no room. By default a new QImage; the helper gives one in the memory it hands
// over, which saves a copy of every pixel.
using PictureAllocator = std::function<QImage(const QSize& size, QImage::Format format)>;

} // namespace picture_helper

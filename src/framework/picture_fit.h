#pragma once

#include <QRect>
#include <QSize>

namespace framework {

// Where a picture control goes inside a titled frame (a group box) so that the whole
// picture shows, as large as possible, keeping its shape, centred in the frame's usable
// area: the frame less 4 pixels in width and 17 in height (the border and the title),
// starting at left 2, top 15. Small pictures are enlarged. Each side is rounded to the
// nearest pixel, an exact half to the even neighbour; the centring offsets are whole
// halves of the spare room, rounded down. A picture without area gets an empty rectangle.
QRect fitPictureInFrame(const QSize& frame, const QSize& picture);

} // namespace framework

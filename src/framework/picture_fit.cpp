#include "picture_fit.h"

#include <cmath>

namespace framework {

namespace {

// Round to the nearest whole number, an exact half to the even neighbour.
int roundHalfEven(double value) {
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest > 0.5)
        return int(down) + 1;
    if (rest < 0.5)
        return int(down);
    return std::fmod(down, 2.0) == 0.0 ? int(down) : int(down) + 1;
}

} // namespace

QRect fitPictureInFrame(const QSize& frame, const QSize& picture) {
    if (picture.width() <= 0 || picture.height() <= 0)
        return QRect();
    const int usableWidth = frame.width() - 4;
    const int usableHeight = frame.height() - 17;
    const double rw = double(usableWidth) / picture.width();
    const double rh = double(usableHeight) / picture.height();
    const double r = rw < rh ? rw : rh;
    const int width = roundHalfEven(picture.width() * r);
    const int height = roundHalfEven(picture.height() * r);
    int left = 2;
    int top = 15;
    if (usableWidth > width)
        left += (usableWidth - width) / 2;
    if (usableHeight > height)
        top += (usableHeight - height) / 2;
    return QRect(left, top, width, height);
}

} // namespace framework

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// The JPEG decoder, without Qt: the JPEG helper program uses it alone.
namespace picture_helper {

// The most scans a progressive JPEG may have. Encoders write about ten; thousands of scans
// only make the decoder go over the whole picture again and again.
inline constexpr int kMaxJpegScans = 100;

// Where the picture's rows go, once its size is known: width x height pixels of four bytes
// (blue, green, red, 255), row after row; nullptr when there is no room for them.
using JpegPixels = std::function<std::uint8_t*(unsigned width, unsigned height)>;

struct JpegSize {
    unsigned width = 0;
    unsigned height = 0;
};

// Decodes a JPEG file's contents with libjpeg into the pixels `pixels` gives. A picture
// above kMaxPicturePixels is decoded at the largest reduction of 7/8, 6/8 ... 1/8 that fits.
// A damaged, truncated or corrupt file raises DecodeError: libjpeg's warnings about corrupt
// data count as damage, as do more than kMaxJpegScans scans; a picture is never shown with
// a grey, undecoded part.
JpegSize decodeJpeg(const std::uint8_t* data, std::size_t size, const JpegPixels& pixels);

} // namespace picture_helper

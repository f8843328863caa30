#pragma once

// How the picture helper programs answer the picture loader. Plain C++: the JPEG helper
// does without Qt.
//
// The loader hands the helper a shared memory file as its descriptor 3 (kPixelDescriptor),
// kPixelFileSize bytes long. The helper puts the picture's pixels at its start: width x
// height pixels of four bytes, row after row from the top, in the byte order of QImage's
// 32-bit formats on this (little-endian) machine: blue, green, red, alpha. The picture so
// reaches the program without being copied through a pipe, and the program's memory for it
// is never more than the file.
//
// On its standard output the helper writes a header of 16 bytes, then nothing else for a
// picture, or the reason it could not be decoded:
//
//   bytes 0-3   "SPB" and 'P' (a picture) or 'E' (an error)
//   picture:    bytes 4-7 width, 8-11 height, 12-15 pixel kind (PixelKind), little-endian
//   error:      bytes 4-7 the length of the reason, 8-15 zero; then the reason in UTF-8
//
// It ends with exit code 0 after either answer.

#include <cstdint>
#include <cstring>

namespace framework::picture_helper_protocol {

// The most pixels a picture handed over may have (64 MB at four bytes a pixel). Larger
// pictures are decoded at a reduced size, keeping their shape, so that a damaged size field
// can never make a decoder ask for gigabytes and no more than this ever reaches the program.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t(16) * 1024 * 1024;

inline constexpr int kPixelDescriptor = 3;
inline constexpr std::int64_t kPixelFileSize = kMaxPicturePixels * 4;

inline constexpr int kHeaderSize = 16;
inline constexpr char kPicture = 'P';
inline constexpr char kError = 'E';
// A reason is one or two sentences; anything longer is not a reason.
inline constexpr std::uint32_t kMaxReasonSize = 4096;

enum class PixelKind : std::uint32_t {
    Opaque = 1,                  // QImage::Format_RGB32
    PremultipliedTransparent = 2 // QImage::Format_ARGB32_Premultiplied
};

struct Header {
    char kind = 0; // kPicture or kError
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t pixelKind = 0;    // pictures
    std::uint32_t reasonLength = 0; // errors
};

namespace detail {
inline void putU32(char* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
}
inline std::uint32_t getU32(const char* in) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | std::uint8_t(in[i]);
    return value;
}
} // namespace detail

inline void encodeHeader(const Header& header, char (&out)[kHeaderSize]) {
    std::memset(out, 0, kHeaderSize);
    std::memcpy(out, "SPB", 3);
    out[3] = header.kind;
    if (header.kind == kPicture) {
        detail::putU32(out + 4, header.width);
        detail::putU32(out + 8, header.height);
        detail::putU32(out + 12, header.pixelKind);
    } else {
        detail::putU32(out + 4, header.reasonLength);
    }
}

// False when the bytes are not a header of either kind.
inline bool decodeHeader(const char* bytes, Header& header) {
    if (std::memcmp(bytes, "SPB", 3) != 0)
        return false;
    header = Header();
    header.kind = bytes[3];
    if (header.kind == kPicture) {
        header.width = detail::getU32(bytes + 4);
        header.height = detail::getU32(bytes + 8);
        header.pixelKind = detail::getU32(bytes + 12);
        return true;
    }
    if (header.kind == kError) {
        header.reasonLength = detail::getU32(bytes + 4);
        return true;
    }
    return false;
}

} // namespace framework::picture_helper_protocol

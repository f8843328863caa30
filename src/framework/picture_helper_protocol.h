#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstring>

// What the picture helper program writes to its standard output, read back by the picture
// loader: a header of 16 bytes, then the picture or the reason it could not be decoded.
//
//   bytes 0-3   "SPB" and 'P' (a picture) or 'E' (an error)
//   picture:    bytes 4-7 width, 8-11 height, 12-15 pixel kind (PixelKind), little-endian;
//               then width x height pixels of four bytes, row after row from the top, in the
//               byte order of QImage's 32-bit formats on this machine
//   error:      bytes 4-7 the length of the reason, 8-15 zero; then the reason in UTF-8
//
// The helper writes nothing else there, and ends with exit code 0 after either answer.
namespace framework::picture_helper_protocol {

inline constexpr qsizetype kHeaderSize = 16;
inline constexpr char kPicture = 'P';
inline constexpr char kError = 'E';
// A reason is one or two sentences; anything longer is not a reason.
inline constexpr quint32 kMaxReasonSize = 4096;

enum class PixelKind : quint32 {
    Opaque = 1,                  // QImage::Format_RGB32
    PremultipliedTransparent = 2 // QImage::Format_ARGB32_Premultiplied
};

struct Header {
    char kind = 0; // kPicture or kError
    quint32 width = 0;
    quint32 height = 0;
    quint32 pixelKind = 0;    // pictures
    quint32 reasonLength = 0; // errors
};

inline QByteArray encodeHeader(const Header& header) {
    QByteArray bytes(kHeaderSize, '\0');
    char* out = bytes.data();
    std::memcpy(out, "SPB", 3);
    out[3] = header.kind;
    if (header.kind == kPicture) {
        qToLittleEndian<quint32>(header.width, out + 4);
        qToLittleEndian<quint32>(header.height, out + 8);
        qToLittleEndian<quint32>(header.pixelKind, out + 12);
    } else {
        qToLittleEndian<quint32>(header.reasonLength, out + 4);
    }
    return bytes;
}

// False when the bytes are not a header of either kind.
inline bool decodeHeader(const char* bytes, Header& header) {
    if (std::memcmp(bytes, "SPB", 3) != 0)
        return false;
    header = Header();
    header.kind = bytes[3];
    if (header.kind == kPicture) {
        header.width = qFromLittleEndian<quint32>(bytes + 4);
        header.height = qFromLittleEndian<quint32>(bytes + 8);
        header.pixelKind = qFromLittleEndian<quint32>(bytes + 12);
        return true;
    }
    if (header.kind == kError) {
        header.reasonLength = qFromLittleEndian<quint32>(bytes + 4);
        return true;
    }
    return false;
}

} // namespace framework::picture_helper_protocol

#include "metafile_decoder.h"

#include "engine/error.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <cmath>
#include <cstdlib>
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>
#include <memory>

namespace picture_helper {

namespace {

// Metafiles are measured in inches or millimetres; pictures are shown at screen pixels.
constexpr double kPixelsPerInch = 96.0;
// A metafile is drawn no larger than this, keeping its shape: it is a drawing, which loses
// nothing by being drawn smaller, and a damaged header may ask for any size at all.
constexpr int kMaxSide = 4096;
constexpr double kMaxPixels = 4.0 * 1024 * 1024;

[[noreturn]] void fail(const QString& reason) {
    throw engine::Error(reason);
}

// The size to draw a metafile at: its own size, made smaller when a damaged or strange
// header asks for an enormous picture.
QSize boundedSize(double width, double height, double maxPixels) {
    if (!(width >= 1.0 && height >= 1.0) || !std::isfinite(width) || !std::isfinite(height))
        fail(QStringLiteral("Metafilen har ingen størrelse."));
    double factor = 1.0;
    factor = std::min(factor, kMaxSide / width);
    factor = std::min(factor, kMaxSide / height);
    factor = std::min(factor, std::sqrt(maxPixels / (width * height)));
    const int w = std::max(1, int(std::lround(width * factor)));
    const int h = std::max(1, int(std::lround(height * factor)));
    return QSize(w, h);
}

quint32 readU32(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

qint32 readI32(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<qint32>(data.constData() + offset);
}

quint16 readU16(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

// ---- Windows metafiles (libwmf) ----

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableHeaderSize = 22;
constexpr qsizetype kMetaHeaderSize = 18;

// libwmf writes the text of the text records into its SVG as it stands, where a byte above
// 127 is not valid text and '<' and '&' end the text. The text is therefore given to it in
// plain characters: the Latin-1 letters as their base letter (ø as o, Å as A), anything else
// above 127 as '?', and the three characters XML reserves as look-alikes.
char plainLetter(unsigned char c) {
    switch (c) {
    case '&':
        return '+';
    case '<':
        return '(';
    case '>':
        return ')';
    default:
        break;
    }
    if (c < 0x80)
        return char(c);
    switch (c) {
    case 0xC6: // Æ
        return 'A';
    case 0xE6: // æ
        return 'a';
    case 0xD8: // Ø
        return 'O';
    case 0xF8: // ø
        return 'o';
    case 0xDF: // ß
        return 's';
    default:
        break;
    }
    const QString decomposed = QChar(char16_t(c)).decomposition();
    if (!decomposed.isEmpty() && decomposed.at(0).unicode() < 0x80 && decomposed.at(0).isLetter())
        return char(decomposed.at(0).unicode());
    return '?';
}

constexpr quint16 kTextOut = 0x0521;
constexpr quint16 kExtTextOut = 0x0A32;
constexpr quint16 kClippedOrOpaque = 0x0006;

void foldText(QByteArray& file, qsizetype record, qsizetype recordSize, quint16 function) {
    qsizetype text = 0;
    qsizetype length = 0;
    if (function == kTextOut && recordSize >= 8) {
        length = readU16(file, record + 6);
        text = record + 8;
    } else if (function == kExtTextOut && recordSize >= 14) {
        length = readU16(file, record + 10);
        const bool rectangle = readU16(file, record + 12) & kClippedOrOpaque;
        text = record + 14 + (rectangle ? 8 : 0);
    } else {
        return;
    }
    const qsizetype end = std::min(text + length, record + recordSize);
    for (qsizetype i = text; i < end; ++i)
        file[i] = plainLetter(static_cast<unsigned char>(file.at(i)));
}

// The metafile header: type 1 (memory) or 2 (disk), a header of 9 words, version 0x100
// or 0x300, then whole records: a size in 16-bit words (at least the size and function
// fields), all inside the file, the last one the end record (function 0). Checked before
// libwmf sees the file, so that other and cut-off files are refused at once. Returns a copy
// whose header names the true largest record: libwmf allocates a buffer of the size the
// header gives, which a damaged file may make gigabytes.
QByteArray checkedWindowsMetafile(const QByteArray& data) {
    qsizetype start = 0;
    if (data.size() >= 4 && readU32(data, 0) == kPlaceableKey)
        start = kPlaceableHeaderSize;
    if (data.size() < start + kMetaHeaderSize)
        fail(QStringLiteral("Metafilen er tom eller afkortet."));
    const quint16 type = readU16(data, start);
    const quint16 headerWords = readU16(data, start + 2);
    const quint16 version = readU16(data, start + 4);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x100 && version != 0x300))
        fail(QStringLiteral("Filen er ikke en metafil."));

    QByteArray checked = data;
    quint32 largest = 0;
    qsizetype offset = start + kMetaHeaderSize;
    while (offset + 6 <= data.size()) {
        const quint64 words = readU32(data, offset);
        const quint16 function = readU16(data, offset + 4);
        if (words < 3 || words * 2 > quint64(data.size() - offset))
            fail(QStringLiteral("Metafilen er beskadiget."));
        largest = std::max(largest, quint32(words));
        if (function == 0) {
            qToLittleEndian<quint32>(largest, checked.data() + start + 12);
            return checked;
        }
        foldText(checked, offset, qsizetype(words * 2), function);
        offset += qsizetype(words * 2);
    }
    fail(QStringLiteral("Metafilen er afkortet."));
}

struct WmfApiDeleter {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using WmfApi = std::unique_ptr<wmfAPI, WmfApiDeleter>;

// libwmf writes the SVG to this stream a piece at a time.
int collectSvg(char* text, void* context) {
    static_cast<QByteArray*>(context)->append(text);
    return 0;
}

int restartSvg(void* context) {
    static_cast<QByteArray*>(context)->clear();
    return 0;
}

void checkWmf(wmfAPI* api, wmf_error_t status) {
    if (status != wmf_E_None || (api && api->err != wmf_E_None))
        fail(QStringLiteral("Metafilen er beskadiget."));
}

// ---- Enhanced metafiles (libemf2svg, Qt SVG) ----

constexpr quint32 kEmrHeader = 1;
constexpr quint32 kEmrEof = 14;
constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr qsizetype kEmfHeaderMinimum = 88;

// Walks the records: each at least 8 bytes, a multiple of 4, inside the file, the first a
// header and the last an end record. libemf2svg then never meets a record that runs past
// the end of the data.
void checkEnhancedMetafileRecords(const QByteArray& data) {
    if (data.size() < kEmfHeaderMinimum)
        fail(QStringLiteral("Metafilen er tom eller afkortet."));
    if (readU32(data, 0) != kEmrHeader || readU32(data, 40) != kEmfSignature)
        fail(QStringLiteral("Filen er ikke en metafil."));
    const quint32 headerSize = readU32(data, 4);
    if (headerSize < kEmfHeaderMinimum || headerSize % 4 != 0 || headerSize > quint32(data.size()))
        fail(QStringLiteral("Metafilen er beskadiget."));
    qsizetype offset = 0;
    while (offset + 8 <= data.size()) {
        const quint32 type = readU32(data, offset);
        const quint32 size = readU32(data, offset + 4);
        if (size < 8 || size % 4 != 0 || size > quint64(data.size() - offset))
            fail(QStringLiteral("Metafilen er beskadiget."));
        if (offset > 0 && type == kEmrHeader)
            fail(QStringLiteral("Metafilen er beskadiget."));
        if (type == kEmrEof)
            return;
        offset += size;
    }
    fail(QStringLiteral("Metafilen er afkortet."));
}

// The picture size from the header's frame (hundredths of a millimetre), or from its
// bounds in device pixels when the frame is empty.
QSize enhancedMetafileSize(const QByteArray& data) {
    const double frameWidth = double(readI32(data, 32)) - readI32(data, 24);
    const double frameHeight = double(readI32(data, 36)) - readI32(data, 28);
    if (frameWidth > 0 && frameHeight > 0)
        return boundedSize(std::round(frameWidth * kPixelsPerInch / 2540.0),
                           std::round(frameHeight * kPixelsPerInch / 2540.0), kMaxPixels);
    const double boundsWidth = double(readI32(data, 16)) - readI32(data, 8) + 1;
    const double boundsHeight = double(readI32(data, 20)) - readI32(data, 12) + 1;
    return boundedSize(boundsWidth, boundsHeight, kMaxPixels);
}

struct MallocDeleter {
    void operator()(char* p) const { std::free(p); }
};

// The metafile as SVG, by libwmf, and the size to draw it at. libwmf's SVG device only
// writes the drawing down; its own raster device would go over every pixel of a shape, also
// far outside the picture, for as long as a damaged file's coordinates make it.
QByteArray convertWindowsMetafile(QByteArray contents, QSize& size) {
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* created = nullptr;
    const wmf_error_t status = wmf_api_create(&created, flags, &options);
    WmfApi api(created);
    checkWmf(api.get(), status);

    // libwmf reads from a buffer it may not change, but its interface is not const.
    checkWmf(api.get(), wmf_mem_open(api.get(), reinterpret_cast<unsigned char*>(contents.data()),
                                     long(contents.size())));
    wmfD_Rect bbox{};
    checkWmf(api.get(), wmf_scan(api.get(), 0, &bbox));
    unsigned int width = 0;
    unsigned int height = 0;
    checkWmf(api.get(),
             wmf_display_size(api.get(), &width, &height, kPixelsPerInch, kPixelsPerInch));
    size = boundedSize(width, height, kMaxPixels);

    QByteArray svg;
    wmfStream stream{&svg, collectSvg, restartSvg};
    wmf_svg_t* device = WMF_SVG_GetData(api.get());
    device->out = &stream;
    device->Description = nullptr;
    device->flags |= WMF_SVG_INLINE_IMAGES;
    device->bbox = bbox;
    device->width = unsigned(size.width());
    device->height = unsigned(size.height());
    checkWmf(api.get(), wmf_play(api.get(), 0, &bbox));
    return svg;
}

// The metafile as SVG, by libemf2svg.
QByteArray convertEnhancedMetafile(const QByteArray& data, const QSize& size) {
    // Zeros after the data: libemf2svg peeks at a record header past the last record.
    QByteArray contents = data;
    contents.append(QByteArray(16, '\0'));

    char noNamespace[] = "";
    generatorOptions options{};
    options.nameSpace = noNamespace;
    options.verbose = false;
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();

    char* out = nullptr;
    size_t outLength = 0;
    const int ok = emf2svg(contents.data(), size_t(data.size()), &out, &outLength, &options);
    const std::unique_ptr<char, MallocDeleter> svgText(out);
    if (!ok || !out || outLength == 0)
        fail(QStringLiteral("Metafilen er beskadiget."));
    return QByteArray(out, qsizetype(outLength));
}

// The SVG drawn on white at the given size.
QImage drawSvg(const QByteArray& svg, const QSize& size) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        fail(QStringLiteral("Metafilen kunne ikke tegnes."));
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        fail(QStringLiteral("Der er ikke hukommelse nok til billedet."));
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

} // namespace

QImage decodeWindowsMetafile(const QByteArray& data) {
    QSize size;
    const QByteArray svg = convertWindowsMetafile(checkedWindowsMetafile(data), size);
    return drawSvg(svg, size);
}

QImage decodeEnhancedMetafile(const QByteArray& data) {
    checkEnhancedMetafileRecords(data);
    const QSize size = enhancedMetafileSize(data);
    return drawSvg(convertEnhancedMetafile(data, size), size);
}

} // namespace picture_helper

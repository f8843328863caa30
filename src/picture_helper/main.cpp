// spolebox-picture-helper FILE SECONDS MEGABYTES
//
// Decodes one picture file for Spolebox and hands over the picture, or the reason it cannot
// be shown (see framework/picture_helper_protocol.h). Picture files come from anywhere on
// the user's disk, and the decoders are large C libraries: a file that makes one of them
// crash, hang or run out of memory ends only this process, which may use at most SECONDS of
// time and MEGABYTES of address space. JPEG files have a helper of their own,
// spolebox-jpeg-helper (jpeg_main.cpp), which starts faster; this one reads them as well.

#include "decode_error.h"
#include "engine/error.h"
#include "helper_output.h"
#include "picture_decoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <unistd.h>

namespace {

namespace protocol = framework::picture_helper_protocol;

// Metafiles may hold text, which Qt draws only with a GUI application; a window system
// is not needed for that. Qt sees no arguments but the program's name: a file name must
// never be taken for one of its options.
std::unique_ptr<QCoreApplication> startQt(char* programName, bool forDrawing) {
    static int argc = 1;
    static char* argv[] = {programName, nullptr};
    if (!forDrawing)
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

// The picture's pixels in the shared memory, unless the decoder put them there already.
void putPixels(picture_helper::PixelFile& file, const QImage& picture) {
    std::uint8_t* pixels = file.pixels(unsigned(picture.width()), unsigned(picture.height()));
    if (!pixels)
        throw engine::Error(QStringLiteral("Billedet kan ikke gives videre til programmet."));
    const qsizetype rowBytes = qsizetype(picture.width()) * 4;
    if (picture.constBits() == pixels && picture.bytesPerLine() == rowBytes)
        return;
    for (int y = 0; y < picture.height(); ++y)
        std::memcpy(pixels + y * rowBytes, picture.constScanLine(y), std::size_t(rowBytes));
}

} // namespace

int main(int argc, char** argv) {
    picture_helper::HelperArguments arguments;
    if (!picture_helper::parseArguments(argc, argv, arguments)) {
        static const char usage[] = "usage: spolebox-picture-helper FILE SECONDS MEGABYTES\n";
        (void)!::write(2, usage, sizeof usage - 1);
        return 2;
    }
    const int answer = picture_helper::prepareHelper(arguments);
    if (answer < 0)
        return 1;

    const QString fileName = QFile::decodeName(arguments.file);
    const std::optional<framework::PictureFormat> format = framework::pictureFormatOf(fileName);
    bool written = false;
    try {
        if (!format)
            throw engine::Error(QStringLiteral("Filtypen kendes ikke; billeder kan være .bmp, "
                                               ".ico, .emf, .wmf, .jpg eller .jpeg."));
        const bool metafile = *format == framework::PictureFormat::EnhancedMetafile ||
                              *format == framework::PictureFormat::Metafile;
        const std::unique_ptr<QCoreApplication> qt = startQt(argv[0], metafile);
        const std::string contents = picture_helper::readPictureFile(arguments.file);
        picture_helper::PixelFile pixels;
        const QImage picture = picture_helper::decodePicture(
            QByteArray::fromRawData(contents.data(), qsizetype(contents.size())), *format,
            [&pixels](const QSize& size, QImage::Format pixelFormat) {
                std::uint8_t* room = pixels.pixels(unsigned(size.width()), unsigned(size.height()));
                return room ? QImage(room, size.width(), size.height(), qsizetype(size.width()) * 4,
                                     pixelFormat)
                            : QImage();
            });
        putPixels(pixels, picture);
        written = picture_helper::writePictureHeader(
            answer, unsigned(picture.width()), unsigned(picture.height()),
            picture.format() == QImage::Format_RGB32
                ? protocol::PixelKind::Opaque
                : protocol::PixelKind::PremultipliedTransparent);
    } catch (const engine::Error& error) {
        written = picture_helper::writeReason(answer, error.message().toStdString());
    } catch (const picture_helper::DecodeError& error) {
        written = picture_helper::writeReason(answer, error.what());
    } catch (const std::bad_alloc&) {
        written = picture_helper::writeReason(answer, "Der er ikke hukommelse nok til billedet.");
    }
    // Leaving at once: tearing down what the decoders built up is of no use to anyone.
    std::_Exit(written ? 0 : 1);
}

// spolebox-picture-helper FILE SECONDS MEGABYTES
//
// Decodes one picture file for Spolebox and writes the picture, or the reason it cannot be
// shown, to standard output (see framework/picture_helper_protocol.h). Picture files come
// from anywhere on the user's disk, and the decoders are large C libraries: a file that
// makes one of them crash, hang or run out of memory ends only this process, which may use
// at most SECONDS of time and MEGABYTES of address space.

#include "engine/error.h"
#include "framework/picture_helper_protocol.h"
#include "picture_decoder.h"
#include "resource_limits.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <new>
#include <optional>
#include <unistd.h>

namespace {

namespace protocol = framework::picture_helper_protocol;

// What the picture goes through in one piece: a larger pipe means fewer wake-ups of the
// program while a large picture comes over.
constexpr int kPipeSize = 1024 * 1024;

bool writeAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(std::min<qint64>(size, 1 << 30)));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool writePicture(int fd, const QImage& image) {
    protocol::Header header;
    header.kind = protocol::kPicture;
    header.width = quint32(image.width());
    header.height = quint32(image.height());
    header.pixelKind = quint32(image.format() == QImage::Format_RGB32
                                   ? protocol::PixelKind::Opaque
                                   : protocol::PixelKind::PremultipliedTransparent);
    const QByteArray head = protocol::encodeHeader(header);
    if (!writeAll(fd, head.constData(), head.size()))
        return false;
    const qint64 rowBytes = qint64(image.width()) * 4;
    if (image.bytesPerLine() == rowBytes)
        return writeAll(fd, reinterpret_cast<const char*>(image.constBits()),
                        rowBytes * image.height());
    for (int y = 0; y < image.height(); ++y)
        if (!writeAll(fd, reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes))
            return false;
    return true;
}

bool writeReason(int fd, const QString& reason) {
    const QByteArray text = reason.toUtf8().left(protocol::kMaxReasonSize);
    protocol::Header header;
    header.kind = protocol::kError;
    header.reasonLength = quint32(text.size());
    const QByteArray head = protocol::encodeHeader(header);
    return writeAll(fd, head.constData(), head.size()) &&
           writeAll(fd, text.constData(), text.size());
}

std::optional<long> positiveNumber(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value <= 0)
        return std::nullopt;
    return value;
}

QByteArray readPictureFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw engine::Error(file.errorString());
    if (file.size() > picture_helper::kMaxPictureFileSize)
        throw engine::Error(QStringLiteral("Filen er for stor."));
    return file.readAll();
}

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

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        static const char usage[] = "usage: spolebox-picture-helper FILE SECONDS MEGABYTES\n";
        (void)!::write(2, usage, sizeof usage - 1);
        return 2;
    }
    const std::optional<long> seconds = positiveNumber(argv[2]);
    const std::optional<long> megabytes = positiveNumber(argv[3]);
    if (!seconds || !megabytes)
        return 2;
    picture_helper::limitResources(std::chrono::seconds(*seconds), std::size_t(*megabytes));

    // The answer goes to a descriptor of its own; whatever a library prints goes to
    // standard error, never into the picture.
    const int answer = ::dup(1);
    if (answer < 0 || ::dup2(2, 1) < 0)
        return 1;
    ::fcntl(answer, F_SETPIPE_SZ, kPipeSize);

    const QString fileName = QFile::decodeName(argv[1]);
    const std::optional<framework::PictureFormat> format = framework::pictureFormatOf(fileName);
    bool written = false;
    try {
        if (!format)
            throw engine::Error(QStringLiteral("Filtypen kendes ikke; billeder kan være .bmp, "
                                               ".ico, .emf, .wmf, .jpg eller .jpeg."));
        const bool metafile = *format == framework::PictureFormat::EnhancedMetafile;
        const std::unique_ptr<QCoreApplication> qt = startQt(argv[0], metafile);
        const QImage picture = picture_helper::decodePicture(readPictureFile(fileName), *format);
        written = writePicture(answer, picture);
    } catch (const engine::Error& error) {
        written = writeReason(answer, error.message());
    } catch (const std::bad_alloc&) {
        written = writeReason(answer, QStringLiteral("Der er ikke hukommelse nok til billedet."));
    }
    // Leaving at once: tearing down what the decoders built up is of no use to anyone.
    std::_Exit(written ? 0 : 1);
}

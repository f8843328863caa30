// spolebox-jpeg-helper FILE SECONDS MEGABYTES
//
// The picture helper for JPEG files, the common case: it does the same as
// spolebox-picture-helper (see main.cpp) for JPEG alone, with libjpeg and without Qt, so
// that it starts in a fraction of the time. The picture goes straight into the memory it
// hands over.

#include "decode_error.h"
#include "helper_output.h"
#include "jpeg_decoder.h"

#include <cstdlib>
#include <new>
#include <unistd.h>

int main(int argc, char** argv) {
    picture_helper::HelperArguments arguments;
    if (!picture_helper::parseArguments(argc, argv, arguments)) {
        static const char usage[] = "usage: spolebox-jpeg-helper FILE SECONDS MEGABYTES\n";
        (void)!::write(2, usage, sizeof usage - 1);
        return 2;
    }
    const int answer = picture_helper::prepareHelper(arguments);
    if (answer < 0)
        return 1;
    bool written = false;
    try {
        const std::string contents = picture_helper::readPictureFile(arguments.file);
        picture_helper::PixelFile pixels;
        const picture_helper::JpegSize size = picture_helper::decodeJpeg(
            reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size(),
            [&pixels](unsigned width, unsigned height) { return pixels.pixels(width, height); });
        written = picture_helper::writePictureHeader(
            answer, size.width, size.height, framework::picture_helper_protocol::PixelKind::Opaque);
    } catch (const picture_helper::DecodeError& error) {
        written = picture_helper::writeReason(answer, error.what());
    } catch (const std::bad_alloc&) {
        written = picture_helper::writeReason(answer, "Der er ikke hukommelse nok til billedet.");
    }
    std::_Exit(written ? 0 : 1);
}

// libFuzzer target for the picture helper's decoding entry: the first byte chooses the
// format, the rest is the file. Any input must end in a picture of at most
// kMaxPicturePixels or an engine::Error, never in a crash, a hang or a leak.

#include "engine/error.h"
#include "picture_helper/picture_decoder.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int kFormats = 5;

void startGui() {
    // Metafiles are drawn with Qt's painter and fonts, which need a GUI application.
    static int argc = 1;
    static char name[] = "fuzz_picture_loader";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.*=false\n*.warning=false"));
}

} // namespace

// Qt's font database keeps fontconfig's patterns for the life of the process and never hands
// them back; LeakSanitizer would report them when the fuzzer ends. Whatever a decoder leaks
// is still reported.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (startGui(), true);
    (void)started;
    if (size < 1)
        return 0;
    const auto format = framework::PictureFormat(data[0] % kFormats);
    const QByteArray contents(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    try {
        const QImage image = picture_helper::decodePicture(contents, format);
        if (qint64(image.width()) * image.height() > framework::kMaxPicturePixels)
            __builtin_trap();
    } catch (const engine::Error&) {
    }
    return 0;
}

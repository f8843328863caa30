#include "picture_pixel_files.h"

#include "picture_helper_protocol.h"

#include <sys/mman.h>
#include <unistd.h>

namespace framework {

namespace {

constexpr std::size_t kMaxSpares = 1;

// What a picture in a pixel file holds on to: the mapping, and the way back to the spares.
struct Mapping {
    void* address = nullptr;
    std::size_t length = 0;
    int file = -1;
    std::shared_ptr<PixelFiles> files;
};

void unmap(void* info) {
    const std::unique_ptr<Mapping> mapping(static_cast<Mapping*>(info));
    ::munmap(mapping->address, mapping->length);
    mapping->files->giveBack(mapping->file);
}

} // namespace

PixelFiles::~PixelFiles() {
    releaseSpares();
}

void PixelFiles::releaseSpares() {
    for (int file : m_spares)
        ::close(file);
    m_spares.clear();
}

int PixelFiles::take() {
    if (!m_spares.empty()) {
        const int file = m_spares.back();
        m_spares.pop_back();
        return file;
    }
    // As large as the largest picture; a page is taken only when the helper writes it.
    const int file = ::memfd_create("spolebox-picture", MFD_CLOEXEC);
    if (file >= 0 && ::ftruncate(file, picture_helper_protocol::kPixelFileSize) != 0) {
        ::close(file);
        return -1;
    }
    return file;
}

void PixelFiles::giveBack(int file) {
    if (file < 0)
        return;
    if (m_spares.size() < kMaxSpares)
        m_spares.push_back(file);
    else
        ::close(file);
}

void PixelFiles::drop(int file) {
    if (file >= 0)
        ::close(file);
}

QImage PixelFiles::picture(int file, int width, int height, QImage::Format format) {
    const std::size_t length = std::size_t(width) * std::size_t(height) * 4;
    // All pages at once: the picture is read whole when it is first drawn.
    void* address = ::mmap(nullptr, length, PROT_READ, MAP_SHARED | MAP_POPULATE, file, 0);
    if (address == MAP_FAILED) {
        giveBack(file);
        return QImage();
    }
    auto mapping = std::make_unique<Mapping>(Mapping{address, length, file, shared_from_this()});
    const QImage image(static_cast<const uchar*>(address), width, height, qsizetype(width) * 4,
                       format, unmap, mapping.get());
    if (image.isNull()) {
        ::munmap(address, length);
        giveBack(file);
        return QImage();
    }
    mapping.release(); // unmap() has it now
    return image;
}

} // namespace framework

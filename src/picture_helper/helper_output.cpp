#include "helper_output.h"

#include "decode_error.h"
#include "resource_limits.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace picture_helper {

namespace protocol = framework::picture_helper_protocol;

namespace {

// The largest picture file a helper reads; no actor picture comes near it.
constexpr std::int64_t kMaxPictureFileSize = std::int64_t(256) * 1024 * 1024;

bool positiveNumber(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value > 0;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

} // namespace

bool parseArguments(int argc, char** argv, HelperArguments& arguments) {
    if (argc != 4)
        return false;
    arguments.file = argv[1];
    return positiveNumber(argv[2], arguments.seconds) &&
           positiveNumber(argv[3], arguments.megabytes);
}

int prepareHelper(const HelperArguments& arguments) {
    limitResources(std::chrono::seconds(arguments.seconds), std::size_t(arguments.megabytes));
    const int answer = ::dup(1);
    if (answer < 0 || ::dup2(2, 1) < 0)
        return -1;
    return answer;
}

std::string readPictureFile(const char* fileName) {
    const int file = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        throw DecodeError(std::string("Filen kan ikke åbnes (") + std::strerror(errno) + ").");
    struct stat status {};
    if (::fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(file);
        throw DecodeError("Filen kan ikke læses.");
    }
    if (status.st_size > kMaxPictureFileSize) {
        ::close(file);
        throw DecodeError("Filen er for stor.");
    }
    std::string contents(std::size_t(status.st_size), '\0');
    std::size_t filled = 0;
    while (filled < contents.size()) {
        const ssize_t got = ::read(file, contents.data() + filled, contents.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += std::size_t(got);
    }
    ::close(file);
    contents.resize(filled);
    if (contents.empty())
        throw DecodeError("Filen er tom.");
    return contents;
}

std::uint8_t* PixelFile::pixels(unsigned width, unsigned height) {
    const std::int64_t length = std::int64_t(width) * height * 4;
    if (m_address)
        return length <= m_length ? static_cast<std::uint8_t*>(m_address) : nullptr;
    struct stat file {};
    if (length <= 0 || ::fstat(protocol::kPixelDescriptor, &file) != 0 || file.st_size < length)
        return nullptr;
    // Taking all pages at once is cheaper than one at a time as the pixels are written.
    void* address = ::mmap(nullptr, std::size_t(length), PROT_READ | PROT_WRITE,
                           MAP_SHARED | MAP_POPULATE, protocol::kPixelDescriptor, 0);
    if (address == MAP_FAILED)
        return nullptr;
    m_address = address;
    m_length = length;
    return static_cast<std::uint8_t*>(address);
}

bool writePictureHeader(int answer, unsigned width, unsigned height, protocol::PixelKind kind) {
    protocol::Header header;
    header.kind = protocol::kPicture;
    header.width = width;
    header.height = height;
    header.pixelKind = std::uint32_t(kind);
    char bytes[protocol::kHeaderSize];
    protocol::encodeHeader(header, bytes);
    return writeAll(answer, bytes, sizeof bytes);
}

bool writeReason(int answer, const std::string& reason) {
    const std::string text = reason.substr(0, protocol::kMaxReasonSize);
    protocol::Header header;
    header.kind = protocol::kError;
    header.reasonLength = std::uint32_t(text.size());
    char bytes[protocol::kHeaderSize];
    protocol::encodeHeader(header, bytes);
    return writeAll(answer, bytes, sizeof bytes) && writeAll(answer, text.data(), text.size());
}

} // namespace picture_helper

#pragma once

#include "framework/picture_helper_protocol.h"

#include <cstddef>
#include <cstdint>
#include <string>

// What both picture helpers do around the decoding, without Qt: their limits, the file, and
// the answer to the program (framework/picture_helper_protocol.h).
namespace picture_helper {

// Parses the helpers' command line, FILE SECONDS MEGABYTES; false when it is not one.
struct HelperArguments {
    const char* file = nullptr;
    long seconds = 0;
    long megabytes = 0;
};
bool parseArguments(int argc, char** argv, HelperArguments& arguments);

// Sets the limits (see resource_limits.h) and gives the answer a descriptor of its own:
// whatever a library prints goes to standard error, never into the answer. The answer's
// descriptor, or -1.
int prepareHelper(const HelperArguments& arguments);

// The file's contents, at most kMaxPictureFileSize; raises DecodeError with the reason.
std::string readPictureFile(const char* fileName);

// The shared memory the program gave for the picture's pixels, mapped when the picture's
// size is known and kept until the helper ends.
class PixelFile {
public:
    // Room for width x height pixels of four bytes, or nullptr when the file cannot hold them.
    std::uint8_t* pixels(unsigned width, unsigned height);

private:
    void* m_address = nullptr;
    std::int64_t m_length = 0;
};

bool writePictureHeader(int answer, unsigned width, unsigned height,
                        framework::picture_helper_protocol::PixelKind kind);
bool writeReason(int answer, const std::string& reason);

} // namespace picture_helper

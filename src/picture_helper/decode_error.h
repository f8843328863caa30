#pragma once

#include <stdexcept>
#include <string>

namespace picture_helper {

// A file that cannot be shown, raised by the decoders that do without Qt; what() is the
// reason for the user, in UTF-8.
class DecodeError : public std::runtime_error {
public:
    explicit DecodeError(const std::string& reason) : std::runtime_error(reason) {}
};

} // namespace picture_helper

#pragma once

#include <chrono>
#include <cstddef>

namespace picture_helper {

// Limits the helper process itself, before it reads the file: at most `seconds` of processor
// time and of wall-clock time (the program kills it sooner; this holds should the program have
// gone), at most `megabytes` of address space, no core files, no files written, and an end
// when the program that started it ends.
//
// A build with AddressSanitizer reserves terabytes of address space at start-up, so there the
// address space is left unlimited.
void limitResources(std::chrono::seconds seconds, std::size_t megabytes);

} // namespace picture_helper

#pragma once

namespace engine {

// Hands the memory the program has freed back to the system. The C library keeps freed
// memory for later use, and after freeing a large block it keeps even the large ones; so a
// big transient piece of work (a search with a quarter of a million hits sorted) would
// leave the program that much bigger for the rest of its life.
void handBackSpareMemory();

} // namespace engine

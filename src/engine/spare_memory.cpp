#include "spare_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace engine {

void handBackSpareMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace engine

// The system-specific part is one advice call, made only on Linux.
#include "format/large_memory.h"

#include <cstdlib>
#include <limits>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kzo {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void* allocateLarge(std::size_t size) {
    if (size < kHugePage || size > std::numeric_limits<std::size_t>::max() - kHugePage) {
        return std::malloc(size == 0 ? 1 : size);
    }
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* area = std::aligned_alloc(kHugePage, rounded);
#if defined(__linux__)
    if (area != nullptr) {
        // Only advice: a system without huge pages to spare keeps small ones.
        madvise(area, rounded, MADV_HUGEPAGE);
    }
#endif
    return area;
}

void freeLarge(void* area) {
    std::free(area);
}

} // namespace kzo

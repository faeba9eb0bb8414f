#include "format/large_memory.h"

#include "format/system_calls.h"

#include <cstdlib>
#include <limits>

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
    if (area != nullptr) {
        sys::adviseHugePages(area, rounded);
    }
    return area;
}

void freeLarge(void* area) {
    std::free(area);
}

} // namespace kzo

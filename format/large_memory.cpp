#include "format/large_memory.h"

#include "format/system_calls.h"

#include <cstdint>
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

void adviseLarge(const void* area, std::size_t size) {
    constexpr std::uintptr_t kPage = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    if (area == nullptr || size < kHugePage || start > UINTPTR_MAX - size) {
        return;
    }
    const std::uintptr_t first = (start + kPage - 1) / kPage * kPage;
    const std::uintptr_t end = (start + size) / kPage * kPage;
    if (end > first) {
        sys::adviseHugePages(reinterpret_cast<void*>(first), end - first);
    }
}

} // namespace kzo

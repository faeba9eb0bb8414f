// Memory for large arrays that are written once and read often, such as a
// viewer mesh of a million triangles. Where the system offers it, such a block
// is backed by huge pages: its first touch then costs one page fault per 2 MiB
// instead of one per 4 KiB, which on virtual machines is most of the time a
// large load takes.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace kzo {

// size bytes aligned for any scalar type, or nullptr when the system refuses.
void* allocateLarge(std::size_t size);

// Releases an area from allocateLarge; nullptr is ignored.
void freeLarge(void* area);

// Asks for huge pages behind memory taken elsewhere (a large vector's buffer
// just reserved, not yet written): the whole pages inside the area. Areas
// below one huge page are left alone.
void adviseLarge(const void* area, std::size_t size);

// Room for count elements in a vector about to be filled, behind huge pages
// where the system has them: what a first fill then costs is one page fault
// per 2 MiB.
template <class T>
void reserveLarge(std::vector<T>& v, std::size_t count) {
    if (count > v.capacity()) {
        v.reserve(count);
        adviseLarge(v.data(), v.capacity() * sizeof(T));
    }
}

struct FreeLarge {
    void operator()(void* area) const { freeLarge(area); }
};

template <class T>
using LargeArray = std::unique_ptr<T[], FreeLarge>;

// count uninitialised objects of a trivial T; throws std::bad_alloc when refused.
template <class T>
LargeArray<T> makeLargeArray(std::size_t count) {
    static_assert(std::is_trivial_v<T>);
    void* area = count <= std::numeric_limits<std::size_t>::max() / sizeof(T)
                     ? allocateLarge(count * sizeof(T))
                     : nullptr;
    if (area == nullptr) {
        throw std::bad_alloc();
    }
    return LargeArray<T>(static_cast<T*>(area));
}

} // namespace kzo

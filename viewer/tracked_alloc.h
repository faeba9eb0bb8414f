// Tracked allocation: every block of mesh memory comes from one arena and is
// released with it, at once, when the viewer ends or a load fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>

namespace kzoview {

struct TrackedBlock;

// Bump allocator over a list of heap blocks, newest first. Areas are never
// released one by one; freeAllTracked (or the destructor) gives every block back.
struct TrackedArena {
    TrackedArena() = default;
    TrackedArena(const TrackedArena&) = delete;
    TrackedArena& operator=(const TrackedArena&) = delete;
    TrackedArena(TrackedArena&& other) noexcept;
    TrackedArena& operator=(TrackedArena&& other) noexcept;
    ~TrackedArena();

    TrackedBlock* head = nullptr; // newest block
    std::byte* cursor = nullptr;  // free space of the block being filled
    std::size_t left = 0;
    std::size_t nextBlockSize = 0;
    std::size_t bytesHeld = 0; // taken from the heap, headers included
    // The heap is treated as refusing any block that would take bytesHeld past
    // this; lets tests reach the out-of-memory path.
    std::size_t byteLimit = std::numeric_limits<std::size_t>::max();
};

// Returns size bytes aligned for any scalar type, valid until freeAllTracked.
// Throws FatalError "memory allocation error!!" when the heap refuses.
void* trackedAlloc(TrackedArena& arena, std::size_t size);

// Releases every block; the arena is empty and usable again afterwards.
void freeAllTracked(TrackedArena& arena);

// Room for count objects of a trivially copyable and destructible T, left as
// the heap gave it: for arrays the caller fills before reading. Pages of a
// large block that are never written are never touched.
template <class T>
T* trackedBuffer(TrackedArena& arena, std::size_t count) {
    static_assert(std::is_trivially_destructible_v<T>, "the arena never runs destructors");
    static_assert(std::is_trivially_copyable_v<T>);
    static_assert(alignof(T) <= alignof(std::max_align_t));
    if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) {
        trackedAlloc(arena, std::numeric_limits<std::size_t>::max()); // refused: throws
    }
    return static_cast<T*>(trackedAlloc(arena, count * sizeof(T)));
}

// count value-initialised objects of a trivially destructible T.
template <class T>
T* trackedArray(TrackedArena& arena, std::size_t count) {
    T* items = trackedBuffer<T>(arena, count);
    std::uninitialized_value_construct_n(items, count);
    return items;
}

} // namespace kzoview

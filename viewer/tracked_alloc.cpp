#include "viewer/tracked_alloc.h"

#include "format/large_memory.h"
#include "viewer/viewer_error.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace kzoview {

struct alignas(std::max_align_t) TrackedBlock {
    TrackedBlock* next;
    std::size_t size; // bytes after the header
};

namespace {

constexpr std::size_t kAlign = alignof(std::max_align_t);
constexpr std::size_t kFirstBlockSize = std::size_t{16} << 10;
constexpr std::size_t kLargestSharedBlock = std::size_t{1} << 20;

[[noreturn]] void refuse() {
    fatalError("memory allocation error!!");
}

std::byte* areaOf(TrackedBlock* block) {
    return reinterpret_cast<std::byte*>(block + 1);
}

std::byte* newBlock(TrackedArena& arena, std::size_t size) {
    if (size > std::numeric_limits<std::size_t>::max() - sizeof(TrackedBlock)) {
        refuse();
    }
    const std::size_t total = size + sizeof(TrackedBlock);
    if (arena.bytesHeld > arena.byteLimit || total > arena.byteLimit - arena.bytesHeld) {
        refuse();
    }
    auto* block = static_cast<TrackedBlock*>(kzo::allocateLarge(total));
    if (block == nullptr) {
        refuse();
    }
    block->next = arena.head;
    block->size = size;
    arena.head = block;
    arena.bytesHeld += total;
    return areaOf(block);
}

} // namespace

TrackedArena::TrackedArena(TrackedArena&& other) noexcept
    : head(std::exchange(other.head, nullptr)), cursor(std::exchange(other.cursor, nullptr)),
      left(std::exchange(other.left, 0)), nextBlockSize(std::exchange(other.nextBlockSize, 0)),
      bytesHeld(std::exchange(other.bytesHeld, 0)), byteLimit(other.byteLimit) {}

TrackedArena& TrackedArena::operator=(TrackedArena&& other) noexcept {
    if (this != &other) {
        freeAllTracked(*this);
        head = std::exchange(other.head, nullptr);
        cursor = std::exchange(other.cursor, nullptr);
        left = std::exchange(other.left, 0);
        nextBlockSize = std::exchange(other.nextBlockSize, 0);
        bytesHeld = std::exchange(other.bytesHeld, 0);
        byteLimit = other.byteLimit;
    }
    return *this;
}

TrackedArena::~TrackedArena() {
    freeAllTracked(*this);
}

void* trackedAlloc(TrackedArena& arena, std::size_t size) {
    if (size > std::numeric_limits<std::size_t>::max() - kAlign) {
        refuse();
    }
    // Zero-byte requests still get a distinct area, as malloc(0) would.
    const std::size_t rounded = size == 0 ? kAlign : (size + kAlign - 1) / kAlign * kAlign;
    if (rounded <= arena.left) {
        std::byte* area = arena.cursor;
        arena.cursor += rounded;
        arena.left -= rounded;
        return area;
    }
    if (arena.nextBlockSize == 0) {
        arena.nextBlockSize = kFirstBlockSize;
    }
    // Large arrays get a block of their own, so the shared block keeps its space.
    if (rounded > arena.nextBlockSize / 2) {
        return newBlock(arena, rounded);
    }
    std::byte* area = newBlock(arena, arena.nextBlockSize);
    arena.cursor = area + rounded;
    arena.left = arena.nextBlockSize - rounded;
    arena.nextBlockSize = std::min(arena.nextBlockSize * 2, kLargestSharedBlock);
    return area;
}

void freeAllTracked(TrackedArena& arena) {
    while (arena.head != nullptr) {
        TrackedBlock* next = arena.head->next;
        kzo::freeLarge(arena.head);
        arena.head = next;
    }
    arena.cursor = nullptr;
    arena.left = 0;
    arena.nextBlockSize = 0;
    arena.bytesHeld = 0;
}

} // namespace kzoview

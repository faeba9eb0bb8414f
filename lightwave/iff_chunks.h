// The IFF chunk walk of the LightWave object readers (big-endian throughout).
//
// A chunk is opened by checking its header against the bytes its parent has
// left; its own bytes are then a bounded reader of their own, so a handler can
// never read into a sibling, and the parent resumes behind the chunk (and its
// pad byte) whatever the handler consumed. Top-level chunks have 32-bit sizes,
// the subchunks inside SURF, CLIP and BLOK 16-bit ones.
#pragma once

#include "format/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kzo {

struct IffChunk {
    std::uint32_t id = 0;
    std::size_t offset = 0;     // of its id, from the start of the file
    std::size_t headerSize = 0; // 8 for a chunk, 6 for a subchunk
    bool subchunk = false;
    ByteReader data; // everything behind the header
    std::size_t dataOffset() const { return offset + headerSize; }
    // File offset of the next byte the handler reads.
    std::size_t at() const { return dataOffset() + data.position(); }
};

// Throws LwoError with the formatted text.
[[noreturn]] void lwoFault(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "chunk 'PNTS' at byte 12", "subchunk 'COLR' at byte 40", for messages.
std::string chunkName(const IffChunk& chunk);

// Checks the "FORM" header and its length against the file, reads the form
// type, and hands out the rest of the form as the parent of its chunks (its
// id is the form type).
IffChunk openForm(std::span<const std::uint8_t> file);

// Opens the next chunk (32-bit size) or subchunk (16-bit size) inside parent
// and moves parent's data behind it and its pad byte.
IffChunk openChunk(IffChunk& parent);
IffChunk openSubchunk(IffChunk& parent);

// Runs handle(chunk) and reports a read past the chunk's end as a fault.
template <class Handle>
void handleChunk(IffChunk& chunk, Handle&& handle) {
    try {
        handle(chunk);
    } catch (const OutOfData& e) {
        lwoFault("%s ends inside its data at byte %zu", chunkName(chunk).c_str(),
                 chunk.dataOffset() + e.offset);
    }
}

// Calls visit(child) for every chunk, or subchunk, from parent's current
// position to its end. Each pass consumes at least the child's header, so the
// loop ends however the bytes are laid out.
template <class Visit>
void forEachChunk(IffChunk& parent, Visit&& visit) {
    while (!parent.data.atEnd()) {
        IffChunk child = openChunk(parent);
        handleChunk(child, visit);
    }
}
template <class Visit>
void forEachSubchunk(IffChunk& parent, Visit&& visit) {
    while (!parent.data.atEnd()) {
        IffChunk child = openSubchunk(parent);
        handleChunk(child, visit);
    }
}

std::uint32_t readId(ByteReader& in);

// LWO2's variable-length index: two bytes, or four when the first is 0xFF
// (then the low 24 bits count).
std::uint32_t readIndex(ByteReader& in);

// A NUL-terminated string padded to an even length; a missing NUL before the
// chunk's end is a fault, a missing pad byte at its very end is not.
std::string readString(IffChunk& chunk);

} // namespace kzo

// The converter's walk over the chunks of a 3DS file, shared by its handlers.
//
// Every chunk is opened against the bytes its parent holds (the header rules
// and ids are format/chunks_3ds.h); the chunk's own bytes are then a bounded
// reader of their own, so a handler can never read into a sibling and its
// parent resumes behind the chunk whatever the handler consumed.
#pragma once

#include "converter/import/weld_vertex.h"
#include "format/byte_reader.h"
#include "format/chunks_3ds.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kzo {

struct SceneModel;

struct Reader3ds {
    SceneModel& model;
    const std::string& path;
    VertexWelder welder;
    // The pivot that the vertices read belong to: the scene object being
    // loaded, 0 for a plain 3DS file.
    std::uint8_t pivotIndex = 0;
};

struct Chunk3ds {
    std::uint16_t id = 0;
    std::size_t offset = 0; // of its id, from the start of the file
    ByteReader data;        // everything behind the 6-byte header
    std::size_t dataOffset() const { return offset + chunk3ds::kHeaderSize; }
};

// "ERROR: '<path>' is damaged: <fault>", then FatalErrorSignal.
[[noreturn]] void reportDamage(const Reader3ds& reader, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Opens the chunk at the start of the file (its id is known to be there).
Chunk3ds openFileChunk(const Reader3ds& reader, std::span<const std::uint8_t> file);

// Runs handle(chunk) and reports a read past the chunk's end as damage.
template <class Handle>
void handleChunk(const Reader3ds& reader, Chunk3ds& chunk, Handle&& handle) {
    try {
        handle(chunk);
    } catch (const OutOfData& e) {
        reportDamage(reader, "chunk 0x%04X at byte %zu ends inside its data at byte %zu",
                     unsigned(chunk.id), chunk.offset, chunk.dataOffset() + e.offset);
    }
}

// The refusal of a child header of parent (nullptr: of the file), as damage.
[[noreturn]] void refuseChunk(const Reader3ds& reader, const Chunk3ds* parent,
                              chunk3ds::Fault fault, const chunk3ds::Header& header);

// Calls visit(child) for every chunk from parent's current position to its end.
template <class Visit>
void forEachChild(const Reader3ds& reader, Chunk3ds& parent, Visit&& visit) {
    chunk3ds::walkChunks(
        parent.data, parent.data.size(),
        [&](const chunk3ds::Header& header) {
            Chunk3ds child;
            child.id = header.id;
            child.offset = parent.dataOffset() + header.start;
            child.data = ByteReader(parent.data.view(header.length - chunk3ds::kHeaderSize));
            handleChunk(reader, child, visit);
        },
        [&](chunk3ds::Fault fault, const chunk3ds::Header& header) {
            refuseChunk(reader, &parent, fault, header);
        });
}

// Reads a NUL-terminated name of at most 256 bytes from chunk's data.
std::string readName(const Reader3ds& reader, Chunk3ds& chunk);

// Material entries (0xAFFF) and named objects (0x4000) of the editor chunk.
void readMaterialEntry(const Reader3ds& reader, Chunk3ds& entry);
void readNamedObject(const Reader3ds& reader, Chunk3ds& object);

} // namespace kzo

// The chunk walk shared by the 3DS reader's handlers.
//
// Every chunk is opened through openChunk, which checks its header and length
// against the bytes its parent holds; the chunk's own bytes are then a bounded
// reader of their own, so a handler can never read into a sibling and its
// parent resumes behind the chunk whatever the handler consumed.
#pragma once

#include "converter/import/weld_vertex.h"
#include "format/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kzo {

struct SceneModel;

namespace chunk3ds {

inline constexpr std::uint16_t kMain = 0x4D4D;
inline constexpr std::uint16_t kEditor = 0x3D3D;
inline constexpr std::uint16_t kMaterialEntry = 0xAFFF;
inline constexpr std::uint16_t kMaterialName = 0xA000;
inline constexpr std::uint16_t kDiffuseColour = 0xA020;
inline constexpr std::uint16_t kColourFloats = 0x0010;
inline constexpr std::uint16_t kColourBytes = 0x0011;
inline constexpr std::uint16_t kTransparency = 0xA050;
inline constexpr std::uint16_t kPercentInt = 0x0030;
inline constexpr std::uint16_t kPercentFloat = 0x0031;
inline constexpr std::uint16_t kTextureMap = 0xA200;
inline constexpr std::uint16_t kMapFileName = 0xA300;
inline constexpr std::uint16_t kNamedObject = 0x4000;
inline constexpr std::uint16_t kTriangleMesh = 0x4100;
inline constexpr std::uint16_t kVertexList = 0x4110;
inline constexpr std::uint16_t kFaceList = 0x4120;
inline constexpr std::uint16_t kFaceMaterialList = 0x4130;
inline constexpr std::uint16_t kMappingCoords = 0x4140;

inline constexpr std::size_t kHeaderSize = 6;
// A name takes at most this many bytes of the file, its NUL included.
inline constexpr std::size_t kMaxNameBytes = 256;

} // namespace chunk3ds

struct Reader3ds {
    SceneModel& model;
    const std::string& path;
    VertexWelder welder;
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

// Opens the next chunk inside parent and moves parent's data behind it.
Chunk3ds openChildChunk(const Reader3ds& reader, Chunk3ds& parent);

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

// Calls visit(child) for every chunk from parent's current position to its end.
// Each pass consumes the child's whole length, at least 6 bytes, so the loop
// ends however the bytes are laid out.
template <class Visit>
void forEachChild(const Reader3ds& reader, Chunk3ds& parent, Visit&& visit) {
    while (!parent.data.atEnd()) {
        Chunk3ds child = openChildChunk(reader, parent);
        handleChunk(reader, child, visit);
    }
}

// Reads a NUL-terminated name of at most 256 bytes from chunk's data.
std::string readName(const Reader3ds& reader, Chunk3ds& chunk);

// Material entries (0xAFFF) and named objects (0x4000) of the editor chunk.
void readMaterialEntry(const Reader3ds& reader, Chunk3ds& entry);
void readNamedObject(const Reader3ds& reader, Chunk3ds& object);

} // namespace kzo

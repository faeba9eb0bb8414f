#include "converter/import/chunks_3ds.h"

#include "converter/model/scene_model.h"

#include <cstdarg>
#include <cstdio>

namespace kzo {

void reportDamage(const Reader3ds& reader, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    char fault[512];
    std::vsnprintf(fault, sizeof fault, format, args);
    va_end(args);
    fatalError(reader.model.sink, "'%s' is damaged: %s", reader.path.c_str(), fault);
}

namespace {

// What within belongs to, for errors: the file, or the parent chunk.
std::string containerName(const Chunk3ds* parent) {
    if (!parent) {
        return "the file";
    }
    char text[64];
    std::snprintf(text, sizeof text, "chunk 0x%04X at byte %zu", unsigned(parent->id),
                  parent->offset);
    return text;
}

// Checks the header at within's position (offset `at` in the file) and hands
// out the chunk's bytes.
Chunk3ds openChunk(const Reader3ds& reader, ByteReader& within, std::size_t at,
                   const Chunk3ds* parent) {
    if (!within.has(chunk3ds::kHeaderSize)) {
        reportDamage(reader, "chunk header at byte %zu runs past the end of %s", at,
                     containerName(parent).c_str());
    }
    Chunk3ds chunk;
    chunk.id = within.u16le();
    chunk.offset = at;
    const std::uint32_t length = within.u32le();
    if (length < chunk3ds::kHeaderSize) {
        reportDamage(reader, "chunk 0x%04X at byte %zu has length %u, less than its header",
                     unsigned(chunk.id), at, unsigned(length));
    }
    const std::size_t dataSize = length - chunk3ds::kHeaderSize;
    if (!within.has(dataSize)) {
        reportDamage(reader, "chunk 0x%04X at byte %zu runs past the end of %s", unsigned(chunk.id),
                     at, containerName(parent).c_str());
    }
    chunk.data = ByteReader(within.view(dataSize));
    return chunk;
}

} // namespace

Chunk3ds openFileChunk(const Reader3ds& reader, std::span<const std::uint8_t> file) {
    ByteReader whole(file);
    return openChunk(reader, whole, 0, nullptr);
}

Chunk3ds openChildChunk(const Reader3ds& reader, Chunk3ds& parent) {
    return openChunk(reader, parent.data, parent.dataOffset() + parent.data.position(), &parent);
}

std::string readName(const Reader3ds& reader, Chunk3ds& chunk) {
    const std::size_t at = chunk.dataOffset() + chunk.data.position();
    bool terminated = false;
    std::string name = chunk.data.cString(chunk3ds::kMaxNameBytes, &terminated);
    if (!terminated) {
        reportDamage(reader, "name at byte %zu has no terminating NUL within %zu bytes", at,
                     chunk3ds::kMaxNameBytes);
    }
    return name;
}

} // namespace kzo

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

// What a chunk belongs to, for errors: the file, or the parent chunk.
std::string containerName(const Chunk3ds* parent) {
    if (!parent) {
        return "the file";
    }
    char text[64];
    std::snprintf(text, sizeof text, "chunk 0x%04X at byte %zu", unsigned(parent->id),
                  parent->offset);
    return text;
}

} // namespace

void refuseChunk(const Reader3ds& reader, const Chunk3ds* parent, chunk3ds::Fault fault,
                 const chunk3ds::Header& header) {
    const std::size_t at = (parent ? parent->dataOffset() : 0) + header.start;
    switch (fault) {
    case chunk3ds::Fault::shortLength:
        reportDamage(reader, "chunk 0x%04X at byte %zu has length %u, less than its header",
                     unsigned(header.id), at, unsigned(header.length));
    case chunk3ds::Fault::pastEnd:
        reportDamage(reader, "chunk 0x%04X at byte %zu runs past the end of %s",
                     unsigned(header.id), at, containerName(parent).c_str());
    default:
        reportDamage(reader, "chunk header at byte %zu runs past the end of %s", at,
                     containerName(parent).c_str());
    }
}

Chunk3ds openFileChunk(const Reader3ds& reader, std::span<const std::uint8_t> file) {
    ByteReader whole(file);
    chunk3ds::Header header;
    const chunk3ds::Fault fault = chunk3ds::readHeader(whole, whole.size(), header);
    if (fault != chunk3ds::Fault::none) {
        refuseChunk(reader, nullptr, fault, header);
    }
    Chunk3ds chunk;
    chunk.id = header.id;
    chunk.offset = header.start;
    chunk.data = ByteReader(whole.view(header.length - chunk3ds::kHeaderSize));
    return chunk;
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

#include "lightwave/iff_chunks.h"

#include "lightwave/lwo_object.h"

#include <cstdarg>
#include <cstdio>

namespace kzo {

void lwoFault(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    char fault[512];
    std::vsnprintf(fault, sizeof fault, format, args);
    va_end(args);
    throw LwoError(fault);
}

std::string iffIdText(std::uint32_t id) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(id >> shift);
        text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string chunkName(const IffChunk& chunk) {
    return std::string(chunk.subchunk ? "subchunk '" : "chunk '") + iffIdText(chunk.id) +
           "' at byte " + std::to_string(chunk.offset);
}

std::uint32_t readId(ByteReader& in) {
    return in.u32be();
}

namespace {

constexpr std::size_t kFormHeaderSize = 8; // "FORM" and its length

std::string containerName(const IffChunk& parent) {
    return parent.offset == 0 ? std::string("the form") : chunkName(parent);
}

IffChunk openChild(IffChunk& parent, bool subchunk) {
    const std::size_t at = parent.at();
    const std::size_t headerSize = subchunk ? 6 : 8;
    if (!parent.data.has(headerSize)) {
        lwoFault("%s header at byte %zu runs past the end of %s", subchunk ? "subchunk" : "chunk",
                 at, containerName(parent).c_str());
    }
    IffChunk chunk;
    chunk.id = readId(parent.data);
    chunk.offset = at;
    chunk.headerSize = headerSize;
    chunk.subchunk = subchunk;
    const std::size_t size = subchunk ? parent.data.u16be() : parent.data.u32be();
    if (!parent.data.has(size)) {
        lwoFault("%s runs past the end of %s", chunkName(chunk).c_str(),
                 containerName(parent).c_str());
    }
    chunk.data = ByteReader(parent.data.view(size));
    // Odd sizes are followed by a pad byte that the size does not count; a
    // writer may leave it out at the very end of the parent.
    if (size % 2 != 0 && parent.data.has(1)) {
        parent.data.skip(1);
    }
    return chunk;
}

} // namespace

IffChunk openForm(std::span<const std::uint8_t> file) {
    ByteReader in(file);
    if (!in.has(kFormHeaderSize) || readId(in) != iffId("FORM")) {
        lwoFault("not an IFF file: it does not start with FORM and its length");
    }
    const std::uint32_t length = in.u32be();
    if (!in.has(length)) {
        lwoFault("form length %u runs past the end of the file (%zu bytes)", unsigned(length),
                 file.size());
    }
    if (length < 4) {
        lwoFault("form length %u leaves no room for the form type", unsigned(length));
    }
    IffChunk form;
    form.id = readId(in);
    form.offset = 0;
    form.headerSize = kFormHeaderSize + 4;
    form.data = ByteReader(in.view(length - 4));
    return form;
}

IffChunk openChunk(IffChunk& parent) {
    return openChild(parent, false);
}

IffChunk openSubchunk(IffChunk& parent) {
    return openChild(parent, true);
}

std::uint32_t readIndex(ByteReader& in) {
    const std::uint16_t first = in.u16be();
    if ((first >> 8) != 0xFF) {
        return first;
    }
    const std::uint16_t low = in.u16be();
    return (std::uint32_t(first & 0xFF) << 16) | low;
}

std::string readString(IffChunk& chunk) {
    const std::size_t at = chunk.at();
    bool terminated = false;
    std::string text = chunk.data.cString(chunk.data.remaining(), &terminated);
    if (!terminated) {
        lwoFault("the string at byte %zu in %s has no terminating NUL", at,
                 chunkName(chunk).c_str());
    }
    if (text.size() % 2 == 0 && chunk.data.has(1)) {
        chunk.data.skip(1);
    }
    return text;
}

} // namespace kzo

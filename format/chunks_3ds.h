// The chunks of a 3D Studio file as both 3DS readers (the converter's and the
// viewer's) walk them: what the chunk ids mean, when a chunk header is sound,
// and the walk over a run of sibling chunks. Each reader keeps its own rules
// for what it reads inside a chunk and words its own errors.
//
// A chunk is a 16-bit id, a 32-bit length that counts the 6-byte header too,
// and its data, which may hold further chunks. Little-endian throughout.
#pragma once

#include "byte_reader.h"

#include <cstddef>
#include <cstdint>

namespace kzo::chunk3ds {

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
// A name (object, material, map file) takes at most this many bytes of the
// file, its NUL included.
inline constexpr std::size_t kMaxNameBytes = 256;

struct Header {
    std::uint16_t id = 0;
    std::size_t start = 0; // offset of the id within the reader
    std::uint32_t length = 0;
    std::size_t end() const { return start + length; }
    std::size_t dataStart() const { return start + kHeaderSize; }
};

// Why a header was refused.
enum class Fault {
    none,
    noId,        // fewer than 2 bytes before the end: not even the id
    noLength,    // the id, but not the 4 bytes of the length
    shortLength, // a length below the header's own 6 bytes
    pastEnd,     // the chunk runs past the end it must keep within
};

// Reads the header of the chunk at in's position; the chunk must end by `end`,
// an offset of in no greater than in.size(). On success in stands behind the
// header. Otherwise header holds what could be read (start, then id, then
// length) for the error message, and in's position is unspecified.
Fault readHeader(ByteReader& in, std::size_t end, Header& header);

// Calls visit(header) for every chunk from in's position up to end, with in
// standing behind the chunk's header, and moves in to the chunk's end after
// visit, whatever visit consumed. A header that is not sound goes to
// refuse(fault, header), which is expected to throw; should it return, the
// walk ends there. Every pass moves forward by at least a header, so the walk
// ends however the bytes are laid out.
template <class Visit, class Refuse>
void walkChunks(ByteReader& in, std::size_t end, Visit&& visit, Refuse&& refuse) {
    while (in.position() < end) {
        Header header;
        const Fault fault = readHeader(in, end, header);
        if (fault != Fault::none) {
            refuse(fault, header);
            return;
        }
        visit(header);
        in.seek(header.end());
    }
}

} // namespace kzo::chunk3ds

// The 3DS loader: the vertex and face lists of every triangle mesh of every
// named object, merged into one mesh. Two walks over the same chunks: the first
// counts (and checks every length), the second fills arrays of exactly that size.
#include "viewer/edge_sharing.h"
#include "viewer/file_title.h"
#include "viewer/load_support.h"
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include "format/chunks_3ds.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace kzoview {

namespace {

namespace chunk3ds = kzo::chunk3ds;

constexpr std::string_view kLoader = "Load3DS";
constexpr std::size_t kLongestName = chunk3ds::kMaxNameBytes;

struct Load3ds {
    kzo::ByteReader in;
    const std::string& name;
    ViewerMesh& mesh;
    bool summary = false; // met vertices only as bounds, faces only as checks
    VertexBounds bounds{};
    FacePlacement placement{};
    bool counting = true;
    std::int64_t vertexTotal = 0;
    std::int64_t faceTotal = 0;
    std::int64_t vertexBase = 0;                    // first vertex of the current named object
    std::vector<std::int64_t> objectVertexCounts{}; // per named object, from the counting walk
    std::size_t objectNumber = 0;                   // named objects met so far in this walk
};

[[noreturn]] void fail(const Load3ds& load, const std::string& fault) {
    fatalError(detail::fileMessage(kLoader, load.name, fault));
}

std::string hexId(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", id);
    return text;
}

// A chunk header that chunk3ds::readHeader refused, in this loader's words.
[[noreturn]] void refuseChunk(const Load3ds& load, chunk3ds::Fault fault,
                              const chunk3ds::Header& chunk) {
    const std::string at = " at byte " + std::to_string(chunk.start);
    switch (fault) {
    case chunk3ds::Fault::noId:
        fail(load, "chunk header" + at + " runs past the end of its parent chunk");
    case chunk3ds::Fault::shortLength:
        fail(load, "chunk " + hexId(chunk.id) + at + " has length " + std::to_string(chunk.length) +
                       ", less than its 6-byte header");
    default:
        fail(load, "chunk " + hexId(chunk.id) + at + " runs past the end of its parent chunk");
    }
}

// The list's 16-bit count, checked against the bytes its records need.
std::uint16_t listCount(Load3ds& load, std::size_t chunkStart, std::size_t end,
                        std::size_t recordSize, const char* what) {
    if (end - load.in.position() < 2) {
        fail(load,
             std::string(what) + " list at byte " + std::to_string(chunkStart) + " has no count");
    }
    const std::uint16_t count = load.in.u16le();
    if (std::size_t(count) * recordSize > end - load.in.position()) {
        fail(load, std::string(what) + " list at byte " + std::to_string(chunkStart) +
                       " announces " + std::to_string(count) + " records but holds only " +
                       std::to_string((end - load.in.position()) / recordSize));
    }
    return count;
}

void readVertexList(Load3ds& load, std::size_t chunkStart, std::size_t end) {
    const std::uint16_t count = listCount(load, chunkStart, end, 12, "vertex");
    if (load.counting) {
        load.vertexTotal += count;
        load.objectVertexCounts.back() += count;
        return;
    }
    // The whole list at once: the count was checked against the chunk.
    const std::uint8_t* record = load.in.view(std::size_t(count) * 12).data();
    if (load.summary) {
        for (std::uint16_t i = 0; i < count; ++i, record += 12) {
            addVertex(load.bounds, kzo::loadF32le(record), kzo::loadF32le(record + 4),
                      kzo::loadF32le(record + 8));
        }
    } else {
        MeshVertex* vertex = load.mesh.vertexArray + load.vertexTotal;
        for (std::uint16_t i = 0; i < count; ++i, record += 12) {
            vertex[i] = MeshVertex{kzo::loadF32le(record), kzo::loadF32le(record + 4),
                                   kzo::loadF32le(record + 8)};
        }
    }
    load.vertexTotal += count;
}

[[noreturn]] void failVertexNumber(const Load3ds& load, std::uint16_t index,
                                   std::int64_t faceNumber, std::int64_t objectVertices) {
    fail(load, "face " + std::to_string(faceNumber) + " uses vertex " + std::to_string(index) +
                   " of an object with " + std::to_string(objectVertices) + " vertices");
}

void readFaceList(Load3ds& load, std::size_t chunkStart, std::size_t end) {
    const std::uint16_t count = listCount(load, chunkStart, end, 8, "face");
    if (load.counting) {
        load.faceTotal += count;
        return;
    }
    // Records of three 16-bit vertex numbers and 16 bits of flags.
    const std::uint8_t* const records = load.in.view(std::size_t(count) * 8).data();
    const std::int64_t objectVertices = load.objectVertexCounts[load.objectNumber - 1];
    const auto base = static_cast<std::uint32_t>(load.vertexBase);
    std::uint32_t highest = 0;
    const std::uint8_t* record = records;
    if (load.summary) {
        for (std::uint16_t i = 0; i < count; ++i, record += 8) {
            highest = std::max({highest, std::uint32_t(kzo::loadU16le(record)),
                                std::uint32_t(kzo::loadU16le(record + 2)),
                                std::uint32_t(kzo::loadU16le(record + 4))});
        }
    } else {
        // Reversed, so corners that 3DS lists counter-clockwise from outside run
        // counter-clockwise on screen, which the view draws as facing it.
        const auto first = static_cast<std::int32_t>(load.faceTotal);
        std::uint32_t* corners = addFaces(load.mesh, load.placement, first, count, 3);
        for (std::uint16_t i = 0; i < count; ++i, record += 8, corners += 3) {
            const std::uint32_t i0 = kzo::loadU16le(record);
            const std::uint32_t i1 = kzo::loadU16le(record + 2);
            const std::uint32_t i2 = kzo::loadU16le(record + 4);
            highest = std::max({highest, i0, i1, i2});
            corners[0] = base + i2;
            corners[1] = base + i1;
            corners[2] = base + i0;
        }
    }
    if (highest >= objectVertices) {
        // The first face at fault, and its first corner at fault in the
        // reversed order.
        for (std::uint16_t i = 0; i < count; ++i) {
            for (const int at : {4, 2, 0}) {
                const std::uint16_t index = kzo::loadU16le(records + 8 * i + at);
                if (index >= objectVertices) {
                    failVertexNumber(load, index, load.faceTotal + i, objectVertices);
                }
            }
        }
    }
    load.faceTotal += count;
}

void skipObjectName(Load3ds& load, std::size_t end) {
    const std::size_t nameStart = load.in.position();
    for (std::size_t i = 0; i < kLongestName; ++i) {
        if (load.in.position() >= end) {
            fail(load, "object name at byte " + std::to_string(nameStart) +
                           " runs past the end of its chunk");
        }
        if (load.in.u8() == 0) {
            return;
        }
    }
    fail(load, "object name at byte " + std::to_string(nameStart) +
                   " has no terminating NUL within 256 bytes");
}

bool handles(std::uint16_t parent, std::uint16_t child) {
    switch (parent) {
    case chunk3ds::kMain:
        return child == chunk3ds::kEditor;
    case chunk3ds::kEditor:
        return child == chunk3ds::kNamedObject;
    case chunk3ds::kNamedObject:
        return child == chunk3ds::kTriangleMesh;
    case chunk3ds::kTriangleMesh:
        return child == chunk3ds::kVertexList || child == chunk3ds::kFaceList;
    default:
        return false;
    }
}

// Walks a chunk whose header has been read. Nesting is at most four deep
// (main, editor, object, mesh), and every step moves forward by a checked length.
void walkChunk(Load3ds& load, const chunk3ds::Header& chunk) {
    const std::size_t end = chunk.end();
    if (chunk.id == chunk3ds::kVertexList) {
        readVertexList(load, chunk.start, end);
    } else if (chunk.id == chunk3ds::kFaceList) {
        readFaceList(load, chunk.start, end);
    } else {
        if (chunk.id == chunk3ds::kNamedObject) {
            load.vertexBase = load.vertexTotal;
            if (load.counting) {
                load.objectVertexCounts.push_back(0);
            }
            ++load.objectNumber;
            skipObjectName(load, end);
        }
        chunk3ds::walkChunks(
            load.in, end,
            [&](const chunk3ds::Header& child) {
                if (handles(chunk.id, child.id)) {
                    walkChunk(load, child);
                }
            },
            [&](chunk3ds::Fault fault, const chunk3ds::Header& child) {
                refuseChunk(load, fault, child);
            });
    }
    load.in.seek(end);
}

void walkFile(Load3ds& load, bool counting) {
    load.counting = counting;
    load.vertexTotal = 0;
    load.faceTotal = 0;
    load.vertexBase = 0;
    load.objectNumber = 0;
    load.in.seek(0);
    chunk3ds::Header main;
    const chunk3ds::Fault fault = chunk3ds::readHeader(load.in, load.in.size(), main);
    if (fault != chunk3ds::Fault::none) {
        refuseChunk(load, fault, main);
    }
    walkChunk(load, main);
}

// Parses the file into doc.mesh (a whole load) or its bounds (a summary).
detail::ParsedObject parse3ds(std::span<const std::uint8_t> bytes, const std::string& name,
                              ViewerDocument& doc, LoadScope scope) {
    Load3ds load{kzo::ByteReader(bytes), name, doc.mesh};
    load.summary = scope == LoadScope::summary;
    if (bytes.size() < 2 || load.in.u16le() != chunk3ds::kMain) {
        fatalError("Load3DS: 3ds 파일이 아닌가 봅니다.\n");
    }
    walkFile(load, true);
    if (load.vertexTotal == 0) {
        fatalError("Object vertex count or face count is zero !!!");
    }
    // Every vertex takes 12 bytes of the file, every face 8: both counts
    // fit 32 bits.
    ViewerMesh& mesh = doc.mesh;
    const auto vertexCount = std::size_t(load.vertexTotal);
    const auto faceCount = std::size_t(load.faceTotal);
    if (!load.summary) {
        mesh.vertexArray = trackedBuffer<MeshVertex>(mesh.arena, vertexCount);
        load.placement = startFaces(mesh, faceCount, 3 * faceCount);
    }
    mesh.vertexCount = static_cast<std::int32_t>(vertexCount);
    mesh.faceCount = static_cast<std::int32_t>(faceCount);
    walkFile(load, false);

    detail::ParsedObject parsed{std::string(FileTitle(name)), scope, load.bounds};
    parsed.caption += " " + std::to_string(mesh.faceCount) + " faces " +
                      std::to_string(mesh.vertexCount) + " vertices";
    return parsed;
}

} // namespace

void Load3DSBytes(std::span<const std::uint8_t> bytes, const std::string& name, ViewerDocument& doc,
                  LoadScope scope) {
    detail::runLoad(doc, kLoader, name, [&] {
        detail::finishParsed(doc, kLoader, name, parse3ds(bytes, name, doc, scope));
    });
}

void Load3DS(const std::string& name, ViewerDocument& doc, LoadScope scope) {
    detail::loadFile(doc, kLoader, name, [&](std::span<const std::uint8_t> bytes) {
        return parse3ds(bytes, name, doc, scope);
    });
}

} // namespace kzoview

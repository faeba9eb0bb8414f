// The LightWave object loader: an IFF "FORM" of type "LWOB", from which the
// first "PNTS" chunk and the first "POLS" chunk after it are read; or of type
// "LWO2" (or the layered "LWLO"), whose layers' points and polygons all go
// into the mesh.
#include "lightwave/read_lwo.h"
#include "viewer/edge_sharing.h"
#include "viewer/file_title.h"
#include "viewer/load_support.h"
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include <cstring>

namespace kzoview {

namespace {

constexpr std::string_view kLoader = "LoadLWO";
constexpr std::size_t kFormHeaderSize = 8; // "FORM" and the form length
constexpr std::size_t kChunkHeaderSize = 8;

struct LwoLoad {
    kzo::ByteReader in;
    const std::string& name;
    ViewerMesh& mesh;
    std::uint64_t end = 0;      // form length: positions count from the byte after the form header
    std::uint64_t position = 0; // next chunk, relative to the form body
    bool havePoints = false;
    bool haveFaces = false;
    bool summary = false; // points met only as bounds, polygons only as checks
    VertexBounds bounds{};
    FacePlacement placement{};
};

[[noreturn]] void fail(const LwoLoad& load, const std::string& fault) {
    fatalError(detail::fileMessage(kLoader, load.name, fault));
}

bool isWord(std::span<const std::uint8_t> bytes, const char* word) {
    return std::memcmp(bytes.data(), word, 4) == 0;
}

std::string printableId(std::span<const std::uint8_t> id) {
    std::string text;
    for (std::uint8_t c : id) {
        text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    return text;
}

// Scans the form body word by word for the form type. A word counts only when
// something follows it inside the form.
void FindLWOB(LwoLoad& load) {
    for (std::uint64_t at = 0; at + 4 < load.end; at += 4) {
        load.in.seek(kFormHeaderSize + at);
        if (isWord(load.in.view(4), "LWOB")) {
            load.position = at + 4;
            return;
        }
    }
    fatalError("LoadLWO: Cannot found LWOB chunk in (" + load.name + ")\n");
}

void readPoints(LwoLoad& load, std::uint32_t length) {
    ViewerMesh& mesh = load.mesh;
    // A chunk holds at most 2^32 - 1 bytes, so the count fits 32 bits signed.
    const std::uint32_t count = length / 12;
    if (!load.summary) {
        mesh.vertexArray = trackedBuffer<MeshVertex>(mesh.arena, count);
    }
    mesh.vertexCount = static_cast<std::int32_t>(count);
    load.havePoints = true;
    for (std::uint32_t i = 0; i < count; ++i) {
        const float x = load.in.f32be();
        const float y = load.in.f32be();
        const float z = load.in.f32be();
        if (load.summary) {
            addVertex(load.bounds, x, y, z);
        } else {
            mesh.vertexArray[i] = MeshVertex{x, y, z};
        }
    }
}

// One polygon record: corner count, indices, surface. A negative surface means
// a 16-bit count of detail polygons follows; they come next in the stream as
// ordinary records, so the walk reads them as further polygons.
struct PolygonRecord {
    std::size_t offset = 0;     // file offset of the record
    std::size_t indexStart = 0; // file offset of its first index
    std::uint16_t cornerCount = 0;
};

PolygonRecord nextPolygon(LwoLoad& load, std::size_t chunkEnd) {
    PolygonRecord record;
    record.offset = load.in.position();
    const auto runsOver = [&](std::size_t bytes) { return bytes > chunkEnd - load.in.position(); };
    if (runsOver(2)) {
        fail(load, "polygon at byte " + std::to_string(record.offset) +
                       " runs past the end of its POLS chunk");
    }
    record.cornerCount = load.in.u16be();
    record.indexStart = load.in.position();
    if (runsOver(std::size_t(record.cornerCount) * 2 + 2)) {
        fail(load, "polygon at byte " + std::to_string(record.offset) +
                       " runs past the end of its POLS chunk");
    }
    load.in.skip(std::size_t(record.cornerCount) * 2);
    if (load.in.i16be() < 0) {
        if (runsOver(2)) {
            fail(load, "detail polygon count at byte " + std::to_string(load.in.position()) +
                           " runs past the end of its POLS chunk");
        }
        load.in.skip(2);
    }
    return record;
}

void readPolygon(LwoLoad& load, const PolygonRecord& record, std::int32_t face) {
    ViewerMesh& mesh = load.mesh;
    const std::uint32_t n = record.cornerCount;
    std::uint32_t* corners = load.summary ? nullptr : addFace(mesh, load.placement, face, n);
    kzo::ByteReader indices = load.in;
    indices.seek(record.indexStart);
    // LightWave lists corners clockwise as seen from the visible side; reversed,
    // they run counter-clockwise on screen, which the view draws as facing it.
    for (std::uint32_t j = 0; j < n; ++j) {
        const std::uint16_t k = indices.u16be();
        if (k >= mesh.vertexCount) {
            fail(load, "polygon at byte " + std::to_string(record.offset) + " uses point " +
                           std::to_string(k) + ", but there are only " +
                           std::to_string(mesh.vertexCount) + " points");
        }
        if (corners != nullptr) {
            corners[n - 1 - j] = k;
        }
    }
}

void readPolygons(LwoLoad& load, std::uint32_t length) {
    const std::size_t start = load.in.position();
    const std::size_t chunkEnd = start + length;

    // Counting pass; it also checks every record against the chunk's end.
    std::int64_t faces = 0;
    std::size_t corners = 0;
    while (load.in.position() < chunkEnd) {
        const std::uint16_t n = nextPolygon(load, chunkEnd).cornerCount;
        if (n >= 3) {
            ++faces;
            corners += n;
        }
    }

    ViewerMesh& mesh = load.mesh;
    if (!load.summary) {
        load.placement = startFaces(mesh, std::size_t(faces), corners);
    }
    mesh.faceCount = static_cast<std::int32_t>(faces);
    load.haveFaces = true;

    load.in.seek(start);
    std::int32_t i = 0;
    while (load.in.position() < chunkEnd) {
        const PolygonRecord record = nextPolygon(load, chunkEnd);
        if (record.cornerCount >= 3) {
            readPolygon(load, record, i);
            ++i;
        }
    }
}

// Handles the chunk whose header has just been read; the reader stands at its data.
void ReadLwoChunk(LwoLoad& load, std::span<const std::uint8_t> id, std::uint32_t length) {
    if (isWord(id, "PNTS")) {
        if (!load.havePoints) {
            readPoints(load, length);
        }
    } else if (isWord(id, "POLS")) {
        if (!load.haveFaces && load.havePoints) {
            readPolygons(load, length);
        }
    }
}

void readChunks(LwoLoad& load) {
    do {
        const std::uint64_t chunkStart = kFormHeaderSize + load.position;
        if (load.end - load.position < kChunkHeaderSize) {
            fail(load, "chunk header at byte " + std::to_string(chunkStart) +
                           " runs past the end of the form");
        }
        load.in.seek(chunkStart);
        const std::span<const std::uint8_t> id = load.in.view(4);
        const std::uint32_t length = load.in.u32be();
        if (length > load.end - load.position - kChunkHeaderSize) {
            fail(load, "chunk '" + printableId(id) + "' at byte " + std::to_string(chunkStart) +
                           " runs past the end of the form");
        }
        load.position += std::uint64_t(length) + kChunkHeaderSize;
        ReadLwoChunk(load, id, length);
    } while (load.position < load.end && !(load.havePoints && load.haveFaces));
}

// Polygons the view draws: faces, and the cages of patches and subdivision
// surfaces; curves, bones and metaballs are no surfaces.
bool isDrawnPolygon(const kzo::LwoPolygon& polygon) {
    return (polygon.type == kzo::kPolygonFace || polygon.type == kzo::kPolygonPatch ||
            polygon.type == kzo::kPolygonSubdivision) &&
           polygon.cornerCount >= 3;
}

// The layered forms through the shared object reader: every layer's points
// one after the other, and its polygons with their point numbers moved on by
// the points of the layers before; the view's own rules stay (polygons of
// three or more corners, corners reversed).
void readLayers(LwoLoad& load, std::span<const std::uint8_t> bytes) {
    kzo::LwoObject object;
    try {
        object = kzo::readLwoObject(bytes);
    } catch (const kzo::LwoError& e) {
        fail(load, e.what());
    }
    std::size_t points = 0;
    std::size_t faces = 0;
    std::size_t corners = 0;
    for (const kzo::LwoLayer& layer : object.layers) {
        points += layer.points.size();
        for (const kzo::LwoPolygon& polygon : layer.polygons) {
            faces += isDrawnPolygon(polygon) ? 1 : 0;
            corners += isDrawnPolygon(polygon) ? polygon.cornerCount : 0;
        }
    }
    constexpr std::size_t kMaxCount = 0x7FFFFFFF;
    if (points > kMaxCount || faces > kMaxCount || corners > 0xFFFFFFFFu) {
        fail(load, "the object holds more points or polygons than a mesh can");
    }
    ViewerMesh& mesh = load.mesh;
    if (!load.summary) {
        mesh.vertexArray = trackedBuffer<MeshVertex>(mesh.arena, points);
        load.placement = startFaces(mesh, faces, corners);
    }
    mesh.vertexCount = static_cast<std::int32_t>(points);
    mesh.faceCount = static_cast<std::int32_t>(faces);
    load.havePoints = load.haveFaces = true;
    std::uint32_t base = 0;
    std::int32_t face = 0;
    for (const kzo::LwoLayer& layer : object.layers) {
        for (std::size_t i = 0; i < layer.points.size(); ++i) {
            const kzo::LwoPoint& p = layer.points[i];
            if (load.summary) {
                addVertex(load.bounds, p.x, p.y, p.z);
            } else {
                mesh.vertexArray[base + i] = MeshVertex{p.x, p.y, p.z};
            }
        }
        for (const kzo::LwoPolygon& polygon : layer.polygons) {
            if (load.summary || !isDrawnPolygon(polygon)) {
                continue;
            }
            const std::uint32_t n = polygon.cornerCount;
            std::uint32_t* faceCorners = addFace(mesh, load.placement, face++, n);
            for (std::uint32_t j = 0; j < n; ++j) {
                faceCorners[n - 1 - j] = base + layer.corners[polygon.firstCorner + j];
            }
        }
        base += static_cast<std::uint32_t>(layer.points.size());
    }
}

bool isLayeredForm(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 12 &&
           (isWord(bytes.subspan(8), "LWO2") || isWord(bytes.subspan(8), "LWLO"));
}

// Parses the file into doc.mesh (a whole load) or its bounds (a summary).
detail::ParsedObject parseLwo(std::span<const std::uint8_t> bytes, const std::string& name,
                              ViewerDocument& doc, LoadScope scope) {
    LwoLoad load{kzo::ByteReader(bytes), name, doc.mesh};
    load.summary = scope == LoadScope::summary;
    if (bytes.size() < 4 || !isWord(bytes, "FORM")) {
        fatalError("LoadLWO: (" + name + ") file is not light wave object file\n");
    }
    load.in.skip(4);
    load.end = load.in.u32be();
    if (load.end > bytes.size() - kFormHeaderSize) {
        fail(load, "form length " + std::to_string(load.end) + " runs past the end of the file (" +
                       std::to_string(bytes.size()) + " bytes)");
    }
    if (isLayeredForm(bytes)) {
        readLayers(load, bytes);
    } else {
        FindLWOB(load);
        readChunks(load);
    }
    if (doc.mesh.vertexCount == 0) {
        fatalError("Object vertex count or face count is zero !!!");
    }
    std::string caption(FileTitle(name));
    caption += " " + std::to_string(doc.mesh.faceCount) + " faces " +
               std::to_string(doc.mesh.vertexCount) + " vertices";
    // A POLS chunk that comes before any PNTS leaves the mesh without faces.
    if (!load.summary && !load.haveFaces) {
        load.placement = startFaces(doc.mesh, 0, 0);
    }
    return {std::move(caption), scope, load.bounds};
}

} // namespace

void LoadLWOBytes(std::span<const std::uint8_t> bytes, const std::string& name, ViewerDocument& doc,
                  LoadScope scope) {
    detail::runLoad(doc, kLoader, name, [&] {
        detail::finishParsed(doc, kLoader, name, parseLwo(bytes, name, doc, scope));
    });
}

void LoadLWO(const std::string& name, ViewerDocument& doc, LoadScope scope) {
    detail::loadFile(doc, kLoader, name, [&](std::span<const std::uint8_t> bytes) {
        return parseLwo(bytes, name, doc, scope);
    });
}

} // namespace kzoview

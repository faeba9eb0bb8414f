#include "converter/encode/kzo_file.h"

#include "converter/model/pivot_hierarchy.h"
#include "converter/model/scale_scene.h"

#include <cmath>
#include <limits>

namespace kzo {
namespace {

void checkCount(const SceneModel& model, const std::string& input, std::int32_t count,
                std::size_t capacity, const char* table) {
    if (count < 0 || static_cast<std::size_t>(count) > capacity) {
        fatalError(model.sink, "'%s': %d %s, the limit is %zu", input.c_str(), count, table,
                   capacity);
    }
}

} // namespace

void checkKzoEncodable(const SceneModel& model, const std::string& input) {
    checkCount(model, input, model.imageCount, model.images.size(), "images");
    checkCount(model, input, model.materialCount, model.materials.size(), "materials");
    checkCount(model, input, model.vertexCount, model.vertices.size(), "vertices");
    checkCount(model, input, model.faceCount, model.faces.size(), "faces");
    checkCount(model, input, model.pivotCount, model.pivots.size(), "pivots");
    for (std::int32_t i = 0; i < model.imageCount; ++i) {
        const std::string& name = model.images[static_cast<std::size_t>(i)].name;
        if (name.size() >= kKzoImageRecordSize) {
            fatalError(model.sink, "'%s': image name '%s' is longer than %zu characters",
                       input.c_str(), name.c_str(), kKzoImageRecordSize - 1);
        }
    }
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        for (std::uint16_t index : model.faces[static_cast<std::size_t>(i)].vertexIndex) {
            if (index >= model.vertexCount) {
                fatalError(model.sink, "'%s': face %d uses vertex %d of %d", input.c_str(), i,
                           index, model.vertexCount);
            }
        }
    }
}

namespace {

bool finite3(const float* v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// After the geometry: every float the file will hold must be a number, or the
// engine would read infinities and NaNs (input NaNs, or a scale that overflows).
void checkFinite(const SceneModel& model, const ConversionSettings& settings,
                 const std::string& input, bool withPivots) {
    const char* fault = nullptr;
    bool scaled = false; // a fault of a value that the scale factor multiplied
    std::int32_t index = 0;
    for (std::int32_t i = 0; i < model.vertexCount && !fault; ++i) {
        const Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        const float p[3] = {v.x, v.y, v.z};
        if (!finite3(p)) {
            fault = "the position of vertex";
            scaled = true;
            index = i;
        } else if (settings.shadingType == kRealtimeGouraud && !finite3(v.normal)) {
            fault = "the normal of vertex";
            index = i;
        }
    }
    for (std::int32_t i = 0; i < model.faceCount && !fault; ++i) {
        const Face& f = model.faces[static_cast<std::size_t>(i)];
        if (!finite3(f.texU) || !finite3(f.texV)) {
            fault = "a texture coordinate of face";
            index = i;
        } else if (settings.shadingType == kRealtimeFlat && !finite3(f.normal)) {
            fault = "the normal of face";
            index = i;
        }
    }
    for (std::int32_t i = 0; withPivots && i < model.pivotCount && !fault; ++i) {
        if (!finite3(model.pivots[static_cast<std::size_t>(i)].pivotPoint)) {
            fault = "the pivot point of pivot";
            scaled = true;
            index = i;
        }
    }
    if (fault) {
        fatalError(model.sink, "'%s': %s %d is not a finite number%s", input.c_str(), fault, index,
                   scaled ? atScale(settings).c_str() : "");
    }
}

KzoHeader headerFor(const SceneModel& model, const ConversionSettings& settings,
                    std::int32_t pivotCount) {
    KzoHeader h;
    h.imageCount = model.imageCount;
    h.materialCount = model.materialCount;
    h.vertexCount = model.vertexCount;
    h.faceCount = model.faceCount;
    h.pivotCount = pivotCount;
    h.shadingType = settings.shadingType;
    return h;
}

void writeImages(ByteWriter& out, const SceneModel& model) {
    for (std::int32_t i = 0; i < model.imageCount; ++i) {
        out.fixedString(model.images[static_cast<std::size_t>(i)].name, kKzoImageRecordSize);
    }
}

// Material k's count is the run of faces with materialIndex k that starts where
// material k-1's run ended; with sorted faces that is exactly its faces.
void writeMaterials(ByteWriter& out, const SceneModel& model) {
    std::int32_t face = 0;
    for (std::int32_t i = 0; i < model.materialCount; ++i) {
        const Material& m = model.materials[static_cast<std::size_t>(i)];
        const std::int32_t runStart = face;
        while (face < model.faceCount &&
               model.faces[static_cast<std::size_t>(face)].materialIndex == i) {
            ++face;
        }
        KzoMaterialRecord record;
        record.red = m.red;
        record.green = m.green;
        record.blue = m.blue;
        record.transparency = m.transparency;
        record.imageIndex = m.imageIndex;
        record.flags = m.flags;
        record.materialFaceCount = face - runStart;
        writeKzoMaterial(out, record);
    }
}

void writeVertices(ByteWriter& out, const SceneModel& model) {
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        const Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        writeKzoVertex(out, {v.x, v.y, v.z});
    }
}

void writeFaces(ByteWriter& out, const SceneModel& model) {
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        const Face& f = model.faces[static_cast<std::size_t>(i)];
        KzoFaceRecord record;
        record.cornerCount = 3;
        // The record has a slot for a quadrilateral's fourth corner; a triangle
        // repeats its third there, so a reader that takes all four slots draws
        // a degenerate quad rather than one reaching to vertex 0.
        for (int k = 0; k < kKzoFaceSlots; ++k) {
            const int corner = k < 3 ? k : 2;
            record.vertexIndex[k] = f.vertexIndex[corner];
            record.u[k] = f.texU[corner];
            record.v[k] = f.texV[corner];
        }
        writeKzoFace(out, record);
    }
}

void writePivots(ByteWriter& out, const SceneModel& model, const std::string& input) {
    const std::vector<std::uint16_t> parents = effectiveParents(model);
    std::int32_t vertex = 0;
    for (std::int32_t i = 0; i < model.pivotCount; ++i) {
        const Pivot& p = model.pivots[static_cast<std::size_t>(i)];
        const std::int32_t runStart = vertex;
        while (vertex < model.vertexCount &&
               model.vertices[static_cast<std::size_t>(vertex)].pivotIndex == i) {
            ++vertex;
        }
        const std::int32_t run = vertex - runStart;
        if (run > std::numeric_limits<std::uint16_t>::max()) {
            fatalError(model.sink, "'%s': pivot %d owns %d vertices, the limit is %d",
                       input.c_str(), i, run, std::numeric_limits<std::uint16_t>::max());
        }
        KzoPivotRecord record;
        for (int k = 0; k < 3; ++k) {
            record.pivotPoint[k] = p.pivotPoint[k];
        }
        record.parent = parents[static_cast<std::size_t>(i)];
        record.pivotVertexCount = static_cast<std::uint16_t>(run);
        writeKzoPivot(out, record);
    }
}

void writeShadingData(ByteWriter& out, const SceneModel& model,
                      const ConversionSettings& settings) {
    const auto faceCount = static_cast<std::size_t>(model.faceCount);
    switch (settings.shadingType) {
    case kRealtimeGouraud:
        for (std::int32_t i = 0; i < model.vertexCount; ++i) {
            for (float c : model.vertices[static_cast<std::size_t>(i)].normal) {
                out.f32le(c);
            }
        }
        break;
    case kRealtimeFlat:
        for (std::size_t i = 0; i < faceCount; ++i) {
            for (float c : model.faces[i].normal) {
                out.f32le(c);
            }
        }
        break;
    case kPrecalcGouraud:
        for (std::size_t i = 0; i < faceCount; ++i) {
            const Face& f = model.faces[i];
            // Four corners per channel, as in the face record: the fourth
            // repeats the third.
            for (const std::uint8_t* channel : {f.colorR, f.colorG, f.colorB}) {
                out.u8(channel[0]);
                out.u8(channel[1]);
                out.u8(channel[2]);
                out.u8(channel[2]);
            }
        }
        break;
    case kPrecalcFlat:
        for (std::size_t i = 0; i < faceCount; ++i) {
            const Face& f = model.faces[i];
            out.u8(f.colorR[0]);
            out.u8(f.colorG[0]);
            out.u8(f.colorB[0]);
            // The fourth byte rounds the record to 32 bits; it repeats blue.
            out.u8(f.colorB[0]);
        }
        break;
    default:
        break;
    }
}

} // namespace

std::vector<std::uint8_t> encodeKzo(const SceneModel& model, const ConversionSettings& settings,
                                    const std::string& path, const std::string& input) {
    const bool withPivots = keepsHierarchy(settings);
    checkFinite(model, settings, input, withPivots);
    const KzoHeader header = headerFor(model, settings, withPivots ? model.pivotCount : 0);
    printMessage(model.sink, "'%s' Writing...", path.c_str());
    printKzoSummary(model.sink, header);

    ByteWriter out;
    out.reserve(static_cast<std::size_t>(kzoExpectedFileSize(header).value_or(0)));
    writeKzoHeader(out, header);
    writeImages(out, model);
    writeMaterials(out, model);
    writeVertices(out, model);
    writeFaces(out, model);
    if (withPivots) {
        writePivots(out, model, input);
    }
    writeShadingData(out, model, settings);
    return out.take();
}

void printKzoSummary(const MessageSink& sink, const KzoHeader& header) {
    printMessage(sink, "============================");
    printMessage(sink, "version: %d.%d", header.version / 16, header.version % 16);
    printMessage(sink, "%d images", header.imageCount);
    printMessage(sink, "%d materials", header.materialCount);
    printMessage(sink, "%d vertices", header.vertexCount);
    printMessage(sink, "%d faces", header.faceCount);
    printMessage(sink, "%d pivots", header.pivotCount);
    if (const char* name = shadingTypeName(header.shadingType)) {
        printMessage(sink, "%s", name);
    }
    printMessage(sink, "============================");
}

} // namespace kzo

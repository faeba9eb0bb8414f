#include "tools/dump_json.h"

#include "tools/json_writer.h"
#include "tools/material_flags.h"

namespace kzo::dump {
namespace {

void begin(JsonWriter& j, const char* kind, std::string_view path, std::size_t fileSize) {
    j.beginObject();
    j.key("file").value(path);
    j.key("kind").value(kind);
    j.key("fileSize").value(fileSize);
}

std::string end(JsonWriter& j, std::size_t trailingBytes) {
    j.key("trailingBytes").value(trailingBytes);
    j.endObject();
    return j.text();
}

void header(JsonWriter& j, const KzoHeader& h) {
    j.key("header").beginObject();
    j.key("version").value(h.version);
    j.key("versionText")
        .value(std::to_string(h.version / 16) + "." + std::to_string(h.version % 16));
    j.key("imageCount").value(h.imageCount);
    j.key("materialCount").value(h.materialCount);
    j.key("vertexCount").value(h.vertexCount);
    j.key("faceCount").value(h.faceCount);
    j.key("pivotCount").value(h.pivotCount);
    j.key("shadingType").value(h.shadingType);
    j.key("shadingName");
    if (const char* name = shadingTypeName(h.shadingType)) {
        j.value(name);
    } else {
        j.null();
    }
    j.endObject();
}

void materials(JsonWriter& j, const KzoDump& d) {
    j.key("materials").beginArray();
    std::int64_t firstFace = 0;
    for (const KzoMaterialRecord& m : d.materials) {
        j.beginObject();
        j.key("red").value(m.red);
        j.key("green").value(m.green);
        j.key("blue").value(m.blue);
        j.key("transparency").value(m.transparency);
        j.key("imageIndex").value(m.imageIndex);
        j.key("flags").value(m.flags);
        j.key("flagNames").beginArray();
        for (const std::string& name : materialFlagNames(m.flags)) {
            j.value(std::string_view(name));
        }
        j.endArray();
        j.key("materialFaceCount").value(m.materialFaceCount);
        j.key("firstFace").value(firstFace);
        j.endObject();
        firstFace += m.materialFaceCount;
    }
    j.endArray();
}

void faces(JsonWriter& j, const KzoDump& d) {
    j.key("faces").beginArray();
    for (const KzoFaceRecord& f : d.faces) {
        j.beginObject();
        j.key("cornerCount").value(f.cornerCount);
        j.key("vertexIndex").array(f.vertexIndex, kKzoFaceSlots);
        j.key("u").array(f.u, kKzoFaceSlots);
        j.key("v").array(f.v, kKzoFaceSlots);
        j.endObject();
    }
    j.endArray();
}

void pivots(JsonWriter& j, const KzoDump& d) {
    j.key("pivots").beginArray();
    std::int64_t firstVertex = 0;
    for (const KzoPivotRecord& p : d.pivots) {
        j.beginObject();
        j.key("pivotPoint").array(p.pivotPoint, 3);
        j.key("parent");
        if (p.parent == kKzoNoParent) {
            j.null();
        } else {
            j.value(p.parent);
        }
        j.key("pivotVertexCount").value(p.pivotVertexCount);
        j.key("firstVertex").value(firstVertex);
        j.endObject();
        firstVertex += p.pivotVertexCount;
    }
    j.endArray();
}

void shading(JsonWriter& j, const KzoDump& d) {
    if (d.header.shadingType == kRealtimeGouraud || d.header.shadingType == kRealtimeFlat) {
        j.key(d.header.shadingType == kRealtimeGouraud ? "vertexNormals" : "faceNormals");
        j.beginArray();
        for (const auto& n : d.normals) {
            j.array(n.data(), 3);
        }
        j.endArray();
    } else if (d.header.shadingType == kPrecalcGouraud) {
        j.key("cornerColors").beginArray();
        for (const CornerColors& c : d.cornerColors) {
            j.beginObject();
            j.key("red").array(c.red, 4);
            j.key("green").array(c.green, 4);
            j.key("blue").array(c.blue, 4);
            j.endObject();
        }
        j.endArray();
    } else if (d.header.shadingType == kPrecalcFlat) {
        j.key("faceColors").beginArray();
        for (const FlatColor& c : d.flatColors) {
            j.beginObject();
            j.key("red").value(c.red);
            j.key("green").value(c.green);
            j.key("blue").value(c.blue);
            j.key("blueAgain").value(c.blueAgain);
            j.endObject();
        }
        j.endArray();
    }
}

void block(JsonWriter& j, const MotionBlockDump& b) {
    j.beginObject();
    j.key("offset").value(b.offset);
    j.key("keys").beginArray();
    for (const MotionKey& k : b.keys) {
        j.beginObject();
        j.key("frame").value(k.frame);
        j.key("position").array(k.position, 3);
        j.key("heading").value(k.heading);
        j.key("pitch").value(k.pitch);
        j.key("bank").value(k.bank);
        j.key("scale").array(k.scale, 3);
        j.endObject();
    }
    j.endArray();
    j.endObject();
}

void camSection(JsonWriter& j, const char* name, const CamSection& s) {
    j.key(name).beginObject();
    j.key("number").value(s.number);
    j.key("block");
    if (s.block) {
        block(j, *s.block);
    } else {
        j.null();
    }
    j.endObject();
}

} // namespace

std::string kzoJson(const KzoDump& d, std::string_view path) {
    JsonWriter j;
    begin(j, "kzo", path, d.fileSize);
    header(j, d.header);
    j.key("images").beginArray();
    for (const KzoImage& image : d.images) {
        j.beginObject();
        j.key("name").value(std::string_view(image.name));
        j.key("terminated").value(image.terminated);
        j.endObject();
    }
    j.endArray();
    materials(j, d);
    j.key("vertices").beginArray();
    for (const KzoVertexRecord& v : d.vertices) {
        const float xyz[3] = {v.x, v.y, v.z};
        j.array(xyz, 3);
    }
    j.endArray();
    faces(j, d);
    pivots(j, d);
    shading(j, d);
    return end(j, d.trailingBytes);
}

std::string motJson(const MotDump& d, std::string_view path) {
    JsonWriter j;
    begin(j, "mot", path, d.fileSize);
    j.key("lastFrame").value(d.lastFrame);
    j.key("motionCount").value(d.motionCount);
    j.key("blocks").beginArray();
    for (const MotionBlockDump& b : d.blocks) {
        block(j, b);
    }
    j.endArray();
    return end(j, d.trailingBytes);
}

std::string camJson(const CamDump& d, std::string_view path) {
    JsonWriter j;
    begin(j, "cam", path, d.fileSize);
    j.key("camera");
    if (d.camera) {
        block(j, *d.camera);
    } else {
        j.null();
    }
    camSection(j, "parent", d.parent);
    camSection(j, "target", d.target);
    j.key("targetPoint");
    if (d.targetPoint) {
        j.array(d.targetPoint->data(), 3);
    } else {
        j.null();
    }
    return end(j, d.trailingBytes);
}

std::string kzlJson(const KzlDump& d, std::string_view path) {
    JsonWriter j;
    begin(j, "kzl", path, d.fileSize);
    j.key("lightCount").value(d.lightCount);
    j.key("lights").beginArray();
    for (const Light& l : d.lights) {
        j.beginObject();
        j.key("type").value(l.type);
        j.key("typeName");
        if (const char* name = lightTypeName(l.type)) {
            j.value(name);
        } else {
            j.null();
        }
        j.key("position").array(l.position, 3);
        j.key("direction").array(l.direction, 3);
        j.key("color").array(l.color, 3);
        j.key("intensity").value(l.intensity);
        j.key("range").value(l.range);
        j.key("coneCos").value(l.coneCos);
        j.key("edgeCos").value(l.edgeCos);
        j.endObject();
    }
    j.endArray();
    return end(j, d.trailingBytes);
}

} // namespace kzo::dump

#include "tools/dump_text.h"

#include "tools/material_flags.h"
#include "tools/number_text.h"

#include <cstdio>

namespace kzo::dump {
namespace {

using std::to_string;

std::string vec3(const float* v) {
    return "(" + floatText(v[0]) + ", " + floatText(v[1]) + ", " + floatText(v[2]) + ")";
}

template <typename T>
std::string list(const T* values, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            s += ' ';
        }
        if constexpr (std::is_floating_point_v<T>) {
            s += floatText(values[i]);
        } else {
            s += to_string(values[i]);
        }
    }
    return s;
}

std::string flagsText(std::uint16_t flags) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", flags);
    std::string s = hex;
    for (const std::string& name : materialFlagNames(flags)) {
        s += " " + name;
    }
    return s;
}

std::string countOf(std::size_t n, const char* one, const char* many) {
    return to_string(n) + " " + (n == 1 ? one : many);
}

std::string trailingNote(std::size_t trailing) {
    if (trailing == 0) {
        return "";
    }
    return countOf(trailing, "byte follows", "bytes follow") + " the last record\n";
}

// Slots a face uses; all four when the corner count is out of range, so that
// nothing stored is hidden.
int usedSlots(std::int32_t cornerCount) {
    return cornerCount >= 0 && cornerCount <= kKzoFaceSlots ? cornerCount : kKzoFaceSlots;
}

void appendHeader(std::string& s, const KzoHeader& h) {
    const char* shading = shadingTypeName(h.shadingType);
    s += "header\n";
    s += "  version " + to_string(h.version / 16) + "." + to_string(h.version % 16) + " (" +
         to_string(h.version) + ")\n";
    s += "  images " + to_string(h.imageCount) + "\n";
    s += "  materials " + to_string(h.materialCount) + "\n";
    s += "  vertices " + to_string(h.vertexCount) + "\n";
    s += "  faces " + to_string(h.faceCount) + "\n";
    s += "  pivots " + to_string(h.pivotCount) + "\n";
    s += "  shading " + to_string(h.shadingType) + " " + (shading ? shading : "unknown") + "\n";
}

void appendMaterials(std::string& s, const KzoDump& d) {
    s += "materials\n";
    std::int64_t firstFace = 0;
    for (std::size_t i = 0; i < d.materials.size(); ++i) {
        const KzoMaterialRecord& m = d.materials[i];
        s += "  " + to_string(i) + " colour " + to_string(m.red) + " " + to_string(m.green) + " " +
             to_string(m.blue) + ", transparency " + to_string(m.transparency) + ", image " +
             to_string(m.imageIndex) + ", flags " + flagsText(m.flags) + ", faces " +
             to_string(m.materialFaceCount) + " from face " + to_string(firstFace) + "\n";
        firstFace += m.materialFaceCount;
    }
}

void appendFaces(std::string& s, const KzoDump& d) {
    s += "faces\n";
    for (std::size_t i = 0; i < d.faces.size(); ++i) {
        const KzoFaceRecord& f = d.faces[i];
        const int n = usedSlots(f.cornerCount);
        s += "  " + to_string(i) + " corners " + to_string(f.cornerCount) + ", vertices " +
             list(f.vertexIndex, n) + ", u " + list(f.u, n) + ", v " + list(f.v, n) + "\n";
    }
}

void appendPivots(std::string& s, const KzoDump& d) {
    s += "pivots\n";
    std::int64_t firstVertex = 0;
    for (std::size_t i = 0; i < d.pivots.size(); ++i) {
        const KzoPivotRecord& p = d.pivots[i];
        const std::string parent = p.parent == kKzoNoParent ? "none" : to_string(p.parent);
        s += "  " + to_string(i) + " point " + vec3(p.pivotPoint) + ", parent " + parent +
             ", vertices " + to_string(p.pivotVertexCount) + " from vertex " +
             to_string(firstVertex) + "\n";
        firstVertex += p.pivotVertexCount;
    }
}

void appendShading(std::string& s, const KzoDump& d) {
    if (!d.normals.empty()) {
        s += d.header.shadingType == kRealtimeGouraud ? "vertex normals\n" : "face normals\n";
        for (std::size_t i = 0; i < d.normals.size(); ++i) {
            s += "  " + to_string(i) + " " + vec3(d.normals[i].data()) + "\n";
        }
    }
    if (!d.cornerColors.empty()) {
        s += "corner colours\n";
        for (std::size_t i = 0; i < d.cornerColors.size(); ++i) {
            const CornerColors& c = d.cornerColors[i];
            s += "  " + to_string(i) + " red " + list(c.red, 4) + ", green " + list(c.green, 4) +
                 ", blue " + list(c.blue, 4) + "\n";
        }
    }
    if (!d.flatColors.empty()) {
        s += "face colours\n";
        for (std::size_t i = 0; i < d.flatColors.size(); ++i) {
            const FlatColor& c = d.flatColors[i];
            s += "  " + to_string(i) + " colour " + to_string(c.red) + " " + to_string(c.green) +
                 " " + to_string(c.blue) + ", fourth byte " + to_string(c.blueAgain) + "\n";
        }
    }
}

std::string keyText(const MotionKey& k) {
    return "    frame " + to_string(k.frame) + ": position " + vec3(k.position) + ", heading " +
           floatText(k.heading) + ", pitch " + floatText(k.pitch) + ", bank " + floatText(k.bank) +
           ", scale " + vec3(k.scale) + "\n";
}

void appendBlock(std::string& s, const std::string& title, const MotionBlockDump& block) {
    s += title + ": " + countOf(block.keys.size(), "key", "keys") + "\n";
    for (const MotionKey& k : block.keys) {
        s += keyText(k);
    }
}

void appendCamSection(std::string& s, const char* name, const CamSection& section) {
    if (section.block) {
        appendBlock(s, std::string(name) + " block", *section.block);
    } else {
        s += std::string(name) + ": none (" + to_string(section.number) + ")\n";
    }
}

std::string sectionSummary(const CamSection& section) {
    if (section.block) {
        return "block of " + countOf(section.block->keys.size(), "key", "keys");
    }
    return "none (" + to_string(section.number) + ")";
}

} // namespace

std::string quotedName(const std::string& name) {
    std::string s = "\"";
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            s += escaped;
        } else {
            s += ch;
        }
    }
    return s + "\"";
}

std::string kzoText(const KzoDump& d) {
    std::string s;
    appendHeader(s, d.header);
    s += "images\n";
    for (std::size_t i = 0; i < d.images.size(); ++i) {
        s += "  " + to_string(i) + " " + quotedName(d.images[i].name) +
             (d.images[i].terminated ? "" : " (no terminating NUL)") + "\n";
    }
    appendMaterials(s, d);
    s += "vertices\n";
    for (std::size_t i = 0; i < d.vertices.size(); ++i) {
        const KzoVertexRecord& v = d.vertices[i];
        const float xyz[3] = {v.x, v.y, v.z};
        s += "  " + to_string(i) + " " + vec3(xyz) + "\n";
    }
    appendFaces(s, d);
    if (!d.pivots.empty()) {
        appendPivots(s, d);
    }
    appendShading(s, d);
    return s + trailingNote(d.trailingBytes);
}

std::string motText(const MotDump& d) {
    std::string s = "last frame " + to_string(d.lastFrame) + "\n";
    s += "blocks " + to_string(d.motionCount) + "\n";
    for (std::size_t i = 0; i < d.blocks.size(); ++i) {
        appendBlock(s, "block " + to_string(i), d.blocks[i]);
    }
    return s + trailingNote(d.trailingBytes);
}

std::string camText(const CamDump& d) {
    std::string s;
    if (d.camera) {
        appendBlock(s, "camera block", *d.camera);
    } else {
        s += "camera: none\n";
    }
    appendCamSection(s, "parent", d.parent);
    appendCamSection(s, "target", d.target);
    if (d.targetPoint) {
        s += "target point " + vec3(d.targetPoint->data()) + "\n";
    }
    return s + trailingNote(d.trailingBytes);
}

std::string kzlText(const KzlDump& d) {
    std::string s = "lights " + to_string(d.lightCount) + "\n";
    for (std::size_t i = 0; i < d.lights.size(); ++i) {
        const Light& l = d.lights[i];
        const char* type = lightTypeName(l.type);
        s += "light " + to_string(i) + ": type " + to_string(l.type) + " " +
             (type ? type : "unknown") + "\n";
        s += "  position " + vec3(l.position) + "\n";
        s += "  direction " + vec3(l.direction) + "\n";
        s += "  colour " + list(l.color, 3) + "\n";
        s += "  intensity " + floatText(l.intensity) + "\n";
        s += "  range " + floatText(l.range) + "\n";
        s += "  coneCos " + floatText(l.coneCos) + "\n";
        s += "  edgeCos " + floatText(l.edgeCos) + "\n";
    }
    return s + trailingNote(d.trailingBytes);
}

std::string kzoSummary(const KzoHeader& h) {
    const std::string rule = "============================\n";
    std::string s = rule;
    s += "version: " + to_string(h.version / 16) + "." + to_string(h.version % 16) + "\n";
    s += to_string(h.imageCount) + " images\n";
    s += to_string(h.materialCount) + " materials\n";
    s += to_string(h.vertexCount) + " vertices\n";
    s += to_string(h.faceCount) + " faces\n";
    s += to_string(h.pivotCount) + " pivots\n";
    if (const char* name = shadingTypeName(h.shadingType)) {
        s += std::string(name) + "\n";
    }
    return s + rule;
}

std::string motSummary(const MotDump& d) {
    std::size_t keys = 0;
    for (const MotionBlockDump& b : d.blocks) {
        keys += b.keys.size();
    }
    return "last frame: " + to_string(d.lastFrame) + "\n" +
           countOf(d.blocks.size(), "motion block", "motion blocks") + "\n" +
           countOf(keys, "key", "keys") + "\n";
}

std::string camSummary(const CamDump& d) {
    std::string s = "camera: ";
    s += d.camera ? "block of " + countOf(d.camera->keys.size(), "key", "keys") : "none";
    s += "\nparent: " + sectionSummary(d.parent) + "\n";
    s += "target: " + sectionSummary(d.target) + "\n";
    return s;
}

std::string kzlSummary(const KzlDump& d) {
    return countOf(d.lights.size(), "light", "lights") + "\n";
}

} // namespace kzo::dump

// One small model written in three formats, as a modelling tool would save it:
// a 3DS file (z up), and an OBJ file with its material library and a glTF
// file with its buffer (both y up). The model is described in 3DS space; the
// y-up formats get (x, z, -y) and the same corner order, and glTF's texture
// coordinates count v from the top. Values should be exact in decimal text
// (small integers, halves, quarters) so every format carries the same floats.
#pragma once

#include "tests/support/build_3ds.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <string>
#include <vector>

namespace kzotest {

struct TestMaterial {
    std::string name;
    float red = 1, green = 1, blue = 1; // 0..1
    float transparency = 0;             // 0 opaque .. 1 clear
    std::string map;                    // texture file name, or empty
};

struct TestObject {
    std::string name;
    std::vector<Vec3> points;             // 3DS space
    std::vector<std::array<float, 2>> uv; // one per point, bottom-left origin
    std::vector<Tri> faces;
    std::string material;
};

struct TestModel {
    std::vector<TestMaterial> materials;
    std::vector<TestObject> objects;
};

inline Bytes as3ds(const TestModel& model) {
    Bytes body;
    for (const auto& m : model.materials) {
        Bytes props = rgbFloats(m.red, m.green, m.blue) + transparencyFloat(m.transparency);
        if (!m.map.empty()) {
            props = props + textureMap(m.map);
        }
        body = body + material(m.name, props);
    }
    for (const auto& o : model.objects) {
        std::vector<std::uint16_t> all;
        for (std::size_t f = 0; f < o.faces.size(); ++f) {
            all.push_back(static_cast<std::uint16_t>(f));
        }
        body = body + object(o.name, vertexList(o.points) +
                                         faceList(o.faces, faceMaterialList(o.material, all)) +
                                         mappingCoords(o.uv));
    }
    return file3ds(body);
}

inline std::string asMtl(const TestModel& model) {
    std::ostringstream out;
    for (const auto& m : model.materials) {
        out << "newmtl " << m.name << "\nKd " << m.red << ' ' << m.green << ' ' << m.blue << "\nd "
            << 1.0f - m.transparency << '\n';
        if (!m.map.empty()) {
            out << "map_Kd " << m.map << '\n';
        }
    }
    return out.str();
}

inline std::string asObj(const TestModel& model, const std::string& mtlName) {
    std::ostringstream out;
    out << "mtllib " << mtlName << '\n';
    std::size_t base = 1;
    for (const auto& o : model.objects) {
        out << "o " << o.name << '\n';
        for (const auto& p : o.points) {
            out << "v " << p[0] << ' ' << p[2] << ' ' << -p[1] << '\n';
        }
        for (const auto& t : o.uv) {
            out << "vt " << t[0] << ' ' << t[1] << '\n';
        }
        out << "usemtl " << o.material << '\n';
        for (const auto& f : o.faces) {
            out << 'f';
            for (auto n : f) {
                out << ' ' << base + n << '/' << base + n;
            }
            out << '\n';
        }
        base += o.points.size();
    }
    return out.str();
}

struct GltfFiles {
    std::string json;
    Bytes bin;
};

// Every object is a mesh of one primitive under its own node, in order.
inline GltfFiles asGltf(const TestModel& model, const std::string& binName) {
    GltfFiles files;
    std::ostringstream views, accessors, meshes, nodes, materials;
    std::vector<std::string> images;
    for (const auto& m : model.materials) {
        materials << (materials.tellp() > 0 ? "," : "") << "{\"name\":\"" << m.name
                  << "\",\"pbrMetallicRoughness\":{\"baseColorFactor\":[" << m.red << ',' << m.green
                  << ',' << m.blue << ',' << 1.0f - m.transparency << ']';
        if (!m.map.empty()) {
            materials << ",\"baseColorTexture\":{\"index\":" << images.size() << '}';
            images.push_back(m.map);
        }
        materials << "}" << (m.transparency > 0 ? ",\"alphaMode\":\"BLEND\"" : "") << '}';
    }
    std::size_t view = 0;
    auto addView = [&](const Bytes& data) {
        views << (view > 0 ? "," : "") << "{\"buffer\":0,\"byteOffset\":" << files.bin.size()
              << ",\"byteLength\":" << data.size() << '}';
        files.bin.append(data);
        files.bin.zeros((4 - files.bin.size() % 4) % 4); // floats start at multiples of 4
        return view++;
    };
    for (std::size_t i = 0; i < model.objects.size(); ++i) {
        const TestObject& o = model.objects[i];
        Bytes points, uvs, faces;
        float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
        for (const auto& p : o.points) {
            const float q[3] = {p[0], p[2], -p[1]};
            for (int k = 0; k < 3; ++k) {
                points.f32le(q[k]);
                low[k] = std::min(low[k], q[k]);
                high[k] = std::max(high[k], q[k]);
            }
        }
        for (const auto& t : o.uv) {
            uvs.f32le(t[0]).f32le(1.0f - t[1]);
        }
        for (const auto& f : o.faces) {
            faces.u16le(f[0]).u16le(f[1]).u16le(f[2]);
        }
        const std::size_t pv = addView(points), tv = addView(uvs), fv = addView(faces);
        const std::size_t a = 3 * i;
        accessors << (i > 0 ? "," : "") << "{\"bufferView\":" << pv
                  << ",\"componentType\":5126,\"type\":\"VEC3\",\"count\":" << o.points.size()
                  << ",\"min\":[" << low[0] << ',' << low[1] << ',' << low[2] << "],\"max\":["
                  << high[0] << ',' << high[1] << ',' << high[2] << "]},"
                  << "{\"bufferView\":" << tv
                  << ",\"componentType\":5126,\"type\":\"VEC2\",\"count\":" << o.uv.size()
                  << "},{\"bufferView\":" << fv
                  << ",\"componentType\":5123,\"type\":\"SCALAR\",\"count\":" << 3 * o.faces.size()
                  << '}';
        std::size_t materialIndex = 0;
        while (materialIndex + 1 < model.materials.size() &&
               model.materials[materialIndex].name != o.material) {
            ++materialIndex;
        }
        meshes << (i > 0 ? "," : "") << "{\"primitives\":[{\"attributes\":{\"POSITION\":" << a
               << ",\"TEXCOORD_0\":" << a + 1 << "},\"indices\":" << a + 2
               << ",\"material\":" << materialIndex << "}]}";
        nodes << (i > 0 ? "," : "") << "{\"name\":\"" << o.name << "\",\"mesh\":" << i << '}';
    }
    std::ostringstream json;
    json << "{\"asset\":{\"version\":\"2.0\"},\"scene\":0,\"scenes\":[{\"nodes\":[";
    for (std::size_t i = 0; i < model.objects.size(); ++i) {
        json << (i > 0 ? "," : "") << i;
    }
    json << "]}],\"nodes\":[" << nodes.str() << "],\"meshes\":[" << meshes.str()
         << "],\"materials\":[" << materials.str() << "],\"accessors\":[" << accessors.str()
         << "],\"bufferViews\":[" << views.str() << "],\"buffers\":[{\"uri\":\"" << binName
         << "\",\"byteLength\":" << files.bin.size() << "}]";
    if (!images.empty()) {
        json << ",\"images\":[";
        for (std::size_t i = 0; i < images.size(); ++i) {
            json << (i > 0 ? "," : "") << "{\"uri\":\"" << images[i] << "\"}";
        }
        json << "],\"textures\":[";
        for (std::size_t i = 0; i < images.size(); ++i) {
            json << (i > 0 ? "," : "") << "{\"source\":" << i << '}';
        }
        json << ']';
    }
    json << '}';
    files.json = json.str();
    return files;
}

// A roof and a wall of two materials, sharing two positions: a textured roof
// and a half transparent wall; y and z differ wherever they can.
inline TestModel roofAndWall() {
    TestModel model;
    model.materials = {{"red", 1, 0, 0, 0, "red.png"}, {"glass", 0.5f, 0.5f, 1, 0.5f, ""}};
    model.objects = {
        {"roof",
         {{0, 0, 1}, {2, 0, 1}, {2, -1.5f, 2.5f}, {0, -1.5f, 2.5f}},
         {{0, 0}, {1, 0}, {1, 0.75f}, {0, 0.75f}},
         {{0, 1, 2}, {0, 2, 3}},
         "red"},
        {"wall",
         {{0, 0, 0}, {2, 0, 0}, {2, 0, 1}, {0, 0, 1}},
         {{0, 0}, {0.5f, 0}, {0.5f, 0.25f}, {0, 0.25f}},
         {{0, 1, 2}, {0, 2, 3}},
         "glass"},
    };
    return model;
}

} // namespace kzotest

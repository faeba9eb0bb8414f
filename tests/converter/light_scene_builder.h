// Builders for lit scenes: vertices, faces with their normals and plane
// constants, materials and lights, set straight into the scene model.
#pragma once

#include "converter/model/scene_model.h"

#include <cmath>
#include <cstdint>

namespace kzotest {

inline int addVertex(kzo::SceneModel& model, float x, float y, float z) {
    kzo::Vertex& v = model.vertices[static_cast<std::size_t>(model.vertexCount)];
    v = kzo::Vertex{};
    v.x = x;
    v.y = y;
    v.z = z;
    return model.vertexCount++;
}

inline int addFace(kzo::SceneModel& model, int a, int b, int c, std::int16_t material = 0) {
    kzo::Face& f = model.faces[static_cast<std::size_t>(model.faceCount)];
    f = kzo::Face{};
    f.vertexIndex[0] = static_cast<std::uint16_t>(a);
    f.vertexIndex[1] = static_cast<std::uint16_t>(b);
    f.vertexIndex[2] = static_cast<std::uint16_t>(c);
    f.materialIndex = material;
    return model.faceCount++;
}

// Unit face normals n = (P0 - P1) x (P2 - P1) / |n| and plane constants; a
// face of zero area gets normal (0, 0, 0) and plane constant 0.
inline void setFaceNormals(kzo::SceneModel& model) {
    for (int i = 0; i < model.faceCount; ++i) {
        kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        const kzo::Vertex& p0 = model.vertices[f.vertexIndex[0]];
        const kzo::Vertex& p1 = model.vertices[f.vertexIndex[1]];
        const kzo::Vertex& p2 = model.vertices[f.vertexIndex[2]];
        const float ax = p0.x - p1.x, ay = p0.y - p1.y, az = p0.z - p1.z;
        const float bx = p2.x - p1.x, by = p2.y - p1.y, bz = p2.z - p1.z;
        const float n[3] = {ay * bz - az * by, az * bx - ax * bz, ax * by - ay * bx};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        if (length == 0.0f) {
            f.normal[0] = f.normal[1] = f.normal[2] = 0.0f;
            f.planeD = 0.0f;
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            f.normal[k] = n[k] / length;
        }
        f.planeD = -(f.normal[0] * p0.x + f.normal[1] * p0.y + f.normal[2] * p0.z);
    }
}

inline int addMaterial(kzo::SceneModel& model, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                       bool textured) {
    kzo::Material& m = model.materials[static_cast<std::size_t>(model.materialCount)];
    m = kzo::Material{};
    m.red = r;
    m.green = g;
    m.blue = b;
    m.imageIndex = textured ? 0 : -1;
    m.flags = textured ? kzo::kMaterialTextured : 0;
    return model.materialCount++;
}

inline int addLight(kzo::SceneModel& model, const kzo::Light& light) {
    model.lights[static_cast<std::size_t>(model.lightCount)] = light;
    return model.lightCount++;
}

inline kzo::Light distantLight(float dx, float dy, float dz, float intensity = 1.0f,
                               std::uint8_t r = 255, std::uint8_t g = 255, std::uint8_t b = 255) {
    kzo::Light l;
    l.type = kzo::kDistantLight;
    l.direction[0] = dx;
    l.direction[1] = dy;
    l.direction[2] = dz;
    l.intensity = intensity;
    l.color[0] = r;
    l.color[1] = g;
    l.color[2] = b;
    return l;
}

inline kzo::Light pointLight(float x, float y, float z, float range = -1.0f,
                             float intensity = 1.0f) {
    kzo::Light l;
    l.type = kzo::kPointLight;
    l.position[0] = x;
    l.position[1] = y;
    l.position[2] = z;
    l.range = range;
    l.intensity = intensity;
    l.color[0] = l.color[1] = l.color[2] = 255;
    return l;
}

inline kzo::Light spotLight(float x, float y, float z, float dx, float dy, float dz, float coneCos,
                            float edgeCos, float range = -1.0f) {
    kzo::Light l = pointLight(x, y, z, range);
    l.type = kzo::kSpotLight;
    l.direction[0] = dx;
    l.direction[1] = dy;
    l.direction[2] = dz;
    l.coneCos = coneCos;
    l.edgeCos = edgeCos;
    return l;
}

// A model set up for precalculated colour, and the settings that ask for it:
// the shading type given, no animation, no ambient light.
inline kzo::ConversionSettings startLitScene(kzo::SceneModel& model, std::int32_t shadingType) {
    kzo::resetSceneModel(model);
    kzo::ConversionSettings settings;
    settings.shadingType = shadingType;
    settings.animation = 0;
    return settings;
}

} // namespace kzotest

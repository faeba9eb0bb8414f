// The lit scene of the shadow and ray benchmarks: a bumpy torus under 8 point
// lights (half of them with a range), 2 spot lights and 1 distant light.
#pragma once

#include "converter/model/compute_normals.h"
#include "converter/model/scene_model.h"
#include "tests/converter/light_scene_builder.h"

#include <cmath>
#include <utility>

namespace kzobench {

inline constexpr double kPi = 3.14159265358979323846;

struct MeshSize {
    int around; // segments around the main ring
    int across; // segments around the tube
};
// 3600 vertices and 7200 faces; 7300 vertices and 14600 faces.
inline constexpr MeshSize kTorusMeshes[] = {{60, 60}, {100, 73}};

// A torus of radius 1 with a tube of radius 0.35, dented and bulged so that
// its bumps shadow each other, faces turned outwards; every length times
// scale, the lights' positions and ranges too.
inline void buildBumpyTorus(kzo::SceneModel& model, MeshSize size, float scale) {
    kzotest::startLitScene(model, kzo::kPrecalcGouraud);
    kzotest::addMaterial(model, 200, 180, 160, false);
    for (int i = 0; i < size.around; ++i) {
        const double u = 2 * kPi * i / size.around;
        for (int j = 0; j < size.across; ++j) {
            const double v = 2 * kPi * j / size.across;
            const double tube = 0.35 * (1 + 0.3 * std::sin(7 * u) * std::sin(3 * v));
            const double ring = 1 + tube * std::cos(v);
            kzotest::addVertex(model, static_cast<float>(ring * std::cos(u) * scale),
                               static_cast<float>(tube * std::sin(v) * scale),
                               static_cast<float>(ring * std::sin(u) * scale));
        }
    }
    auto at = [&](int i, int j) { return (i % size.around) * size.across + j % size.across; };
    for (int i = 0; i < size.around; ++i) {
        for (int j = 0; j < size.across; ++j) {
            kzotest::addFace(model, at(i, j), at(i + 1, j), at(i, j + 1));
            kzotest::addFace(model, at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        }
    }
    kzo::computeNormals(model);
    // Outwards: away from the tube's middle circle.
    for (int f = 0; f < model.faceCount; ++f) {
        kzo::Face& face = model.faces[static_cast<std::size_t>(f)];
        const kzo::Vertex& p = model.vertices[face.vertexIndex[0]];
        const double length =
            std::sqrt(static_cast<double>(p.x) * p.x + static_cast<double>(p.z) * p.z);
        const double middle[3] = {p.x / length * scale, 0, p.z / length * scale};
        const double out[3] = {p.x - middle[0], p.y - middle[1], p.z - middle[2]};
        if (face.normal[0] * out[0] + face.normal[1] * out[1] + face.normal[2] * out[2] < 0) {
            std::swap(face.vertexIndex[1], face.vertexIndex[2]);
        }
    }
    kzo::computeNormals(model);

    int n = 0;
    for (const float x : {-1.6f, 1.6f}) {
        for (const float y : {-1.2f, 1.2f}) {
            for (const float z : {-1.6f, 1.6f}) {
                const float range = n % 2 == 0 ? -1.0f : 3.5f * scale;
                kzo::Light light =
                    kzotest::pointLight(x * scale, y * scale, z * scale, range, 0.4f);
                light.color[n % 3] = 120;
                kzotest::addLight(model, light);
                ++n;
            }
        }
    }
    const float cone = static_cast<float>(std::cos(25 * kPi / 180));
    const float edge = static_cast<float>(std::cos(40 * kPi / 180));
    kzotest::addLight(
        model, kzotest::spotLight(0.2f * scale, 2.5f * scale, 0.1f * scale, 0, -1, 0, cone, edge));
    kzotest::addLight(model,
                      kzotest::spotLight(0, 0.1f * scale, 0, 1, 0, 0, cone, edge, 3 * scale));
    const float len = std::sqrt(0.3f * 0.3f + 0.8f * 0.8f + 0.5f * 0.5f);
    kzotest::addLight(model, kzotest::distantLight(0.3f / len, 0.8f / len, 0.5f / len, 0.6f));
    model.ambientColor[0] = model.ambientColor[1] = model.ambientColor[2] = 20;
}

} // namespace kzobench

// One small animated scene spelled once and written in several forms: as a
// LightWave scene (version 1, its objects as .3ds twins) and as the record
// the model import gives for a model file holding the same scene. Positions
// are in the engine's space (y up, left-handed), keys in LightWave's terms.
//
//   base (root)    a floor quad, moving along x
//   arm  (base's)  a triangle, turning about y
//   hand (arm's)   a triangle, growing
//   a camera moving and turning, a distant, a point and a spot light
//
// The first keys only move the objects, by values exact in binary, so the
// scene placed at its first keys is also exact: a record without hierarchy
// holds those positions, as the module's rest places would give them. No two
// objects share a point, in their own space or placed: a LightWave scene
// welds equal points of different objects into one vertex, a model file's
// objects keep their own.
#pragma once

#include "converter/import/import_lws_scene.h"
#include "modelimport/imported_model.h"
#include "tests/converter/scene/build_lws_versions.h"
#include "tests/support/build_3ds.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kzotest {

struct SameSceneObject {
    std::string name;
    std::vector<Vec3> points; // in the object's own space
    std::vector<Tri> faces;
};

struct SameScene {
    SceneOutline outline; // objects, keys, lights, camera (version 1 terms)
    std::vector<SameSceneObject> geometry;
};

inline SameScene sameScene() {
    SameScene s;
    SceneOutline& o = s.outline;
    o.lastFrame = 30;
    o.objects = {
        {"base.lwo", {}, 0, {key(0, 0, 0), key(1, 0, 0).frame(30)}},
        {"arm.lwo", {}, 1, {key(1, 0, 0), key(1, 0, 0).hpb(90, 0, 0).frame(30)}},
        {"hand.lwo", {}, 2, {key(0, 2, 0), key(0, 2, 0).scale(2, 2, 2).frame(20)}},
    };
    s.geometry = {
        {"base", {{-2, 0, -2}, {2, 0, -2}, {2, 0, 2}, {-2, 0, 2}}, {{0, 2, 1}, {0, 3, 2}}},
        {"arm", {{0, 0, 0}, {0, 2, 0}, {0.5f, 2, 0}}, {{0, 1, 2}}},
        {"hand", {{0.25f, 0, 0}, {0.75f, 0, 0}, {0.25f, 0.5f, 0.5f}}, {{0, 2, 1}}},
    };
    SpecLight distant;
    distant.type = 0;
    distant.key = key(0, 10, 0).hpb(0, 90, 0);
    SpecLight point;
    point.type = 1;
    point.color = {255, 200, 100};
    point.range = 10;
    point.key = key(1, 3, 1);
    SpecLight spot;
    spot.type = 2;
    spot.intensity = 0.5f;
    spot.cone = 30;
    spot.edge = 40;
    spot.key = key(0, 4, 0).hpb(0, 90, 0);
    o.lights = {distant, point, spot};
    o.ambient = {20, 30, 40};
    o.cameraKeys = {key(0, 2, -5), key(0, 3, -5).hpb(-15, 10, 0).frame(30)};
    return s;
}

// The scene file and one .3ds twin per object (3DS space: y and z exchanged).
struct LightWaveFiles {
    std::string scene;
    std::vector<std::pair<std::string, Bytes>> objects; // file name, bytes
};

inline LightWaveFiles asLightWave(const SameScene& s) {
    LightWaveFiles files;
    files.scene = sceneInVersion(s.outline, 1).text;
    for (std::size_t i = 0; i < s.geometry.size(); ++i) {
        std::vector<Vec3> points;
        for (const Vec3& p : s.geometry[i].points) {
            points.push_back({p[0], p[2], p[1]});
        }
        const std::string twin =
            s.outline.objects[i].path.substr(0, s.outline.objects[i].path.size() - 3) + "3ds";
        files.objects.push_back(
            {twin, file3ds(object(s.geometry[i].name,
                                  vertexList(points) + faceList(s.geometry[i].faces)))});
    }
    return files;
}

inline kzo::MotionKey motionKey(const Key& k) {
    kzo::MotionKey m;
    m.frame = k.frameNumber;
    for (int c = 0; c < 3; ++c) {
        m.position[c] = k.v[c];
        m.scale[c] = k.v[6 + c];
    }
    m.heading = k.v[3];
    m.pitch = k.v[4];
    m.bank = k.v[5];
    return m;
}

// The record of a model file holding the scene. Its lights are the records
// the LightWave scene's lights give (the module hands them over finished);
// with hierarchy each object's vertices are in its own space, interleaved
// across the objects so that their order has to be mended; without it they
// are placed at the objects' first keys, object after object.
inline kzo::ImportedModel asImportedModel(const SameScene& s, bool hierarchy) {
    const kzo::SceneDescription lightWave = kzo::parseSceneText(
        sceneOf(sceneInVersion(s.outline, 1)), {}, [](const kzo::SceneObject&, std::size_t) {});
    kzo::ImportedModel m;
    std::vector<std::vector<std::uint32_t>> vertexOf(s.geometry.size());
    std::vector<std::array<float, 3>> offset(s.geometry.size());
    for (std::size_t i = 0; i < s.geometry.size(); ++i) {
        const SpecObject& spec = s.outline.objects[i];
        kzo::ImportedObject& object = m.objects.emplace_back();
        object.name = s.geometry[i].name;
        object.parent = spec.parent - 1;
        for (const Key& k : spec.keys) {
            object.keys.push_back(motionKey(k));
        }
        for (int c = 0; c < 3; ++c) {
            offset[i][c] = spec.keys.front().v[c] +
                           (object.parent >= 0 ? offset[std::size_t(object.parent)][c] : 0.0f);
        }
    }
    auto addVertex = [&](std::size_t object, std::size_t k) {
        vertexOf[object].push_back(static_cast<std::uint32_t>(m.vertexCount()));
        for (int c = 0; c < 3; ++c) {
            m.positions.push_back(s.geometry[object].points[k][c] +
                                  (hierarchy ? 0.0f : offset[object][c]));
        }
        if (hierarchy) {
            m.vertexObjects.push_back(static_cast<std::uint32_t>(object));
        }
    };
    if (hierarchy) {
        // Vertex k of every object in turn: base 0, arm 0, hand 0, base 1, ...
        std::size_t most = 0;
        for (const SameSceneObject& object : s.geometry) {
            most = std::max(most, object.points.size());
        }
        for (std::size_t k = 0; k < most; ++k) {
            for (std::size_t i = 0; i < s.geometry.size(); ++i) {
                if (k < s.geometry[i].points.size()) {
                    addVertex(i, k);
                }
            }
        }
    } else {
        for (std::size_t i = 0; i < s.geometry.size(); ++i) {
            for (std::size_t k = 0; k < s.geometry[i].points.size(); ++k) {
                addVertex(i, k);
            }
        }
    }
    for (std::size_t i = 0; i < s.geometry.size(); ++i) {
        for (const Tri& t : s.geometry[i].faces) {
            for (std::uint16_t corner : t) {
                m.triangles.push_back(vertexOf[i][corner]);
            }
            m.cornerUvs.insert(m.cornerUvs.end(), 6, 0.0f);
            m.faceMaterials.push_back(-1);
        }
    }
    m.hasCamera = true;
    for (const Key& k : s.outline.cameraKeys) {
        m.camera.keys.push_back(motionKey(k));
    }
    m.lights = lightWave.lights;
    for (int c = 0; c < 3; ++c) {
        m.ambientColor[c] = lightWave.ambientColor[c];
    }
    m.lastFrame = s.outline.lastFrame;
    return m;
}

} // namespace kzotest

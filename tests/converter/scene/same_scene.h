// One small animated scene spelled once and written in several forms: as a
// LightWave scene (version 1, its objects as .3ds twins) and as a glTF file
// (y up, right-handed: a point (x, y, z) is (x, y, -z) there, a turn about y
// or x the same angle negated). Positions are in the engine's space (y up,
// left-handed), keys in LightWave's terms.
//
//   base (root)    a floor quad facing up, moving along x
//   arm  (base's)  a triangle facing the camera, turning about y
//   hand (arm's)   a triangle, growing
//   a camera moving and panning (a turn about y, its pitch held), a distant,
//   a point and a spot light
//
// The first keys only move the objects, by values exact in binary, so the
// scene placed at its first keys is also exact: a record without hierarchy
// holds those positions, as the module's rest places would give them. No two
// objects share a point, in their own space or placed: a LightWave scene
// welds equal points of different objects into one vertex, a model file's
// objects keep their own.
#pragma once

#include "tests/converter/scene/build_lws_versions.h"
#include "tests/modelimport/gltf_scene.h"
#include "tests/support/build_3ds.h"

#include <algorithm>
#include <cmath>
#include <numbers>
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
        {"hand.lwo", {}, 2, {key(0, 2, 0), key(0, 2, 0).scale(2, 2, 2).frame(15)}},
    };
    s.geometry = {
        {"base", {{-2, 0, -2}, {2, 0, -2}, {2, 0, 2}, {-2, 0, 2}}, {{0, 1, 2}, {0, 2, 3}}},
        {"arm", {{0, 0, 0}, {0, 2, 0}, {0.5f, 2, 0}}, {{0, 2, 1}}},
        {"hand", {{0.25f, 0, 0}, {0.75f, 0, 0}, {0.25f, 0.5f, 0.5f}}, {{0, 1, 2}}},
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
    o.cameraKeys = {key(0, 2, -5).hpb(0, 10, 0), key(0, 3, -5).hpb(-15, 10, 0).frame(30)};
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

// A turn in LightWave's terms as a glTF rotation (x, y, z, w): bank about z,
// then pitch about x, then heading about y, the angles about y and x negated.
inline std::vector<float> gltfRotation(const Key& k) {
    const double half = std::numbers::pi / 360.0;
    const auto about = [&](int axis, double degrees) {
        std::array<double, 4> q = {0, 0, 0, std::cos(degrees * half)};
        q[std::size_t(axis)] = std::sin(degrees * half);
        return q;
    };
    const auto times = [](const std::array<double, 4>& a, const std::array<double, 4>& b) {
        return std::array<double, 4>{a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
                                     a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
                                     a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
                                     a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
    };
    const auto q = times(times(about(1, -k.v[3]), about(0, -k.v[4])), about(2, k.v[5]));
    return {float(q[0]), float(q[1]), float(q[2]), float(q[3])};
}

inline std::vector<float> gltfPoint(const Key& k) {
    return {k.v[0], k.v[1], -k.v[2]};
}

inline std::string jsonList(const std::vector<float>& values) {
    std::vector<std::string> parts;
    for (float v : values) {
        parts.push_back(num(v));
    }
    return "[" + joined(parts) + "]";
}

// The keys' channels that move, each a LINEAR channel of the first animation,
// at the keys' frames in seconds.
inline void gltfChannels(GltfScene& g, int node, const std::vector<Key>& keys,
                         double framesPerSecond) {
    std::vector<float> seconds, translation, rotation, scale;
    bool moves = false, turns = false, grows = false;
    for (const Key& k : keys) {
        seconds.push_back(float(k.frameNumber / framesPerSecond));
        for (float v : gltfPoint(k)) {
            translation.push_back(v);
        }
        for (float v : gltfRotation(k)) {
            rotation.push_back(v);
        }
        scale.insert(scale.end(), {k.v[6], k.v[7], k.v[8]});
        for (int c = 0; c < 9; ++c) {
            bool& changes = c < 3 ? moves : c < 6 ? turns : grows;
            changes = changes || k.v[c] != keys.front().v[c];
        }
    }
    if (moves) {
        g.channel(node, "translation", seconds, translation);
    }
    if (turns) {
        g.channel(node, "rotation", seconds, rotation);
    }
    if (grows) {
        g.channel(node, "scale", seconds, scale);
    }
}

// The node's place at rest: its first key.
inline std::string gltfPlace(const Key& k) {
    return "\"translation\":" + jsonList(gltfPoint(k)) +
           ",\"rotation\":" + jsonList(gltfRotation(k)) +
           ",\"scale\":" + jsonList({k.v[6], k.v[7], k.v[8]});
}

// The scene as a glTF file: one node per object under its parent's node, its
// mesh in its own space, its rest place and keys; the camera and the lights on
// nodes of their own (a glTF light shines along its node's -z). The lights'
// intensities are physical (lux for the directional one, candela for the
// others): lightIntensities gives the factor that each light's engine
// intensity becomes, as the importer takes a light's illuminance at the
// model, no nearer than half its diagonal.
inline std::string asGltf(const SameScene& s, const std::vector<float>& lightIntensities) {
    GltfScene g;
    const SceneOutline& o = s.outline;
    std::vector<std::vector<int>> children(s.geometry.size());
    std::vector<int> roots;
    for (std::size_t i = 0; i < s.geometry.size(); ++i) {
        std::vector<Point> corners;
        for (const Tri& t : s.geometry[i].faces) {
            for (std::uint16_t c : t) {
                const Vec3& p = s.geometry[i].points[c];
                corners.push_back({p[0], p[1], -p[2]});
            }
        }
        g.mesh({corners});
        const int parent = o.objects[i].parent - 1;
        (parent >= 0 ? children[std::size_t(parent)] : roots).push_back(int(i));
    }
    for (std::size_t i = 0; i < s.geometry.size(); ++i) {
        std::vector<std::string> list;
        for (int c : children[i]) {
            list.push_back(std::to_string(c));
        }
        g.node("{\"name\":\"" + s.geometry[i].name + "\",\"mesh\":" + std::to_string(i) + "," +
               gltfPlace(o.objects[i].keys.front()) +
               (list.empty() ? "" : ",\"children\":[" + joined(list) + "]") + "}");
        gltfChannels(g, int(i), o.objects[i].keys, o.framesPerSecond);
    }
    g.roots = roots;
    g.cameras = {R"({"type":"perspective","perspective":{"yfov":1,"znear":0.1}})"};
    const int camera =
        g.node("{\"name\":\"camera\",\"camera\":0," + gltfPlace(o.cameraKeys.front()) + "}");
    g.roots.push_back(camera);
    gltfChannels(g, camera, o.cameraKeys, o.framesPerSecond);
    for (std::size_t i = 0; i < o.lights.size(); ++i) {
        const SpecLight& l = o.lights[i];
        static const char* const kinds[] = {"directional", "point", "spot"};
        std::string light =
            std::string("{\"type\":\"") + kinds[l.type] + "\",\"color\":" +
            jsonList({l.color[0] / 255.0f, l.color[1] / 255.0f, l.color[2] / 255.0f}) +
            ",\"intensity\":" + num(lightIntensities[i]);
        if (l.range >= 0) {
            light += ",\"range\":" + num(l.range);
        }
        if (l.type == 2) {
            const double radians = std::numbers::pi / 180.0;
            light += ",\"spot\":{\"innerConeAngle\":" + num(l.cone * radians) +
                     ",\"outerConeAngle\":" + num(l.edge * radians) + "}";
        }
        g.lights.push_back(light + "}");
        g.roots.push_back(g.node(
            "{\"name\":\"light" + std::to_string(i) + "\"," + gltfPlace(l.key) +
            ",\"extensions\":{\"KHR_lights_punctual\":{\"light\":" + std::to_string(i) + "}}}"));
    }
    return g.json();
}

} // namespace kzotest

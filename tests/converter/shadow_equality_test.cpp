// The fast shadow marking against the literal one on random scenes, with the
// classic and the relative test: the counters after every light and the
// colour bytes must be identical, whatever the number of threads. The
// relative test must give the same bytes at every power-of-two scale.
#include "converter/model/mark_lit_vertices.h"
#include "converter/model/precalculate_colors.h"
#include "tests/converter/light_scene_builder.h"
#include "tests/converter/literal_mark_lit_vertices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

using namespace kzotest;
using kzo::SceneModel;

namespace {

// Draws from the raw 32-bit output, so the scenes are the same with every
// standard library.
struct Random {
    std::mt19937 engine;
    explicit Random(std::uint32_t seed) : engine(seed) {}
    int below(int n) { return static_cast<int>(engine() % static_cast<std::uint32_t>(n)); }
    float unit() { return static_cast<float>(engine() >> 8) * (1.0f / 16777216.0f); }
    float between(float lo, float hi) { return lo + (hi - lo) * unit(); }
    bool chance(int percent) { return below(100) < percent; }
};

// Positions that coincide often: small whole numbers and halves put vertices
// exactly on other faces' edges and planes, and lights on vertices.
float coordinate(Random& r, float size) {
    return r.chance(50) ? static_cast<float>(r.below(9) - 4) * 0.5f * size / 2
                        : r.between(-size, size);
}

void addRandomLight(Random& r, SceneModel& model, float size) {
    kzo::Light light;
    const int kind = r.below(10);
    light.type = kind < 3   ? kzo::kDistantLight
                 : kind < 6 ? kzo::kPointLight
                 : kind < 9 ? kzo::kSpotLight
                            : 7;
    if (r.chance(25) && model.vertexCount > 0) {
        const kzo::Vertex& v = model.vertices[static_cast<std::size_t>(r.below(model.vertexCount))];
        light.position[0] = v.x;
        light.position[1] = v.y;
        light.position[2] = v.z;
    } else {
        for (float& p : light.position) {
            p = coordinate(r, size * 1.5f);
        }
    }
    float d[3] = {r.between(-1, 1), r.between(-1, 1), r.between(-1, 1)};
    if (r.chance(20)) {
        d[0] = 0;
        d[1] = 0;
        d[2] = r.chance(50) ? 1.0f : -1.0f;
    }
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (int a = 0; a < 3; ++a) {
        light.direction[a] = length > 0 ? d[a] / length : 0;
    }
    for (std::uint8_t& c : light.color) {
        c = static_cast<std::uint8_t>(r.below(256));
    }
    light.intensity = r.between(0, 2);
    light.range = r.chance(50) ? -1.0f : r.chance(10) ? 0.0f : r.between(0.5f, size * 2);
    light.coneCos = r.between(0.3f, 1);
    light.edgeCos = light.coneCos - r.between(0.05f, 0.3f);
    addLight(model, light);
}

// Clusters of vertices placed in the shadow of random faces, close to their
// corners and edges, some just inside and some just outside: where a too
// eager index would skip a pair that the exact test shadows. Clusters make
// the index's leaves tight around the shadow's boundary.
void addShadowProbes(Random& r, SceneModel& model, int clusters) {
    for (int i = 0; i < clusters && model.faceCount > 0; ++i) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(r.below(model.faceCount))];
        const kzo::Light& light = model.lights[static_cast<std::size_t>(r.below(model.lightCount))];
        float base[3] = {r.unit(), r.unit(), r.unit()};
        const int pick = r.below(3);
        if (r.chance(50)) {
            base[pick] = 1;
            base[(pick + 1) % 3] = base[(pick + 2) % 3] = 0;
        } else {
            base[pick] = 0;
        }
        const float lambda = r.chance(30) ? 1.001f : r.between(1, 3);
        const float mu = r.between(0.01f, 5);
        for (int j = 0; j < 10; ++j) {
            float w[3];
            for (int k = 0; k < 3; ++k) {
                w[k] = base[k] + r.between(-0.01f, 0.01f);
            }
            const float sum = w[0] + w[1] + w[2];
            float p[3] = {0, 0, 0};
            for (int k = 0; k < 3; ++k) {
                const kzo::Vertex& corner = model.vertices[f.vertexIndex[k]];
                p[0] += corner.x * w[k] / sum;
                p[1] += corner.y * w[k] / sum;
                p[2] += corner.z * w[k] / sum;
            }
            float v[3];
            for (int a = 0; a < 3; ++a) {
                v[a] = light.type == kzo::kDistantLight
                           ? p[a] - mu * light.direction[a]
                           : light.position[a] + lambda * (p[a] - light.position[a]);
            }
            addVertex(model, v[0], v[1], v[2]);
        }
    }
}

kzo::ConversionSettings buildRandomScene(Random& r, SceneModel& model) {
    const kzo::ConversionSettings settings = startLitScene(model, r.chance(50) ? 3 : 4);
    const float size = r.chance(20) ? 100.0f : 4.0f;
    addMaterial(model, 255, 255, 255, true);
    addMaterial(model, static_cast<std::uint8_t>(r.below(256)), 128, 7, false);
    const bool large = r.chance(15);
    const int vertices = large ? 150 + r.below(250) : 4 + r.below(40);
    const int faces = large ? 150 + r.below(300) : 1 + r.below(50);
    for (int i = 0; i < vertices; ++i) {
        if (i >= 2 && r.chance(10)) {
            // Midway between two vertices: on the line of a possible edge.
            const kzo::Vertex& a = model.vertices[static_cast<std::size_t>(r.below(i))];
            const kzo::Vertex& b = model.vertices[static_cast<std::size_t>(r.below(i))];
            addVertex(model, (a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f);
            continue;
        }
        addVertex(model, coordinate(r, size), coordinate(r, size), coordinate(r, size));
    }
    for (int i = 0; i < faces; ++i) {
        const int a = r.below(vertices);
        // Mostly small triangles around a vertex, some spanning the scene,
        // some degenerate.
        int b = r.below(vertices);
        int c = r.chance(3) ? b : r.below(vertices);
        if (r.chance(60)) {
            const kzo::Vertex& va = model.vertices[static_cast<std::size_t>(a)];
            const float s = size * 0.3f;
            b = addVertex(model, va.x + r.between(-s, s), va.y + r.between(-s, s),
                          va.z + r.between(-s, s));
            c = addVertex(model, va.x + r.between(-s, s), va.y + r.between(-s, s),
                          va.z + r.between(-s, s));
        }
        addFace(model, a, b, c, static_cast<std::int16_t>(r.below(3) - 1));
    }
    const int lights = 1 + r.below(4);
    for (int i = 0; i < lights; ++i) {
        addRandomLight(r, model, size);
    }
    addShadowProbes(r, model, r.below(3) == 0 ? 0 : 2 + r.below(10));
    model.ambientColor[0] = r.between(-20, 60);
    model.ambientColor[1] = r.between(-20, 60);
    model.ambientColor[2] = r.between(-20, 60);
    setFaceNormals(model);
    return settings;
}

std::vector<int> counters(const SceneModel& model) {
    std::vector<int> out;
    for (int i = 0; i < model.vertexCount; ++i) {
        out.push_back(model.vertices[static_cast<std::size_t>(i)].counter);
    }
    return out;
}

std::vector<int> colorBytes(const SceneModel& model) {
    std::vector<int> out;
    for (int i = 0; i < model.faceCount; ++i) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            out.insert(out.end(), {f.colorR[k], f.colorG[k], f.colorB[k]});
        }
    }
    return out;
}

constexpr kzo::ShadowTest kBothTests[] = {kzo::ShadowTest::classic, kzo::ShadowTest::relative};

TEST(ShadowEquality, fastMarkingLeavesTheLiteralCountersOnRandomScenes) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    for (const kzo::ShadowTest test : kBothTests) {
        int unlitSeen = 0;
        // One index for every scene, as a converter keeps it from file to
        // file: nothing of a scene may linger into the next.
        kzo::ShadowIndex index;
        for (std::uint32_t seed = 1; seed <= 400; ++seed) {
            Random r(seed);
            buildRandomScene(r, model);
            kzo::prepareFacesForLighting(model);
            kzo::buildShadowIndex(model, index, test);
            for (int light = 0; light < model.lightCount; ++light) {
                kzo::markLitVertices(model, light, index);
                const std::vector<int> fast = counters(model);
                literalMarkLitVertices(model, light, test);
                const std::vector<int> literal = counters(model);
                ASSERT_EQ(fast, literal) << "seed " << seed << " light " << light;
                for (const int c : fast) {
                    unlitSeen += c == 0 ? 1 : 0;
                }
            }
        }
        // The scenes do put vertices in shadow and out of range.
        EXPECT_GT(unlitSeen, 1000);
    }
}

// A closed lumpy sphere, its faces turned outwards.
void buildLumpySphere(SceneModel& model, int rings, int segments) {
    constexpr double kPi = 3.14159265358979323846;
    startLitScene(model, 3);
    addMaterial(model, 200, 180, 160, false);
    auto ringVertex = [&](int ring, int segment) {
        return 1 + (ring - 1) * segments + segment % segments;
    };
    addVertex(model, 0, 10, 0);
    for (int ring = 1; ring <= rings; ++ring) {
        const double theta = kPi * ring / (rings + 1);
        for (int segment = 0; segment < segments; ++segment) {
            const double phi = 2 * kPi * segment / segments;
            const double r = 10.0 * (1.0 + 0.15 * std::sin(5 * theta) * std::sin(4 * phi));
            addVertex(model, static_cast<float>(r * std::sin(theta) * std::cos(phi)),
                      static_cast<float>(r * std::cos(theta)),
                      static_cast<float>(r * std::sin(theta) * std::sin(phi)));
        }
    }
    const int south = addVertex(model, 0, -10, 0);
    for (int s = 0; s < segments; ++s) {
        addFace(model, 0, ringVertex(1, s + 1), ringVertex(1, s));
        addFace(model, south, ringVertex(rings, s), ringVertex(rings, s + 1));
        for (int ring = 1; ring < rings; ++ring) {
            const int a = ringVertex(ring, s), b = ringVertex(ring, s + 1);
            const int c = ringVertex(ring + 1, s), d = ringVertex(ring + 1, s + 1);
            addFace(model, a, b, c);
            addFace(model, b, d, c);
        }
    }
    setFaceNormals(model);
    for (int i = 0; i < model.faceCount; ++i) {
        kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        const kzo::Vertex& p = model.vertices[f.vertexIndex[0]];
        if (f.normal[0] * p.x + f.normal[1] * p.y + f.normal[2] * p.z < 0) {
            std::swap(f.vertexIndex[1], f.vertexIndex[2]);
        }
    }
    setFaceNormals(model);
}

// Lights outside the mesh, inside it (its view spans every part of the cube
// and their borders), on a vertex, next to a face's plane, and with ranges
// that leave vertices in the range box but beyond the range.
TEST(ShadowEquality, fastMarkingMatchesTheLiteralOnAClosedMeshLitFromInsideAndOutside) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    buildLumpySphere(model, 20, 30);
    // An octahedron inside, which shadows the inner side for the inner lights.
    const int tips[6] = {addVertex(model, -2.5f, 2, 0), addVertex(model, -5.5f, 2, 0),
                         addVertex(model, -4, 3.5f, 0), addVertex(model, -4, 0.5f, 0),
                         addVertex(model, -4, 2, 1.5f), addVertex(model, -4, 2, -1.5f)};
    for (const int x : {0, 1}) {
        for (const int y : {2, 3}) {
            for (const int z : {4, 5}) {
                addFace(model, tips[x], tips[y], tips[z]);
            }
        }
    }
    setFaceNormals(model);
    addLight(model, pointLight(15, 3, -4));
    addLight(model, pointLight(0, 0, 0, 9));
    addLight(model, pointLight(-1, 1, 0.5f));
    const kzo::Vertex& onSurface = model.vertices[77];
    addLight(model, pointLight(onSurface.x, onSurface.y, onSurface.z, 30));
    addLight(model, spotLight(0, 18, 0, 0, -1, 0, 0.9f, 0.8f, 22));
    addLight(model, distantLight(0.2f, -1, 0.3f));
    // Beside face 100, a hair above its plane.
    const kzo::Face& face = model.faces[100];
    kzo::prepareFacesForLighting(model);
    const kzo::Vertex& k0 = model.vertices[face.vertexIndex[0]];
    float beside[3];
    const float corner[3] = {k0.x, k0.y, k0.z};
    for (int a = 0; a < 3; ++a) {
        beside[a] = face.center[a] + 3 * (corner[a] - face.center[a]) + 1e-6f * face.normal[a];
    }
    addLight(model, pointLight(beside[0], beside[1], beside[2]));

    for (const kzo::ShadowTest test : kBothTests) {
        kzo::ShadowIndex index;
        kzo::buildShadowIndex(model, index, test);
        for (int light = 0; light < model.lightCount; ++light) {
            kzo::markLitVertices(model, light, index);
            const std::vector<int> fast = counters(model);
            literalMarkLitVertices(model, light, test);
            const std::vector<int> literal = counters(model);
            ASSERT_EQ(fast, literal) << "light " << light;
            // Every light leaves some vertices lit and puts some in shadow.
            EXPECT_GT(std::count(fast.begin(), fast.end(), 0), 5) << "light " << light;
            EXPECT_GT(std::count(fast.begin(), fast.end(), 1), 20) << "light " << light;
        }
    }
}

// The lights are marked on as many threads as asked (more than there are
// lights too) and applied in their order: the bytes of one thread.
TEST(ShadowEquality, fastColoursEqualTheLiteralColoursOnRandomScenesForAnyThreadCount) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    for (std::uint32_t seed = 1000; seed < 1150; ++seed) {
        Random r(seed);
        kzo::ConversionSettings settings = buildRandomScene(r, model);
        for (const kzo::ShadowTest test : kBothTests) {
            settings.shadows.test = test;
            literalPrecalculateColors(model, settings);
            const std::vector<int> literal = colorBytes(model);
            // The model is left as the run found it but for the derived fields.
            for (const int threads : {1, 2, 3, 8}) {
                settings.shadows.threads = threads;
                kzo::precalculateColors(model, settings);
                ASSERT_EQ(colorBytes(model), literal) << "seed " << seed << " threads " << threads;
            }
        }
    }
}

// The whole scene, its lights' positions and ranges times a power of two:
// every product of the shadow test scales exactly.
void scaleScene(SceneModel& model, float scale) {
    for (int i = 0; i < model.vertexCount; ++i) {
        kzo::Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        v.x *= scale;
        v.y *= scale;
        v.z *= scale;
    }
    for (int i = 0; i < model.lightCount; ++i) {
        kzo::Light& light = model.lights[static_cast<std::size_t>(i)];
        for (float& p : light.position) {
            p *= scale;
        }
        light.range *= scale;
    }
    setFaceNormals(model);
}

TEST(ShadowEquality, relativeTestGivesTheSameBytesAtEveryPowerOfTwoScale) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    int classicChanges = 0;
    for (std::uint32_t seed = 2000; seed < 2150; ++seed) {
        std::vector<int> atUnit[2];
        for (const float scale : {1.0f, 0x1p-10f, 0x1p3f, 0x1p10f}) {
            for (int t = 0; t < 2; ++t) {
                Random r(seed);
                kzo::ConversionSettings settings = buildRandomScene(r, model);
                settings.shadows = {kBothTests[t], 2};
                scaleScene(model, scale);
                kzo::precalculateColors(model, settings);
                if (scale == 1.0f) {
                    atUnit[t] = colorBytes(model);
                } else if (t == 1) {
                    ASSERT_EQ(colorBytes(model), atUnit[t]) << "seed " << seed << " " << scale;
                } else {
                    classicChanges += colorBytes(model) != atUnit[t] ? 1 : 0;
                }
            }
        }
    }
    // The classic test's fixed tolerances do change some of these scenes.
    EXPECT_GT(classicChanges, 20);
}

// Scaled down, many faces of these scenes fall below the classic test's
// threshold, some just, and are passed over as unable to cast: they must still
// unlight the vertices beyond a range, and the faces just above it must cast.
TEST(ShadowEquality, classicMarkingOfFacesAroundTheThresholdMatchesTheLiteral) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    int tooSmall = 0;
    int castable = 0;
    int unlitSeen = 0;
    kzo::ShadowIndex index;
    for (std::uint32_t seed = 3000; seed < 3200; ++seed) {
        for (const float scale : {0x1p-3f, 0x1p-4f, 0x1p-6f}) {
            Random r(seed);
            buildRandomScene(r, model);
            scaleScene(model, scale);
            kzo::prepareFacesForLighting(model);
            const std::int32_t small = kzo::facesTooSmallToCast(model);
            tooSmall += small;
            castable += model.faceCount - small;
            kzo::buildShadowIndex(model, index, kzo::ShadowTest::classic);
            for (int light = 0; light < model.lightCount; ++light) {
                kzo::markLitVertices(model, light, index);
                const std::vector<int> fast = counters(model);
                literalMarkLitVertices(model, light, kzo::ShadowTest::classic);
                ASSERT_EQ(fast, counters(model)) << "seed " << seed << " scale " << scale;
                unlitSeen += static_cast<int>(std::count(fast.begin(), fast.end(), 0));
            }
        }
    }
    EXPECT_GT(tooSmall, 5000);
    EXPECT_GT(castable, 5000);
    EXPECT_GT(unlitSeen, 1000);
}

} // namespace

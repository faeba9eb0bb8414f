// Comparisons of imported models, bit for bit where floats are compared, so
// that -0.0 and 0.0 count as different.
#pragma once

#include "modelimport/imported_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace kzotest {

inline std::vector<std::uint32_t> floatBits(const std::vector<float>& values) {
    std::vector<std::uint32_t> bits;
    for (float v : values) {
        bits.push_back(std::bit_cast<std::uint32_t>(v));
    }
    return bits;
}

struct ExpectedMaterial {
    int red, green, blue, transparency;
    std::string imageName;
};

inline void expectMaterials(const kzo::ImportedModel& model,
                            const std::vector<ExpectedMaterial>& expected) {
    ASSERT_EQ(model.materials.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const kzo::ImportedMaterial& m = model.materials[i];
        EXPECT_EQ(m.red, expected[i].red) << "material " << i;
        EXPECT_EQ(m.green, expected[i].green) << "material " << i;
        EXPECT_EQ(m.blue, expected[i].blue) << "material " << i;
        EXPECT_EQ(m.transparency, expected[i].transparency) << "material " << i;
        EXPECT_EQ(m.imageName, expected[i].imageName) << "material " << i;
    }
}

inline std::vector<std::uint32_t> keyBits(const std::vector<kzo::MotionKey>& keys) {
    std::vector<float> values;
    std::vector<std::uint32_t> frames;
    for (const kzo::MotionKey& k : keys) {
        frames.push_back(static_cast<std::uint32_t>(k.frame));
        values.insert(values.end(), {k.position[0], k.position[1], k.position[2], k.heading,
                                     k.pitch, k.bank, k.scale[0], k.scale[1], k.scale[2]});
    }
    std::vector<std::uint32_t> bits = floatBits(values);
    bits.insert(bits.end(), frames.begin(), frames.end());
    return bits;
}

// Every field of the two records, floats bit for bit.
inline void expectSameRecord(const kzo::ImportedModel& a, const kzo::ImportedModel& b) {
    EXPECT_EQ(floatBits(a.positions), floatBits(b.positions));
    EXPECT_EQ(a.triangles, b.triangles);
    EXPECT_EQ(floatBits(a.cornerUvs), floatBits(b.cornerUvs));
    EXPECT_EQ(a.faceMaterials, b.faceMaterials);
    ASSERT_EQ(a.materials.size(), b.materials.size());
    for (std::size_t i = 0; i < a.materials.size(); ++i) {
        const kzo::ImportedMaterial& x = a.materials[i];
        const kzo::ImportedMaterial& y = b.materials[i];
        EXPECT_EQ(std::tie(x.red, x.green, x.blue, x.transparency, x.imageName, x.embeddedImage),
                  std::tie(y.red, y.green, y.blue, y.transparency, y.imageName, y.embeddedImage))
            << "material " << i;
    }
    ASSERT_EQ(a.embeddedImages.size(), b.embeddedImages.size());
    for (std::size_t i = 0; i < a.embeddedImages.size(); ++i) {
        EXPECT_EQ(a.embeddedImages[i].extension, b.embeddedImages[i].extension);
        EXPECT_EQ(a.embeddedImages[i].bytes, b.embeddedImages[i].bytes);
    }
    EXPECT_EQ(std::tie(a.dropped.points, a.dropped.lines, a.dropped.degenerateTriangles),
              std::tie(b.dropped.points, b.dropped.lines, b.dropped.degenerateTriangles));
    ASSERT_EQ(a.objects.size(), b.objects.size());
    for (std::size_t i = 0; i < a.objects.size(); ++i) {
        EXPECT_EQ(a.objects[i].name, b.objects[i].name);
        EXPECT_EQ(a.objects[i].parent, b.objects[i].parent);
        EXPECT_EQ(keyBits(a.objects[i].keys), keyBits(b.objects[i].keys)) << "object " << i;
    }
    EXPECT_EQ(a.vertexObjects, b.vertexObjects);
    EXPECT_EQ(a.hasCamera, b.hasCamera);
    EXPECT_EQ(a.camera.name, b.camera.name);
    EXPECT_EQ(keyBits(a.camera.keys), keyBits(b.camera.keys));
    ASSERT_EQ(a.lights.size(), b.lights.size());
    for (std::size_t i = 0; i < a.lights.size(); ++i) {
        const kzo::Light& x = a.lights[i];
        const kzo::Light& y = b.lights[i];
        EXPECT_EQ(x.type, y.type);
        EXPECT_EQ(
            floatBits({x.position[0], x.position[1], x.position[2], x.direction[0], x.direction[1],
                       x.direction[2], x.intensity, x.range, x.coneCos, x.edgeCos}),
            floatBits({y.position[0], y.position[1], y.position[2], y.direction[0], y.direction[1],
                       y.direction[2], y.intensity, y.range, y.coneCos, y.edgeCos}))
            << "light " << i;
        EXPECT_EQ(std::tie(x.color[0], x.color[1], x.color[2]),
                  std::tie(y.color[0], y.color[1], y.color[2]));
    }
    EXPECT_EQ(floatBits({a.ambientColor[0], a.ambientColor[1], a.ambientColor[2]}),
              floatBits({b.ambientColor[0], b.ambientColor[1], b.ambientColor[2]}));
    EXPECT_EQ(a.lastFrame, b.lastFrame);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(a.framesPerSecond),
              std::bit_cast<std::uint64_t>(b.framesPerSecond));
    EXPECT_EQ(
        std::tie(a.fit.verticesBefore, a.fit.facesBefore, a.fit.verticesAfter, a.fit.facesAfter),
        std::tie(b.fit.verticesBefore, b.fit.facesBefore, b.fit.verticesAfter, b.fit.facesAfter));
    EXPECT_EQ(a.warnings, b.warnings);
    EXPECT_EQ(a.filesRead, b.filesRead);
}

} // namespace kzotest

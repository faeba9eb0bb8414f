// Comparisons of imported models, bit for bit where floats are compared, so
// that -0.0 and 0.0 count as different.
#pragma once

#include "modelimport/imported_model.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
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

} // namespace kzotest

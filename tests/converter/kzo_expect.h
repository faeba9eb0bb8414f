// Every KZO byte buffer the converter tests produce goes through
// expectWellFormedKzo: the file must be exactly as long as its header says and
// its records must hang together.
#pragma once

#include "format/kzo_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kzotest {

inline void expectWellFormedKzo(const std::vector<std::uint8_t>& bytes) {
    kzo::ByteReader in(bytes);
    ASSERT_GE(bytes.size(), kzo::kKzoHeaderSize);
    const kzo::KzoHeader h = kzo::readKzoHeader(in);
    EXPECT_EQ(h.version, kzo::kKzoVersion);
    const auto expectedSize = kzo::kzoExpectedFileSize(h);
    ASSERT_TRUE(expectedSize.has_value()) << "negative count in the header";
    ASSERT_EQ(bytes.size(), *expectedSize) << "file size does not match the header";

    in.skip(kzo::kKzoImageRecordSize * static_cast<std::size_t>(h.imageCount));
    std::int64_t coveredFaces = 0;
    for (std::int32_t i = 0; i < h.materialCount; ++i) {
        const kzo::KzoMaterialRecord m = kzo::readKzoMaterial(in);
        EXPECT_GE(m.materialFaceCount, 0);
        EXPECT_LT(m.imageIndex, h.imageCount) << "material " << i;
        coveredFaces += m.materialFaceCount;
    }
    EXPECT_EQ(coveredFaces, h.faceCount) << "material runs do not cover the faces";
    in.skip(kzo::kKzoVertexRecordSize * static_cast<std::size_t>(h.vertexCount));
    for (std::int32_t i = 0; i < h.faceCount; ++i) {
        const kzo::KzoFaceRecord f = kzo::readKzoFace(in);
        EXPECT_EQ(f.cornerCount, 3) << "face " << i;
        for (std::uint16_t index : f.vertexIndex) {
            EXPECT_LT(index, h.vertexCount) << "face " << i;
        }
    }
    for (std::int32_t i = 0; i < h.pivotCount; ++i) {
        const kzo::KzoPivotRecord p = kzo::readKzoPivot(in);
        EXPECT_TRUE(p.parent == kzo::kKzoNoParent || p.parent < h.pivotCount) << "pivot " << i;
    }
}

} // namespace kzotest

#include "format/kzo_format.h"
#include "format/side_formats.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kzo;

TEST(KzoFormat, recordsHaveTheirFileSizes) {
    ByteWriter w;
    writeKzoHeader(w, KzoHeader{});
    EXPECT_EQ(w.size(), kKzoHeaderSize);
    writeKzoMaterial(w, KzoMaterialRecord{});
    EXPECT_EQ(w.size(), kKzoHeaderSize + kKzoMaterialRecordSize);
    ByteWriter f;
    writeKzoFace(f, KzoFaceRecord{});
    EXPECT_EQ(f.size(), kKzoFaceRecordSize);
    ByteWriter p;
    writeKzoPivot(p, KzoPivotRecord{});
    EXPECT_EQ(p.size(), kKzoPivotRecordSize);
    ByteWriter k;
    writeMotionKey(k, MotionKey{});
    EXPECT_EQ(k.size(), kMotionKeySize);
    ByteWriter l;
    writeLight(l, Light{});
    EXPECT_EQ(l.size(), kLightRecordSize);
}

TEST(KzoFormat, recordsRoundTrip) {
    KzoFaceRecord face;
    face.cornerCount = 3;
    face.vertexIndex[0] = 7;
    face.vertexIndex[3] = 65535;
    face.u[1] = 0.5f;
    face.v[3] = -1.25f;
    Light light;
    light.type = kSpotLight;
    light.color[0] = 255;
    light.direction[2] = -1.0f;
    light.edgeCos = 0.25f;
    ByteWriter w;
    writeKzoFace(w, face);
    writeLight(w, light);
    ByteReader r(w.bytes());
    const KzoFaceRecord f = readKzoFace(r);
    const Light l = readLight(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(f.vertexIndex[0], 7);
    EXPECT_EQ(f.vertexIndex[3], 65535);
    EXPECT_EQ(f.u[1], 0.5f);
    EXPECT_EQ(f.v[3], -1.25f);
    EXPECT_EQ(l.type, kSpotLight);
    EXPECT_EQ(l.color[0], 255);
    EXPECT_EQ(l.direction[2], -1.0f);
    EXPECT_EQ(l.edgeCos, 0.25f);
    EXPECT_EQ(w.bytes()[kKzoFaceRecordSize + 31], 0); // pad byte after the colour
}

TEST(KzoFormat, expectedSizeFollowsCountsAndShading) {
    KzoHeader h;
    h.materialCount = 1;
    h.vertexCount = 4;
    h.faceCount = 2;
    EXPECT_EQ(kzoExpectedFileSize(h), 176u);
    h.shadingType = kRealtimeFlat;
    EXPECT_EQ(kzoExpectedFileSize(h), 200u);
    h.shadingType = kRealtimeGouraud;
    EXPECT_EQ(kzoExpectedFileSize(h), 176u + 48u);
    h.shadingType = kPrecalcFlat;
    EXPECT_EQ(kzoExpectedFileSize(h), 176u + 8u);
    h.shadingType = 9;
    EXPECT_EQ(kzoExpectedFileSize(h), 176u);
    h.faceCount = -1;
    EXPECT_EQ(kzoExpectedFileSize(h), std::nullopt);
}

TEST(KzoFormat, shadingTypeNamesAreTheSummaryTexts) {
    EXPECT_STREQ(shadingTypeName(1), "realtime groud shading");
    EXPECT_STREQ(shadingTypeName(3), "precalculated color goroud shading");
    EXPECT_EQ(shadingTypeName(5), nullptr);
}

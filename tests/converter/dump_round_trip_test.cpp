// Files written by the converter's writers, read back by kzodump's readers:
// every value put into the model comes out of the file where it belongs.
#include "converter/import/scene_lights.h"
#include "tests/converter/kzo_expect.h"
#include "tests/converter/model_builder.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_fixture.h"
#include "tools/dump_parse.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kzo;
using namespace kzotest;

namespace {

const std::vector<std::uint8_t>& soleOutput(const std::vector<OutputFile>& outputs) {
    EXPECT_EQ(outputs.size(), 1u);
    expectWellFormedOutputs(outputs);
    return outputs.at(0).bytes;
}

//   object 0 (pivot 0): a red triangle 0 1 2
//   object 1 (pivot 1, child of 0): a textured triangle 3 4 5
void twoObjects(TestModel& t) {
    t.settings.scaleFactor = 2.0f;
    t.settings.shadingType = kRealtimeGouraud;
    t.image("wood.bmp");
    t.material(255, 0, 0).material(10, 20, 30, 0);
    t.model.materials[1].transparency = 7;
    t.vertex(0, 0, 0, 0).vertex(1, 0, 0, 0).vertex(0, 1, 0, 0);
    t.vertex(0, 0, 1, 1).vertex(1, 0, 1, 1).vertex(0, 1, 1, 1);
    t.face(0, 1, 2, 0).face(3, 4, 5, 1);
    Face& textured = t.model.faces[1];
    textured.texU[1] = 255.0f;
    textured.texV[2] = 127.5f;
    t.pivot().pivotPoint[0] = 0.5f;
    t.pivot(0).pivotPoint[1] = -1.25f;
    markMaterialFlags(t.model, t.settings);
}

} // namespace

TEST(DumpRoundTrip, kzoWithPivotsReadsBackEveryValuePutIn) {
    TestModel t;
    twoObjects(t);
    t.writeKzoWithPivots("r.kzo");
    const dump::KzoDump d = dump::parseKzo(soleOutput(t.outputs));

    EXPECT_EQ(d.header.version, 16);
    EXPECT_EQ(d.header.shadingType, kRealtimeGouraud);
    ASSERT_EQ(d.images.size(), 1u);
    EXPECT_EQ(d.images[0].name, "wood.bmp");

    ASSERT_EQ(d.materials.size(), 2u);
    EXPECT_EQ(d.materials[0].red, 255);
    EXPECT_EQ(d.materials[0].imageIndex, -1);
    EXPECT_EQ(d.materials[0].flags, kMaterialAlways | kMaterialShaded);
    EXPECT_EQ(d.materials[0].materialFaceCount, 1);
    EXPECT_EQ(d.materials[1].blue, 30);
    EXPECT_EQ(d.materials[1].transparency, 7);
    EXPECT_EQ(d.materials[1].imageIndex, 0);
    EXPECT_EQ(d.materials[1].flags,
              kMaterialAlways | kMaterialShaded | kMaterialTextured | kMaterialTextured40);
    EXPECT_EQ(d.materials[1].materialFaceCount, 1);

    ASSERT_EQ(d.vertices.size(), 6u);
    EXPECT_EQ(d.vertices[4].x, 2.0f); // scaled by 2, in the object's own space
    EXPECT_EQ(d.vertices[4].z, 2.0f);
    EXPECT_EQ(d.vertices[2].y, 2.0f);

    ASSERT_EQ(d.faces.size(), 2u);
    EXPECT_EQ(d.faces[1].vertexIndex[0], 3);
    EXPECT_EQ(d.faces[1].vertexIndex[2], 5);
    EXPECT_EQ(d.faces[1].u[1], 255.0f);
    EXPECT_EQ(d.faces[1].v[2], 127.5f);

    ASSERT_EQ(d.pivots.size(), 2u);
    EXPECT_EQ(d.pivots[0].pivotPoint[0], 1.0f);
    EXPECT_EQ(d.pivots[0].parent, kKzoNoParent);
    EXPECT_EQ(d.pivots[0].pivotVertexCount, 3);
    EXPECT_EQ(d.pivots[1].pivotPoint[1], -2.5f);
    EXPECT_EQ(d.pivots[1].parent, 0);
    EXPECT_EQ(d.pivots[1].pivotVertexCount, 3);

    ASSERT_EQ(d.normals.size(), 6u);
    for (const auto& n : d.normals) {
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-6f);
        EXPECT_EQ(std::fabs(n[2]), 1.0f); // both triangles lie in z planes
        EXPECT_EQ(n, d.normals[0]);
    }
    EXPECT_EQ(d.trailingBytes, 0u);
}

TEST(DumpRoundTrip, everyShadingTypeOfWriteKzoPassesTheCheck) {
    for (std::int32_t type = kNoShading; type <= kPrecalcFlat; ++type) {
        TestModel t;
        twoObjects(t);
        t.settings.shadingType = type;
        markMaterialFlags(t.model, t.settings);
        t.writeKzo("s.kzo");
        const dump::KzoDump d = dump::parseKzo(soleOutput(t.outputs));
        EXPECT_EQ(d.header.pivotCount, 0) << type;
        EXPECT_EQ(d.header.shadingType, type);
    }
}

TEST(DumpRoundTrip, motFileReadsBackLastFrameAndScaledKeys) {
    SceneFixture f;
    f.settings.scaleFactor = 2.0f;
    f.writeMot(sceneOf(lws({"LastFrame 60", "LoadObject a.lwo"}) +
                       envelope("ObjectMotion", {key(1, 2, 3).hpb(90, -45, 5).scale(1, 2, 3),
                                                 key(0, 0, 0).frame(60)}) +
                       envelope("CameraMotion", {key(0, 0, -10)})),
               "s.mot");
    const dump::MotDump d = dump::parseMot(soleOutput(f.outputs));
    EXPECT_EQ(d.lastFrame, 60);
    ASSERT_EQ(d.blocks.size(), 2u);
    ASSERT_EQ(d.blocks[0].keys.size(), 2u);
    const MotionKey& k = d.blocks[0].keys[0];
    EXPECT_EQ(k.position[0], 2.0f);
    EXPECT_EQ(k.position[2], 6.0f);
    EXPECT_EQ(k.heading, 90.0f);
    EXPECT_EQ(k.pitch, -45.0f);
    EXPECT_EQ(k.bank, 5.0f);
    EXPECT_EQ(k.scale[2], 3.0f);
    EXPECT_EQ(d.blocks[0].keys[1].frame, 60);
    EXPECT_EQ(d.blocks[1].keys.at(0).position[2], -20.0f);
}

TEST(DumpRoundTrip, camFileReadsBackItsThreeSections) {
    SceneFixture f;
    SceneDescription scene = f.parse(
        sceneOf(lws({"LoadObject a.lwo"}) + envelope("ObjectMotion", {key(0, 1, 0)}) +
                lws({"AddNullObject n"}) + envelope("ObjectMotion", {key(3, 0, 0)}) +
                envelope("CameraMotion", {key(0, 0, -10).frame(0), key(0, 0, -5).frame(9)}) +
                lws({"ParentObject 1", "TargetObject 2"})));
    // The target: its pivot point, and the position of its first key (3, 0, 0).
    scene.objects[1].pivotPoint[0] = 4.0f;
    f.writeCam(scene, "s.cam");
    const dump::CamDump d = dump::parseCam(soleOutput(f.outputs));
    ASSERT_TRUE(d.camera);
    ASSERT_EQ(d.camera->keys.size(), 2u);
    EXPECT_EQ(d.camera->keys[1].frame, 9);
    EXPECT_EQ(d.camera->keys[1].position[2], -5.0f);
    ASSERT_TRUE(d.parent.block);
    EXPECT_EQ(d.parent.block->keys.at(0).position[1], 1.0f);
    ASSERT_TRUE(d.target.block);
    EXPECT_EQ(d.target.block->keys.at(0).position[0], 3.0f);
    ASSERT_TRUE(d.targetPoint);
    EXPECT_EQ((*d.targetPoint)[0], 4.0f + 3.0f);
}

TEST(DumpRoundTrip, kzlFileReadsBackEveryLightField) {
    SceneFixture f;
    f.settings.lightFile = 1;
    f.writeSideFiles(
        f.parse(sceneOf(lws({"AddLight", "LightType 2"}) +
                        envelope("LightMotion", {key(1, 2, 3).hpb(90, 0, 0)}) +
                        lws({"LightColor 255 128 0", "LgtIntensity 0.5", "LightRange 40",
                             "ConeAngle 30", "EdgeAngle 20", "AddLight"}))),
        "s.kzo");
    const dump::KzlDump d = dump::parseKzl(soleOutput(f.outputs));
    ASSERT_EQ(d.lights.size(), 2u);
    const Light& spot = d.lights[0];
    EXPECT_EQ(spot.type, kSpotLight);
    EXPECT_EQ(spot.position[2], 3.0f);
    EXPECT_NEAR(spot.direction[0], -1.0f, 1e-6f);
    EXPECT_EQ(spot.color[0], 255);
    EXPECT_EQ(spot.color[1], 128);
    EXPECT_EQ(spot.intensity, 0.5f);
    EXPECT_EQ(spot.range, 40.0f);
    EXPECT_EQ(spot.coneCos, static_cast<float>(std::cos(30.0 * 3.141592 / 180.0)));
    EXPECT_EQ(spot.edgeCos, static_cast<float>(std::cos(31.0 * 3.141592 / 180.0)));
    EXPECT_EQ(d.lights[1].type, kDistantLight);
    EXPECT_EQ(d.lights[1].range, -1.0f);
}

#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_files.h"
#include "tests/converter/scene/scene_fixture.h"

using namespace kzo;
using namespace kzotest;

namespace {

// grand (object 1) turned by heading 90 and moved to x 10; parent (object 2)
// under it moved up by 5; child (object 3) under the parent moved by z 2.
// Every object is one triangle (0,0,0) (1,0,0) (0,1,0) in its own space, moved
// by 100 per object so that no vertex is shared.
struct ThreeLevels : SceneFiles {
    ThreeLevels() {
        for (int i = 0; i < 3; ++i) {
            const float o = 100.0f * static_cast<float>(i);
            write("Objects/obj" + std::to_string(i) + ".3ds",
                  triangle3ds("o", {o, 0, 0}, {o + 1, 0, 0}, {o, 0, 1}));
        }
        write("scene.lws",
              (lws({"LWSC", "1", "LastFrame 10", "LoadObject C:\\LW\\Objects\\obj0.lwo"}) +
               envelope("ObjectMotion", {key(10, 0, 0).hpb(90, 0, 0)}) +
               lws({"LoadObject Objects\\obj1.lwo"}) + envelope("ObjectMotion", {key(0, 5, 0)}) +
               lws({"ParentObject 1", "LoadObject Objects\\OBJ2.LWO"}) +
               envelope("ObjectMotion", {key(0, 0, 2), key(1, 1, 1).frame(10)}) +
               lws({"PivotPoint 0.5 0 0", "ParentObject 2"}))
                  .text);
    }
};

struct Vec {
    float x, y, z;
};

// The vertex records of a KZO file without images.
std::vector<Vec> kzoVertices(const std::vector<std::uint8_t>& kzo) {
    ByteReader in(kzo);
    in.skip(8);
    const std::int32_t materials = in.i32le();
    const std::int32_t vertices = in.i32le();
    in.seek(28 + 12 * static_cast<std::size_t>(materials));
    std::vector<Vec> out;
    for (std::int32_t i = 0; i < vertices; ++i) {
        const float x = in.f32le();
        const float y = in.f32le();
        out.push_back({x, y, in.f32le()});
    }
    return out;
}

void expectNear(Vec v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-4);
    EXPECT_NEAR(v.y, y, 1e-4);
    EXPECT_NEAR(v.z, z, 1e-4);
}

} // namespace

TEST(ImportLwsScene, writeKzoPlacesEveryLevelOfTheHierarchyInSceneSpace) {
    ThreeLevels files;
    SceneFixture f;
    f.convertScene(files.path("scene.lws"), files.path("scene.kzo"));
    EXPECT_EQ(f.outputs.size(), 1u);
    const auto v = kzoVertices(f.output(files.path("scene.kzo")));
    ASSERT_EQ(v.size(), 9u);
    // Heading 90 takes (x, y, z) to (z, y, -x).
    expectNear(v[0], 10, 0, 0);
    expectNear(v[1], 10, 0, -1);
    expectNear(v[2], 10, 1, 0);
    expectNear(v[3], 10, 5, -100);
    expectNear(v[6], 12, 5, -199.5f); // (200, 0, 0) about the pivot point (0.5, 0, 0)
    expectNear(v[8], 12, 6, -199.5f);
}

TEST(ImportLwsScene, writeKzoWithPivotsKeepsObjectSpaceAndWritesTheHierarchy) {
    ThreeLevels files;
    SceneFixture f;
    f.settings.animation = 1;
    f.settings.scaleFactor = 2.0f;
    f.convertScene(files.path("scene.lws"), files.path("scene.kzo"));
    ASSERT_EQ(f.outputs.size(), 2u);
    const auto& kzo = f.output(files.path("scene.kzo"));
    const auto v = kzoVertices(kzo);
    ASSERT_EQ(v.size(), 9u);
    expectNear(v[6], 400, 0, 0);
    expectNear(v[8], 400, 2, 0);

    ByteReader in(kzo);
    in.seek(20);
    EXPECT_EQ(in.i32le(), 3); // pivots
    in.seek(28 + 12 + 9 * 12 + 3 * 44);
    const std::uint16_t parents[3] = {kNoParent, 0, 1};
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(in.f32le(), p == 2 ? 1.0f : 0.0f); // pivot point, scaled
        in.skip(8);
        EXPECT_EQ(in.u16le(), parents[p]);
        EXPECT_EQ(in.u16le(), 3); // its object's vertices
    }
    EXPECT_TRUE(in.atEnd());

    ByteReader mot(f.output(files.path("scene.mot")));
    EXPECT_EQ(mot.i32le(), 10);
    EXPECT_EQ(mot.i32le(), 3);
    EXPECT_EQ(mot.size(), 8u + 3 * 4 + 4 * 40);
}

TEST(ImportLwsScene, writesAllFourFilesWithTheCameraTargetPoint) {
    SceneFiles files;
    files.write("box.3ds", triangle3ds("box", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}));
    files.write(
        "s.lws",
        (lws({"LastFrame 30", "LoadObject box.lwo"}) + envelope("ObjectMotion", {key(0, 2, 0)}) +
         lws({"PivotPoint 1 0 0", "AddNullObject n"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
         lws({"AmbientColor 10 10 10", "AddLight"}) +
         envelope("LightMotion", {key(0, 10, 0).hpb(0, 90, 0)}) +
         envelope("CameraMotion", {key(0, 0, -10)}) + lws({"ParentObject 2", "TargetObject 1"}))
            .text);
    SceneFixture f;
    f.settings.animation = 1;
    f.settings.shadingType = kPrecalcGouraud;
    f.settings.scaleFactor = 2.0f;
    f.settings.cameraFile = 1;
    f.settings.lightFile = 1;
    f.convertScene(files.path("s.lws"), "out/s.kzo");
    ASSERT_EQ(f.outputs.size(), 4u);
    EXPECT_EQ(f.outputs[0].path, "out/s.kzo");
    EXPECT_EQ(f.outputs[1].path, "out/s.mot");
    EXPECT_EQ(f.outputs[2].path, "out/s.cam");
    EXPECT_EQ(f.outputs[3].path, "out/s.kzl");
    expectWellFormedOutputs(f.outputs);
    EXPECT_EQ(f.messages.front(), "'out/s.kzo' Writing...");
    EXPECT_EQ(f.messages[f.messages.size() - 2], "'out/s.cam' Writing...");
    EXPECT_EQ(f.messages.back(), "'out/s.kzl' Writing...");

    const auto& cam = f.output("out/s.cam");
    ASSERT_EQ(cam.size(), 44u + 44 + 44 + 12);
    ByteReader in(cam);
    in.seek(cam.size() - 12);
    EXPECT_EQ(in.f32le(), 2.0f); // pivot (1, 0, 0) scaled by 2, plus key (0, 2, 0)
    EXPECT_EQ(in.f32le(), 2.0f);
    EXPECT_EQ(in.f32le(), 0.0f);

    ByteReader kzl(f.output("out/s.kzl"));
    EXPECT_EQ(kzl.i32le(), 1);
    EXPECT_EQ(f.model.ambientColor[0], 10.0f);
}

TEST(ImportLwsScene, aMissingObjectAbandonsTheScene) {
    SceneFiles files;
    files.write("s.lws", lws({"LoadObject Objects\\missing.lwo"}).text);
    SceneFixture f;
    EXPECT_THROW(f.convertScene(files.path("s.lws"), "out/s.kzo"), FatalErrorSignal);
    EXPECT_EQ(f.messages, std::vector<std::string>{"ERROR: cannot open 'Objects\\missing.3ds'"});
    EXPECT_TRUE(f.outputs.empty());
}

TEST(ImportLwsScene, objectNamesWithBlanksAreFoundWhole) {
    SceneFiles files;
    files.write("Objects/my box.3ds", triangle3ds("box", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}));
    files.write("s.lws",
                lws({"LoadObject Objects\\my box.lwo", "LoadObject Objects\\no such.lwo"}).text);
    SceneFixture f;
    // The first object loads; the second exists under neither name, and the
    // error names it whole.
    EXPECT_THROW(f.convertScene(files.path("s.lws"), "out/s.kzo"), FatalErrorSignal);
    EXPECT_EQ(f.model.vertexCount, 3);
    EXPECT_EQ(f.messages, std::vector<std::string>{"ERROR: cannot open 'Objects\\no such.3ds'"});
}

TEST(ImportLwsScene, anUnreadableSceneIsAnError) {
    SceneFiles files;
    SceneFixture f;
    const std::string scene = files.path("absent.lws");
    EXPECT_THROW(f.convertScene(scene, "out/a.kzo"), FatalErrorSignal);
    EXPECT_EQ(f.messages, std::vector<std::string>{"ERROR: cannot open '" + scene + "'"});
}

TEST(ImportLwsScene, lightsOfAnEarlierSceneDoNotReachTheNext) {
    SceneFiles files;
    files.write("lit.lws", lws({"AmbientColor 50 50 50", "AddLight", "AddLight"}).text);
    files.write("dark.lws", lws({"AddNullObject n"}).text);
    SceneFixture f;
    f.settings.lightFile = 1;
    f.convertScene(files.path("lit.lws"), "lit.kzo");
    EXPECT_EQ(f.model.lightCount, 2);
    f.convertScene(files.path("dark.lws"), "dark.kzo");
    EXPECT_EQ(f.model.lightCount, 0);
    EXPECT_EQ(f.model.ambientColor[0], 0.0f);
    ASSERT_EQ(f.outputs.size(), 1u); // the KZO file only
}

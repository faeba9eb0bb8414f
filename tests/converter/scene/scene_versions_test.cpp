// One scene written in the layout of versions 1, 2, 3 and 5, its objects as
// .3ds twins (versions 1, 2), LWO2 (version 3) and LWOB files (version 5),
// converts to the same files.
#include "converter/app/command_line.h"
#include "tests/converter/scene/build_lws_versions.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/build_3ds.h"
#include "tests/support/build_lwo2.h"

#include "format/byte_reader.h"

#include <bit>
#include <map>
#include <sstream>

using namespace kzotest;

namespace {

// An object in LightWave's axes: polygons in LightWave's corner order, the
// first of them on a coloured surface, the others on none.
struct Mesh {
    std::vector<std::array<float, 3>> points;
    std::vector<std::vector<std::uint16_t>> polygons;
};

const Mesh kBox = {{{0, 0, 0}, {2, 0, 0}, {2, 0, 2}, {0, 0, 2}, {1, 1, 1}},
                   {{0, 1, 2, 3}, {1, 4, 2}}};
const Mesh kCone = {{{0, 0, 0}, {1, 0, 0}, {0, 2, 0}}, {{0, 1, 2}}};

Bytes twin3ds(const Mesh& mesh) {
    std::vector<Vec3> swapped;
    for (const auto& p : mesh.points) {
        swapped.push_back({p[0], p[2], p[1]});
    }
    std::vector<Tri> triangles;
    std::vector<std::uint16_t> coloured;
    for (std::size_t i = 0; i < mesh.polygons.size(); ++i) {
        const auto& poly = mesh.polygons[i];
        for (std::size_t k = 1; k + 1 < poly.size(); ++k) {
            if (i == 0) {
                coloured.push_back(static_cast<std::uint16_t>(triangles.size()));
            }
            triangles.push_back({poly[0], poly[k], poly[k + 1]});
        }
    }
    return file3ds(material("Paint", rgbBytes(200, 0, 255)) +
                   object("o", vertexList(swapped) +
                                   faceList(triangles, faceMaterialList("Paint", coloured))));
}

Bytes lwo2(const Mesh& mesh) {
    std::vector<std::vector<std::uint32_t>> polygons;
    for (const auto& poly : mesh.polygons) {
        polygons.emplace_back(poly.begin(), poly.end());
    }
    return lwo2File(tags({"Paint"}) + layr(0, "") + pnts(mesh.points) + pols2("FACE", polygons) +
                    ptagSurf({{{0, 0}}}) + surf2("Paint", colr(200 / 255.0f, 0, 1)));
}

Bytes lwob(const Mesh& mesh) {
    Bytes polygons;
    for (std::size_t i = 0; i < mesh.polygons.size(); ++i) {
        polygons.u16be(static_cast<std::uint16_t>(mesh.polygons[i].size()));
        for (std::uint16_t p : mesh.polygons[i]) {
            polygons.u16be(p);
        }
        polygons.i16be(i == 0 ? 1 : 0);
    }
    return lwobFile(
        pnts(mesh.points) + lwoChunk("SRFS", s0("Paint")) + iffChunk("POLS", polygons) +
        lwoChunk("SURF", s0("Paint") + subchunk("COLR", Bytes().u8(200).u8(0).u8(255).u8(0))));
}

SceneOutline outline(bool rotations) {
    SceneOutline s;
    s.lastFrame = 40;
    Key boxEnd = key(2, 3, 1).frame(40).scale(2, 2, 2);
    if (rotations) {
        boxEnd.hpb(30, -45, 170);
    }
    s.objects.push_back({"Objects/box.lwo",
                         {0.5f, 0, 0},
                         0,
                         {key(0, 1, 0), key(2, 1, 0).frame(20), boxEnd},
                         0x1000000A});
    s.objects.push_back({"", {0, 1, 0}, 1, {key(1, 0, 0)}, 0x10000003});
    Key coneKey = key(0, 0, 1).frame(10);
    if (rotations) {
        coneKey.hpb(-90, 12.5f, 1);
    }
    s.objects.push_back({"Objects/cone.lwo", {}, 2, {coneKey}, 0x10000001});
    SpecLight light;
    light.type = 2;
    light.color = {255, 128, 0};
    light.intensity = 0.75f;
    light.range = 20;
    light.cone = 30;
    light.edge = 40;
    light.key = key(0, 5, -5);
    s.lights.push_back(light);
    s.ambient = {200, 100, 50};
    s.ambientIntensity = 0.5f;
    s.cameraKeys = {key(0, 1, -10)};
    s.cameraTarget = 1;
    return s;
}

// Converts the scene of the given version and returns its output files.
std::map<std::string, std::vector<std::uint8_t>> convert(const SceneOutline& s, int version,
                                                         const std::vector<std::string>& options) {
    TempDir in, out;
    std::filesystem::create_directories(in.path() / "Objects");
    const auto put = [&](const std::string& name, const Bytes& b) {
        writeBytes(in / name, b.data);
    };
    if (version <= 2) {
        put("Objects/box.3ds", twin3ds(kBox));
        put("Objects/cone.3ds", twin3ds(kCone));
    } else {
        put("Objects/box.lwo", version == 3 ? lwo2(kBox) : lwob(kBox));
        put("Objects/cone.lwo", version == 3 ? lwo2(kCone) : lwob(kCone));
    }
    const std::string text = sceneInVersion(s, version).text;
    writeBytes(in / "scene.lws", {text.begin(), text.end()});
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-o", out.path().string(), in / "scene.lws"});
    std::ostringstream stdOut, stdErr;
    EXPECT_EQ(kzo::runCommandLine(args, stdOut, stdErr), 0) << stdErr.str();
    EXPECT_EQ(stdErr.str(), "");
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const std::string& name : listDirectory(out.path())) {
        files[name] = readBytes(out / name);
    }
    return files;
}

// Whether two floats lie at most one unit in the last place apart.
bool withinOneUlp(float a, float b) {
    const auto ia = std::bit_cast<std::int32_t>(a);
    const auto ib = std::bit_cast<std::int32_t>(b);
    return a == b || ((ia < 0) == (ib < 0) && (ia > ib ? ia - ib : ib - ia) <= 1);
}

} // namespace

TEST(SceneVersions, oneSceneInEveryVersionGivesTheSameFiles) {
    for (const auto& options : std::vector<std::vector<std::string>>{
             {"--animation", "--camera", "--light"},
             {"--shading", "precalc-gouraud", "--camera", "--light"}}) {
        const auto v1 = convert(outline(false), 1, options);
        ASSERT_EQ(v1.size(), options[0] == "--animation" ? 4u : 3u);
        for (int version : {2, 3, 5}) {
            SCOPED_TRACE(version);
            EXPECT_EQ(convert(outline(false), version, options), v1);
        }
    }
}

TEST(SceneVersions, radiansGiveTheDegreesOfVersionOneWithinOneUnitInTheLastPlace) {
    const std::vector<std::string> options = {"--animation"};
    const auto v1 = convert(outline(true), 1, options);
    for (int version : {3, 5}) {
        SCOPED_TRACE(version);
        const auto later = convert(outline(true), version, options);
        EXPECT_EQ(later.at("scene.kzo"), v1.at("scene.kzo"));
        const std::vector<std::uint8_t>& a = v1.at("scene.mot");
        const std::vector<std::uint8_t>& b = later.at("scene.mot");
        ASSERT_EQ(a.size(), b.size());
        bool someRotation = false;
        // Past the header and each block's count the keys are an int32 frame
        // and nine floats; the words compared as floats cover the frames too.
        kzo::ByteReader ra(a);
        kzo::ByteReader rb(b);
        while (!ra.atEnd()) {
            const float x = ra.f32le();
            const float y = rb.f32le();
            EXPECT_TRUE(withinOneUlp(x, y)) << "byte " << ra.position() << ": " << x << " " << y;
            someRotation = someRotation || x == 170.0f;
        }
        EXPECT_TRUE(someRotation);
    }
}

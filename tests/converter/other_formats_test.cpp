// Models of other formats through the whole conversion: one model saved as
// 3DS, OBJ and glTF gives the same KZO file up to the order of its vertices;
// a model over the tables is refused, or fitted with --fit; the dispatch and
// the output names of these inputs.
#include "converter/app/command_line.h"
#include "converter/pipeline/convert_file.h"
#include "tests/converter/collecting_converter.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/model_formats.h"
#include "tools/dump_parse.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

using namespace kzo;
using namespace kzotest;

namespace {

struct CliRun {
    int status = -1;
    std::vector<std::string> out;
    std::string err;
};

CliRun kzomaker(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CliRun r;
    r.status = runCommandLine(args, out, err);
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        r.out.push_back(line);
    }
    r.err = err.str();
    return r;
}

std::string exact(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%a", static_cast<double>(value));
    return text;
}

// The KZO file as text in which vertex numbers do not appear: each face by its
// corners' positions, texture coordinates and vertex normals.
std::vector<std::string> withoutVertexOrder(const std::vector<std::uint8_t>& bytes) {
    const dump::KzoDump kzo = dump::parseKzo(bytes);
    std::vector<std::string> text;
    const KzoHeader& h = kzo.header;
    text.push_back("counts " + std::to_string(h.imageCount) + " " +
                   std::to_string(h.materialCount) + " " + std::to_string(h.vertexCount) + " " +
                   std::to_string(h.faceCount) + " " + std::to_string(h.pivotCount) + " shading " +
                   std::to_string(h.shadingType));
    for (const auto& image : kzo.images) {
        text.push_back("image " + image.name);
    }
    for (const auto& m : kzo.materials) {
        text.push_back("material " + std::to_string(m.red) + " " + std::to_string(m.green) + " " +
                       std::to_string(m.blue) + " " + std::to_string(m.transparency) + " " +
                       std::to_string(m.imageIndex) + " " + std::to_string(m.flags) + " " +
                       std::to_string(m.materialFaceCount));
    }
    for (const auto& face : kzo.faces) {
        std::string line = "face";
        for (int k = 0; k < face.cornerCount; ++k) {
            const std::uint16_t v = face.vertexIndex[k];
            const KzoVertexRecord& p = kzo.vertices.at(v);
            const auto& n = kzo.normals.at(v);
            line += " (" + exact(p.x) + " " + exact(p.y) + " " + exact(p.z) + " uv " +
                    exact(face.u[k]) + " " + exact(face.v[k]) + " n " + exact(n[0]) + " " +
                    exact(n[1]) + " " + exact(n[2]) + ")";
        }
        text.push_back(line);
    }
    return text;
}

} // namespace

TEST(OtherFormats, oneModelSavedAsThreeDsObjAndGltfConvertsToTheSameKzo) {
    const TestModel source = roofAndWall();
    TempDir dir;
    writeBytes(dir / "model.3ds", as3ds(source).data);
    std::ofstream(dir / "model.obj") << asObj(source, "model.mtl");
    std::ofstream(dir / "model.mtl") << asMtl(source);
    const GltfFiles gltf = asGltf(source, "model.bin");
    std::ofstream(dir / "model.gltf") << gltf.json;
    writeBytes(dir / "model.bin", gltf.bin.data);

    Converter c;
    c.settings.shadingType = kRealtimeGouraud;
    std::map<std::string, std::vector<std::string>> converted;
    for (const char* name : {"model.3ds", "model.obj", "model.gltf"}) {
        TempDir out;
        std::string output;
        ASSERT_EQ(c.convert(dir / name, out.path().string(), &output), ConversionOutcome::converted)
            << name << ": " << (c.lines.empty() ? "" : c.lines.back());
        EXPECT_EQ(output, out / "model.kzo");
        converted[name] = withoutVertexOrder(readBytes(output));
    }
    EXPECT_EQ(converted["model.3ds"].front(), "counts 1 2 6 4 0 shading 1");
    EXPECT_EQ(converted["model.obj"], converted["model.3ds"]);
    EXPECT_EQ(converted["model.gltf"], converted["model.3ds"]);
}

namespace {

// A bumpy n x n height field as OBJ text: (n + 1)^2 vertices, 2 n^2 faces.
std::string heightFieldObj(int n) {
    std::string text;
    for (int z = 0; z <= n; ++z) {
        for (int x = 0; x <= n; ++x) {
            text += "v " + std::to_string(x) + " " + std::to_string((x * x + 3 * z * z) % 7) + " " +
                    std::to_string(z) + "\n";
        }
    }
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            const int a = z * (n + 1) + x + 1, b = a + 1, c = a + n + 1, d = c + 1;
            text += "f " + std::to_string(a) + " " + std::to_string(c) + " " + std::to_string(b) +
                    "\nf " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d) +
                    "\n";
        }
    }
    return text;
}

} // namespace

TEST(OtherFormats, modelOverTheTablesIsRefusedWithoutFitAndFittedWithIt) {
    TempDir dir;
    const std::string input = dir / "field.obj";
    std::ofstream(input) << heightFieldObj(150);
    const CliRun refused = kzomaker({"-o", dir.path().string(), input});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "ERROR: '" + input + "' has 22801 vertices, more than 20000 (--fit simplifies it)\n");
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"field.obj"}));

    const CliRun fitted = kzomaker({"--fit", "-o", dir.path().string(), input});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    const dump::KzoDump kzo = dump::parseKzo(readBytes(dir / "field.kzo"));
    EXPECT_LE(kzo.header.vertexCount, 20000);
    EXPECT_LE(kzo.header.faceCount, 20000);
    EXPECT_GT(kzo.header.faceCount, 15000);
    ASSERT_GE(fitted.out.size(), 2u);
    EXPECT_EQ(fitted.out[1],
              "'" + input + "' simplified to fit: " + std::to_string(45000 - kzo.header.faceCount) +
                  " of 45000 faces removed, " + std::to_string(kzo.header.vertexCount) +
                  " vertices remain");

    // A 3DS file keeps its capacity error.
    TestModel model3ds;
    for (int half = 0; half < 2; ++half) {
        TestObject object{"half", {}, {}, {{0, 1, 2}}, "none"};
        for (int i = 0; i < 10001; ++i) {
            object.points.push_back({float(i), float(half), 0});
        }
        model3ds.objects.push_back(object);
    }
    writeBytes(dir / "field.3ds", as3ds(model3ds).data);
    const CliRun studio = kzomaker({"--fit", "-o", dir.path().string(), dir / "field.3ds"});
    EXPECT_EQ(studio.status, 1);
    EXPECT_EQ(studio.err, "ERROR: '" + (dir / "field.3ds") + "' has more than 20000 vertices\n");
}

TEST(OtherFormats, theLibraryIsAskedOnlyForNamesThatAreNotOurs) {
    TempDir dir;
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::ofstream(dir / "a.b.obj") << triangle;
    Converter c;
    std::string output;
    EXPECT_EQ(c.convert(dir / "a.b.obj", dir.path().string(), &output),
              ConversionOutcome::converted);
    EXPECT_EQ(output, dir / "a.b.kzo");

    // The engine's own files are never inputs, whatever the library claims;
    // neither is what the library does not read.
    for (const char* name : {"x.kzo", "x.mot", "x.cam", "x.kzl", "notes.txt", "noextension"}) {
        std::ofstream(dir / name) << triangle;
        EXPECT_EQ(c.convert(dir / name, dir.path().string()), ConversionOutcome::rejected) << name;
        EXPECT_EQ(c.lines.back(), "'" + (dir / name) + "' is not lws or 3ds file");
    }

    std::ofstream(dir / "broken.gltf") << "{\"asset\":";
    EXPECT_EQ(c.convert(dir / "broken.gltf", dir.path().string()), ConversionOutcome::failed);
    EXPECT_TRUE(c.lines.back().starts_with("ERROR: cannot read '" + (dir / "broken.gltf") + "': "))
        << c.lines.back();
    EXPECT_EQ(c.convert(dir / "gone.obj", dir.path().string()), ConversionOutcome::failed);
    EXPECT_EQ(c.lines.back(), "ERROR: cannot open '" + (dir / "gone.obj") + "'");

    c.settings.animation = 1;
    c.settings.cameraFile = 1;
    c.lines.clear();
    EXPECT_EQ(c.convert(dir / "a.b.obj", dir.path().string()), ConversionOutcome::converted);
    // Its objects and their keys go into the .mot file; it has no camera and
    // says so.
    EXPECT_EQ(c.lines[1], "'" + (dir / "a.b.obj") + "' has no camera: its .cam file holds none");
    EXPECT_EQ(
        listDirectory(dir.path()),
        (std::vector<std::string>{"a.b.cam", "a.b.kzo", "a.b.mot", "a.b.obj", "broken.gltf",
                                  "noextension", "notes.txt", "x.cam", "x.kzl", "x.kzo", "x.mot"}));
}

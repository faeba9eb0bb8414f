// The library's own 3DS reader turns a 3DS file y up, as it reads every other
// format; mapped back, the file must give the converter's 3DS reader's
// triangles: the same corners in the same order (so the same front faces),
// texture coordinates and materials, and the same welding. This is the
// witness that the mapping's axes and winding are the library's convention
// and not only ours (the converter's tests compare whole KZO files of one
// model saved as 3DS, OBJ and glTF).
#include "converter/import/load_3ds.h"
#include "converter/model/scene_model.h"
#include "modelimport/module/read_model_file.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/model_formats.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using kzotest::TestModel;

std::string exact(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%a", static_cast<double>(value));
    return text;
}

std::string corner(float x, float y, float z, float u, float v) {
    return "(" + exact(x) + " " + exact(y) + " " + exact(z) + " uv " + exact(u) + " " + exact(v) +
           ")";
}

std::string material(int r, int g, int b, int transparency, const std::string& image) {
    return " colour " + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) +
           " transparency " + std::to_string(transparency) + " image '" + image + "'";
}

// Texture coordinates in the converter's texel units.
float texel(float value) {
    return static_cast<float>(static_cast<double>(value) * 255.0);
}

std::vector<std::string> facesOf(const kzo::SceneModel& model) {
    std::vector<std::string> faces;
    for (std::int32_t f = 0; f < model.faceCount; ++f) {
        const kzo::Face& face = model.faces[static_cast<std::size_t>(f)];
        std::string text;
        for (int k = 0; k < 3; ++k) {
            const kzo::Vertex& v = model.vertices[face.vertexIndex[k]];
            text += corner(v.x, v.y, v.z, face.texU[k], face.texV[k]);
        }
        const kzo::Material& m = model.materials[static_cast<std::size_t>(face.materialIndex)];
        const std::string image =
            m.imageIndex >= 0 ? model.images[static_cast<std::size_t>(m.imageIndex)].name : "";
        faces.push_back(text + material(m.red, m.green, m.blue, m.transparency, image));
    }
    return faces;
}

std::vector<std::string> facesOf(const kzo::ImportedModel& model) {
    std::vector<std::string> faces;
    for (std::size_t f = 0; f < model.faceCount(); ++f) {
        std::string text;
        for (std::size_t k = 0; k < 3; ++k) {
            const float* p = &model.positions[3 * model.triangles[3 * f + k]];
            const float* uv = &model.cornerUvs[6 * f + 2 * k];
            text += corner(p[0], p[1], p[2], texel(uv[0]), texel(uv[1]));
        }
        const kzo::ImportedMaterial& m =
            model.materials[static_cast<std::size_t>(model.faceMaterials[f])];
        faces.push_back(text + material(m.red, m.green, m.blue, m.transparency, m.imageName));
    }
    return faces;
}

TEST(CrossFormatTest, libraryReadingOfA3dsFileMapsBackToTheConvertersReading) {
    const TestModel source = kzotest::roofAndWall();
    kzotest::TempDir dir;
    const kzotest::Bytes file3ds = kzotest::as3ds(source);
    kzotest::writeBytes(dir / "model.3ds", file3ds.data);

    kzo::SceneModel scene;
    kzo::resetSceneModel(scene);
    kzo::load3dsBuffer(scene, file3ds.data, "model.3ds");
    const std::vector<std::string> expected = facesOf(scene);
    ASSERT_EQ(expected.size(), 4u);

    const kzo::ImportedModel model = kzo::readModelWithLibrary(dir / "model.3ds");
    EXPECT_EQ(facesOf(model), expected);
    EXPECT_EQ(model.vertexCount(), static_cast<std::size_t>(scene.vertexCount));
}

} // namespace

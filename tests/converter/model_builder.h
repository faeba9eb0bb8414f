// A scene model filled by hand, for tests of the steps after reading.
#pragma once

#include "converter/encode/kzo_file.h"
#include "converter/model/paths.h"
#include "converter/model/scene_model.h"
#include "converter/pipeline/convert_file.h"
#include "format/file_io.h"

#include <memory>
#include <string>
#include <vector>

namespace kzotest {

struct TestModel {
    TestModel() {
        model.sink = [this](const std::string& line) { lines.push_back(line); };
        kzo::resetSceneModel(model);
    }
    TestModel(const TestModel&) = delete;
    TestModel& operator=(const TestModel&) = delete;

    kzo::SceneModel model;
    kzo::ConversionSettings settings;
    std::vector<std::string> lines;
    std::vector<kzo::OutputFile> outputs;

    // The KZO file of the model as a conversion makes it after reading: the
    // checks, the geometry, the encoder. Fatal errors pass through.
    void writeKzo(const std::string& path) {
        kzo::checkKzoEncodable(model, kzo::replaceExtension(path, "3ds"));
        kzo::processGeometry(model, settings);
        outputs.push_back(
            {path, kzo::encodeKzo(model, settings, path, kzo::replaceExtension(path, "3ds"))});
    }
    // The same with the object hierarchy kept.
    void writeKzoWithPivots(const std::string& path) {
        settings.animation = 1;
        writeKzo(path);
    }

    TestModel& vertex(float x, float y, float z, std::uint8_t pivotIndex = 0) {
        kzo::Vertex& v = model.vertices[static_cast<std::size_t>(model.vertexCount++)];
        v = kzo::Vertex{};
        v.x = x;
        v.y = y;
        v.z = z;
        v.pivotIndex = pivotIndex;
        return *this;
    }
    TestModel& face(std::uint16_t a, std::uint16_t b, std::uint16_t c,
                    std::int16_t materialIndex = 0) {
        kzo::Face& f = model.faces[static_cast<std::size_t>(model.faceCount++)];
        f = kzo::Face{};
        f.vertexIndex[0] = a;
        f.vertexIndex[1] = b;
        f.vertexIndex[2] = c;
        f.materialIndex = materialIndex;
        return *this;
    }
    TestModel& material(std::uint8_t r, std::uint8_t g, std::uint8_t b,
                        std::int16_t imageIndex = -1) {
        kzo::Material& m = model.materials[static_cast<std::size_t>(model.materialCount++)];
        m = kzo::Material{};
        m.red = r;
        m.green = g;
        m.blue = b;
        m.imageIndex = imageIndex;
        return *this;
    }
    TestModel& image(const std::string& name) {
        model.images[static_cast<std::size_t>(model.imageCount++)].name = name;
        return *this;
    }
    // position, heading/pitch/bank in degrees, scale 1
    kzo::Pivot& pivot(std::uint16_t parent = kzo::kNoParent) {
        kzo::Pivot& p = model.pivots[static_cast<std::size_t>(model.pivotCount++)];
        p = kzo::Pivot{};
        p.parentIndex = parent;
        return p;
    }
    const kzo::Vertex& v(int i) const { return model.vertices[static_cast<std::size_t>(i)]; }
    const kzo::Face& f(int i) const { return model.faces[static_cast<std::size_t>(i)]; }
};

} // namespace kzotest

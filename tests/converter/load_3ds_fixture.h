// A fresh scene model that collects its message lines, for the 3DS reader tests.
#pragma once

#include "converter/import/load_3ds.h"
#include "converter/model/scene_model.h"
#include "tests/support/build_3ds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kzotest {

class Load3dsTest : public ::testing::Test {
protected:
    Load3dsTest() {
        model.sink = [this](const std::string& line) { lines.push_back(line); };
        kzo::resetSceneModel(model);
    }

    void load(const Bytes& file, const std::string& path = "box.3ds", std::uint8_t pivotIndex = 0) {
        kzo::load3dsBuffer(model, file.data, path, kzo::weldVertex, pivotIndex);
    }

    // Loads a file that must be rejected; returns the error line.
    std::string rejected(const Bytes& file, const std::string& path = "box.3ds") {
        EXPECT_THROW(load(file, path), kzo::FatalErrorSignal);
        return lines.empty() ? std::string() : lines.back();
    }

    const kzo::Vertex& vertex(int i) const { return model.vertices[static_cast<std::size_t>(i)]; }
    const kzo::Face& face(int i) const { return model.faces[static_cast<std::size_t>(i)]; }
    const kzo::Material& storedMaterial(int i) const {
        return model.materials[static_cast<std::size_t>(i)];
    }

    kzo::SceneModel model;
    std::vector<std::string> lines;
};

// One triangle object with the given vertex list.
inline Bytes triangleObject(const std::string& name, const std::vector<Vec3>& points,
                            const Bytes& faceNested = {}) {
    return object(name, vertexList(points) + faceList({{0, 1, 2}}, faceNested));
}

} // namespace kzotest

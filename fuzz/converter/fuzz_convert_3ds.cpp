// The whole direct 3DS path after reading, on whatever the reader accepts:
// default material, sort, flags, geometry and writer. The first byte picks the
// shading type and the scale factor; the rest is the .3ds file. Every KZO file
// the writer produces must pass kzodump's checker.
#include "converter/import/load_3ds.h"
#include "converter/model/default_material.h"
#include "converter/model/kzo_writer.h"
#include "converter/model/scene_model.h"
#include "converter/model/sort_faces.h"
#include "tools/dump_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static kzo::SceneModel model;
    static const float scales[] = {1.0f, 0.01f, -2.0f, 100000.0f};
    model.pendingSettings.shadingType = data[0] % 5;
    model.pendingSettings.scaleFactor = scales[(data[0] / 5) % 4];
    kzo::resetSceneModel(model);
    for (kzo::Face& face : model.faces) {
        face.materialIndex = -1;
    }
    try {
        kzo::load3dsBuffer(model, {data + 1, size - 1}, "fuzz.3ds");
        kzo::appendDefaultMaterial(model, "fuzz.3ds");
        kzo::sortFacesByMaterial(model);
        kzo::markMaterialFlags(model);
        kzo::writeKzo(model, "fuzz.kzo");
    } catch (const kzo::FatalErrorSignal&) {
        return 0;
    }
    if (model.pendingOutputs.size() != 1) {
        std::abort();
    }
    if (const auto problem = kzo::dump::checkKzo(model.pendingOutputs[0].bytes)) {
        std::fprintf(stderr, "byte %zu: %s\n", static_cast<std::size_t>(problem->offset),
                     problem->description.c_str());
        std::abort();
    }
    return 0;
}

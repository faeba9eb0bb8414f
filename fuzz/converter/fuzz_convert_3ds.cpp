// The whole direct 3DS path after reading, on whatever the reader accepts:
// default material, sort, flags, geometry and encoder. The first byte picks
// the shading type and the scale factor; the rest is the .3ds file. Every KZO
// file the encoder produces must pass kzodump's checker.
#include "converter/import/load_3ds.h"
#include "converter/model/scene_model.h"
#include "converter/pipeline/convert_file.h"
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
    kzo::ConversionSettings settings;
    settings.shadingType = data[0] % 5;
    settings.scaleFactor = scales[(data[0] / 5) % 4];
    kzo::resetSceneModel(model);
    std::vector<kzo::OutputFile> outputs;
    try {
        kzo::load3dsBuffer(model, {data + 1, size - 1}, "fuzz.3ds");
        kzo::ImportedInput imported;
        kzo::prepareModel(model, settings, "fuzz.3ds");
        kzo::processGeometry(model, settings);
        outputs = kzo::encodeOutputs(model, imported, settings, "fuzz.3ds", "fuzz.kzo");
    } catch (const kzo::FatalErrorSignal&) {
        return 0;
    }
    if (outputs.size() != 1) {
        std::abort();
    }
    if (const auto problem = kzo::dump::checkKzo(outputs[0].bytes)) {
        std::fprintf(stderr, "byte %zu: %s\n", static_cast<std::size_t>(problem->offset),
                     problem->description.c_str());
        std::abort();
    }
    return 0;
}

// Any bytes fed to the converter's 3DS reader either load or end in the
// fatal-error signal; nothing reads outside the buffer, hangs or overflows a
// table.
#include "converter/import/load_3ds.h"
#include "converter/model/scene_model.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One model for the whole run, as in the converter: slots keep what earlier
    // inputs left, and the weld index must notice each reset.
    static kzo::SceneModel model;
    kzo::resetSceneModel(model);
    try {
        kzo::load3dsBuffer(model, {data, size}, "fuzz.3ds");
    } catch (const kzo::FatalErrorSignal&) {
    }
    return 0;
}

// Scene text in, every reader and side-file writer of the scene import run
// over it. Object files are never found: the loader stands for a .3ds that is
// absent or empty.
#include "converter/import/camera_file.h"
#include "converter/import/light_file.h"
#include "converter/import/motion_file.h"
#include "converter/import/scene_objects.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::unique_ptr<kzo::SceneModel> model = std::make_unique<kzo::SceneModel>();
    resetSceneModel(*model);
    model->settings.animation = 1;
    model->settings.cameraFile = 1;
    model->settings.lightFile = 1;
    model->settings.scaleFactor = 2.0f;
    const kzo::SceneText scene =
        kzo::makeSceneText("fuzz.lws", std::string(reinterpret_cast<const char*>(data), size));
    try {
        kzo::readLights(*model, scene);
        kzo::readSceneObjects(*model, scene, [](kzo::SceneModel&, const std::string&) {});
        kzo::writeMotFile(*model, scene, "fuzz.mot");
        kzo::writeCamFile(*model, scene, "fuzz.cam");
        kzo::writeKzlFile(*model, "fuzz.kzl");
    } catch (const kzo::FatalErrorSignal&) {
    }
    return 0;
}

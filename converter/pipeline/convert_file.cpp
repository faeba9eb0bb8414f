#include "converter/pipeline/convert_file.h"

#include "converter/encode/camera_file.h"
#include "converter/encode/dependency_file.h"
#include "converter/encode/kzo_file.h"
#include "converter/encode/light_file.h"
#include "converter/encode/motion_file.h"
#include "converter/model/bake_transforms.h"
#include "converter/model/compute_normals.h"
#include "converter/model/default_material.h"
#include "converter/model/paths.h"
#include "converter/model/precalculate_colors.h"
#include "converter/model/scale_scene.h"
#include "converter/model/sort_faces.h"

namespace kzo {

ConversionOutcome convertFile(SceneModel& model, const std::string& input, std::string& output,
                              const ConversionSettings& settings) {
    const InputKind kind = inputKindOf(input);
    output = kzoPathFor(kind, output);
    printMessage(model.sink, "'%s' Converting...", input.c_str());
    if (kind == InputKind::unsupported) {
        printMessage(model.sink, "'%s' is not lws or 3ds file", input.c_str());
        return ConversionOutcome::rejected;
    }
    std::vector<OutputFile> outputs;
    try {
        resetSceneModel(model);
        const ImportedInput imported = importInput(kind, model, input, output, settings);
        requireGeometry(model, input);
        prepareModel(model, settings, input);
        processGeometry(model, settings);
        outputs = encodeOutputs(model, imported, settings, input, output);
    } catch (const FatalErrorSignal&) {
        return ConversionOutcome::failed;
    }
    std::string reason;
    const std::string failedPath = writeFilesAtomically(outputs, &reason);
    if (!failedPath.empty()) {
        printMessage(model.sink, "ERROR: cannot write '%s': %s", failedPath.c_str(),
                     reason.c_str());
        return ConversionOutcome::failed;
    }
    printMessage(model.sink, "'%s' Converting...OK", input.c_str());
    return ConversionOutcome::converted;
}

void requireGeometry(const SceneModel& model, const std::string& input) {
    if (model.faceCount == 0) {
        fatalError(model.sink, "'%s' holds no geometry: not one triangle", input.c_str());
    }
}

void prepareModel(SceneModel& model, const ConversionSettings& settings, const std::string& input) {
    appendDefaultMaterial(model, input);
    sortFacesByMaterial(model);
    markMaterialFlags(model, settings);
    checkKzoEncodable(model, input);
}

void processGeometry(SceneModel& model, const ConversionSettings& settings) {
    if (!keepsHierarchy(settings)) {
        bakeTransforms(model);
    }
    computeNormals(model);
    precalculateColors(model, settings);
    scaleScene(model, settings);
}

std::vector<OutputFile> encodeOutputs(const SceneModel& model, const ImportedInput& imported,
                                      const ConversionSettings& settings, const std::string& input,
                                      const std::string& kzoPath) {
    std::vector<OutputFile> outputs;
    outputs.push_back({kzoPath, encodeKzo(model, settings, kzoPath, input)});
    outputs.insert(outputs.end(), imported.imageFiles.begin(), imported.imageFiles.end());
    if (imported.scene) {
        for (OutputFile& file : encodeSideFiles(*imported.scene, settings, kzoPath, model.sink)) {
            outputs.push_back(std::move(file));
        }
    }
    if (settings.dependencyFile != 0) {
        outputs.push_back(dependencyFile(outputs, input, imported.filesRead, kzoPath, model.sink));
    }
    return outputs;
}

std::vector<OutputFile> encodeSideFiles(const SceneDescription& scene,
                                        const ConversionSettings& settings,
                                        const std::string& kzoPath, const MessageSink& sink) {
    const SideFilePaths paths = sideFilePathsFor(kzoPath, settings);
    std::vector<OutputFile> outputs;
    if (!paths.motion.empty()) {
        outputs.push_back({paths.motion, encodeMotionFile(scene, settings, sink)});
    }
    if (!paths.camera.empty()) {
        outputs.push_back({paths.camera, encodeCameraFile(scene, settings, paths.camera, sink)});
    }
    if (!paths.lights.empty() && (!scene.lights.empty() || settings.emptyLightFile != 0)) {
        outputs.push_back(
            {paths.lights, encodeLightFile(scene.lights, paths.lights, scene.path, sink)});
    }
    return outputs;
}

SideFilePaths sideFilePathsFor(const std::string& kzoPath, const ConversionSettings& settings) {
    SideFilePaths paths;
    if (settings.animation != 0) {
        paths.motion = replaceExtension(kzoPath, "mot");
    }
    if (settings.cameraFile != 0) {
        paths.camera = replaceExtension(kzoPath, "cam");
    }
    if (settings.lightFile != 0) {
        paths.lights = replaceExtension(kzoPath, "kzl");
    }
    return paths;
}

} // namespace kzo

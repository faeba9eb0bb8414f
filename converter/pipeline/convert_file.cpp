#include "converter/import/convert_file.h"

#include "converter/import/dependency_file.h"
#include "converter/import/import_lws_scene.h"
#include "converter/import/load_3ds.h"
#include "converter/model/default_material.h"
#include "converter/model/kzo_writer.h"
#include "converter/model/paths.h"
#include "converter/model/sort_faces.h"
#include "format/file_io.h"

namespace kzo {
namespace {

bool endsWith3ds(const std::string& name) {
    if (name.size() < 3) {
        return false;
    }
    const char* c = name.data() + name.size() - 3;
    return c[0] == '3' && (c[1] == 'D' || c[1] == 'd') && (c[2] == 'S' || c[2] == 's');
}

bool endsWithLws(const std::string& name) {
    if (name.size() < 3) {
        return false;
    }
    const char* c = name.data() + name.size() - 3;
    return (c[0] == 'L' || c[0] == 'l') && (c[1] == 'W' || c[1] == 'w') &&
           (c[2] == 'S' || c[2] == 's');
}

void clearMaterialIndices(SceneModel& model) {
    for (Face& face : model.faces) {
        face.materialIndex = -1;
    }
}

} // namespace

void setConversionSettings(SceneModel& model, std::int32_t animation, std::int32_t shadingType,
                           float scaleFactor, std::int32_t cameraFile, std::int32_t lightFile) {
    model.pendingSettings.animation = animation;
    model.pendingSettings.shadingType = shadingType;
    model.pendingSettings.scaleFactor = scaleFactor;
    model.pendingSettings.cameraFile = cameraFile;
    model.pendingSettings.lightFile = lightFile;
}

void convert3ds(SceneModel& model, const std::string& input, const std::string& output) {
    resetSceneModel(model);
    clearMaterialIndices(model);
    load3dsFile(model, input);
    appendDefaultMaterial(model, input);
    sortFacesByMaterial(model);
    markMaterialFlags(model);
    writeKzo(model, output);
}

ConversionOutcome convertFile(SceneModel& model, const std::string& input, std::string& output) {
    output = replaceExtension(output, "kzo");
    printMessage(model.sink, "'%s' Converting...", input.c_str());
    model.pendingOutputs.clear();
    try {
        if (endsWith3ds(input)) {
            convert3ds(model, input, output);
        } else if (endsWithLws(input)) {
            importLwsScene(model, input, output);
        } else {
            printMessage(model.sink, "'%s' is not lws or 3ds file", input.c_str());
            return ConversionOutcome::rejected;
        }
    } catch (const FatalErrorSignal&) {
        model.pendingOutputs.clear();
        return ConversionOutcome::failed;
    }
    if (model.settings.dependencyFile != 0) {
        appendDependencyFile(model, input, output);
    }
    const std::string failedPath = writeFilesAtomically(model.pendingOutputs);
    model.pendingOutputs.clear();
    if (!failedPath.empty()) {
        printMessage(model.sink, "ERROR: cannot write '%s'", failedPath.c_str());
        return ConversionOutcome::failed;
    }
    printMessage(model.sink, "'%s' Converting...OK", input.c_str());
    return ConversionOutcome::converted;
}

} // namespace kzo

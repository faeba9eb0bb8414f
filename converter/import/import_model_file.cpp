#include "converter/import/import_model_file.h"

#include "converter/import/embedded_textures.h"
#include "converter/import/imported_scene.h"
#include "converter/import/model_scene.h"
#include "converter/model/paths.h"
#include "converter/model/scene_model.h"
#include "modelimport/model_import.h"

#include <filesystem>

namespace kzo {
namespace {

void printWarnings(const MessageSink& sink, const std::vector<std::string>& warnings,
                   const std::string& path) {
    for (const std::string& warning : warnings) {
        printMessage(sink, "'%s' %s", path.c_str(), warning.c_str());
    }
}

ModelReadOptions readOptionsFor(const ConversionSettings& settings) {
    ModelReadOptions options;
    options.hierarchy = keepsHierarchy(settings);
    options.motion = settings.animation != 0 || settings.cameraFile != 0;
    options.framesPerSecond = settings.framesPerSecond;
    if (settings.fitToCapacity != 0) {
        options.fit = {static_cast<std::size_t>(kMaxVertices), static_cast<std::size_t>(kMaxFaces)};
    }
    options.searchPaths = settings.searchPaths;
    return options;
}

ImportedModel readModel(const MessageSink& sink, const std::string& path,
                        const ConversionSettings& settings) {
    // The library opens the file itself: a device would be read without end,
    // a FIFO waited on.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status)) {
        fatalError(sink, "cannot open '%s': it is a directory", path.c_str());
    }
    if (ec || !std::filesystem::exists(status)) {
        fatalError(sink, "cannot open '%s'", path.c_str());
    }
    if (!std::filesystem::is_regular_file(status)) {
        fatalError(sink, "cannot open '%s': not a regular file", path.c_str());
    }
    try {
        return readModelFile(path, readOptionsFor(settings),
                             {settings.readerMemoryMiB, settings.readerTimeoutSeconds});
    } catch (const ModelImportError& e) {
        if (e.stage() == ModelErrorStage::fit) {
            printWarnings(sink, e.warnings(), path);
            fatalError(sink, "'%s' %s", path.c_str(), e.what());
        }
        fatalError(sink, "cannot read '%s': %s", path.c_str(), e.what());
    }
}

void reportFit(const SceneModel& model, const FitReport& report, const std::string& path) {
    if (report.facesAfter < report.facesBefore) {
        printMessage(model.sink,
                     "'%s' simplified to fit: %zu of %zu faces removed, %zu vertices remain",
                     path.c_str(), report.facesBefore - report.facesAfter, report.facesBefore,
                     report.verticesAfter);
    }
}

// A model file of most formats holds no camera and no lights: asked for, the
// side file says so (a .cam without a camera block, as a LightWave scene
// without a camera gives) or is not written (.kzl), and a line tells why.
void reportEmptySideFiles(const SceneModel& model, const ImportedModel& imported,
                          const ConversionSettings& settings, const std::string& path) {
    if (settings.cameraFile != 0 && !imported.hasCamera) {
        printMessage(model.sink, "'%s' has no camera: its .cam file holds none", path.c_str());
    }
    if (settings.lightFile != 0 && imported.lights.empty()) {
        printMessage(model.sink,
                     settings.emptyLightFile != 0 ? "'%s' has no lights: its .kzl file holds none"
                                                  : "'%s' has no lights: no .kzl file is written",
                     path.c_str());
    }
}

} // namespace

ImportedInput importModelRecord(SceneModel& model, ImportedModel imported, const std::string& path,
                                const std::string& kzoPath, const ConversionSettings& settings) {
    printWarnings(model.sink, imported.warnings, path);
    reportFit(model, imported.fit, path);
    const bool hierarchy = keepsHierarchy(settings);
    const std::string besideKzo =
        settings.textureDirectory.empty()
            ? kzoPath
            : exportPrefix(settings.textureDirectory) + fileTitle(kzoPath);
    EmbeddedTextures textures = embeddedTextures(imported, path, besideKzo, model.sink);
    fillSceneModel(model, imported, textures.names, path);
    ImportedInput input;
    input.scene = describeImportedScene(imported, path, hierarchy, model.sink);
    placeImportedScene(*input.scene, model, hierarchy);
    reportEmptySideFiles(model, imported, settings, path);
    input.filesRead = std::move(imported.filesRead);
    input.imageFiles = std::move(textures.files);
    return input;
}

ImportedInput importModelFile(SceneModel& model, const std::string& path,
                              const std::string& kzoPath, const ConversionSettings& settings) {
    return importModelRecord(model, readModel(model.sink, path, settings), path, kzoPath, settings);
}

std::vector<std::string> listModelFileInputs(const std::string& path,
                                             const ConversionSettings& settings,
                                             const MessageSink& sink) {
    // What the library opens does not depend on the fitting, which is left out.
    ConversionSettings reading = settings;
    reading.fitToCapacity = 0;
    return readModel(sink, path, reading).filesRead;
}

} // namespace kzo

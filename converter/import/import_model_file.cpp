#include "converter/import/import_model_file.h"

#include "converter/import/model_scene.h"
#include "converter/model/scene_model.h"
#include "modelimport/model_import.h"

#include <filesystem>

namespace kzo {
namespace {

void printWarnings(const SceneModel& model, const std::vector<std::string>& warnings,
                   const std::string& path) {
    for (const std::string& warning : warnings) {
        printMessage(model.sink, "'%s' %s", path.c_str(), warning.c_str());
    }
}

ModelReadOptions readOptionsFor(const ConversionSettings& settings) {
    ModelReadOptions options;
    if (settings.fitToCapacity != 0) {
        options.fit = {static_cast<std::size_t>(kMaxVertices), static_cast<std::size_t>(kMaxFaces)};
    }
    options.searchPaths = settings.searchPaths;
    return options;
}

ImportedModel readModel(SceneModel& model, const std::string& path,
                        const ConversionSettings& settings) {
    // The library opens the file itself: a device would be read without end,
    // a FIFO waited on.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
        fatalError(model.sink, "cannot open '%s'", path.c_str());
    }
    if (!std::filesystem::is_regular_file(status)) {
        fatalError(model.sink, "cannot open '%s': not a regular file", path.c_str());
    }
    try {
        return readModelFile(path, readOptionsFor(settings),
                             {settings.readerMemoryMiB, settings.readerTimeoutSeconds});
    } catch (const ModelImportError& e) {
        if (e.stage() == ModelErrorStage::fit) {
            printWarnings(model, e.warnings(), path);
            fatalError(model.sink, "'%s' %s", path.c_str(), e.what());
        }
        fatalError(model.sink, "cannot read '%s': %s", path.c_str(), e.what());
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

} // namespace

ImportedInput importModelFile(SceneModel& model, const std::string& path,
                              const ConversionSettings& settings) {
    warnOfSideFiles(model.sink, path, settings);
    ImportedModel imported = readModel(model, path, settings);
    printWarnings(model, imported.warnings, path);
    reportFit(model, imported.fit, path);
    fillSceneModel(model, imported, path);
    ImportedInput input;
    input.filesRead = std::move(imported.filesRead);
    return input;
}

} // namespace kzo

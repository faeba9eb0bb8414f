#include "converter/import/import_model_file.h"

#include "converter/import/model_scene.h"
#include "converter/model/scene_model.h"
#include "modelimport/model_import.h"

#include <filesystem>

namespace kzo {
namespace {

ImportedModel readModel(SceneModel& model, const std::string& path) {
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
        return readModelFile(path);
    } catch (const ModelImportError& e) {
        fatalError(model.sink, "cannot read '%s': %s", path.c_str(), e.what());
    }
}

void fitToTables(SceneModel& model, ImportedModel& imported, const std::string& path) {
    FitReport report;
    try {
        report = fitModel(imported, {static_cast<std::size_t>(kMaxVertices),
                                     static_cast<std::size_t>(kMaxFaces)});
    } catch (const ModelImportError& e) {
        fatalError(model.sink, "'%s' %s", path.c_str(), e.what());
    }
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
    ImportedModel imported = readModel(model, path);
    for (const std::string& warning : imported.warnings) {
        printMessage(model.sink, "'%s' %s", path.c_str(), warning.c_str());
    }
    if (settings.fitToCapacity != 0) {
        fitToTables(model, imported, path);
    }
    fillSceneModel(model, imported, path);
    ImportedInput input;
    input.filesRead = std::move(imported.filesRead);
    return input;
}

} // namespace kzo

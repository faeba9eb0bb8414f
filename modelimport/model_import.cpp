#include "modelimport/model_import.h"

#include "format/module_loader.h"

#include <filesystem>
#include <utility>

namespace kzo {
namespace {

const ModelModuleApi& modelModule() {
    const ModelModuleApi* api = nullptr;
    try {
        api =
            static_cast<const ModelModuleApi*>(moduleSymbol(kModelModuleFile, kModelModuleSymbol));
    } catch (const ModuleError& e) {
        throw ModelImportError(e.what());
    }
    if (api->version != kModelModuleVersion) {
        throw ModelImportError(std::string("module '") + kModelModuleFile +
                               "' belongs to another version of the programs");
    }
    return *api;
}

} // namespace

bool modelExtensionSupported(const std::string& extension) {
    return modelModule().supportsExtension(extension.c_str());
}

ImportedModel readModelFile(const std::string& path, const ModelReadOptions& options) {
    // The library opens the file itself: a device would be read without end,
    // a FIFO waited on.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status) &&
        !std::filesystem::is_regular_file(status)) {
        throw ModelImportError("not a regular file");
    }
    ImportedModel model;
    std::string error;
    ModelErrorStage stage = ModelErrorStage::read;
    if (!modelModule().readModel(path.c_str(), &options, &model, &error, &stage)) {
        throw ModelImportError(error, stage, std::move(model.warnings));
    }
    return model;
}

} // namespace kzo

#include "modelimport/model_import.h"

#include "format/module_loader.h"

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

ImportedModel readModelFile(const std::string& path) {
    ImportedModel model;
    std::string error;
    if (!modelModule().readModel(path.c_str(), &model, &error)) {
        throw ModelImportError(error);
    }
    return model;
}

FitReport fitModel(ImportedModel& model, const FitLimits& limits) {
    FitReport report;
    std::string error;
    if (!modelModule().fitModel(&model, &limits, &report, &error)) {
        throw ModelImportError(error);
    }
    return report;
}

} // namespace kzo

// The entries of the model import module (model_module_api.h). Nothing thrown
// inside leaves the module: every failure becomes the entry's error text.
#include "modelimport/model_module_api.h"
#include "modelimport/module/fit_model.h"
#include "modelimport/module/read_model_file.h"

#include <exception>
#include <new>

namespace kzo {
namespace {

template <typename Work>
bool guarded(std::string* error, Work work) {
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
        *error = "not enough memory";
    } catch (const std::exception& e) {
        *error = e.what();
    } catch (...) {
        *error = "unknown failure in the model import library";
    }
    return false;
}

bool supportsExtension(const char* extension) {
    try {
        return extension != nullptr && libraryReadsExtension(extension);
    } catch (...) {
        return false;
    }
}

bool readModel(const char* path, const ModelReadOptions* options, ImportedModel* model,
               std::string* error, ModelErrorStage* errorStage) {
    *errorStage = ModelErrorStage::read;
    if (!guarded(error, [&] { *model = readModelWithLibrary(path, *options); })) {
        return false;
    }
    if (options->fit.maxVertices == 0 && options->fit.maxFaces == 0) {
        return true;
    }
    *errorStage = ModelErrorStage::fit;
    return guarded(error, [&] { model->fit = fitModelToLimits(*model, options->fit); });
}

} // namespace
} // namespace kzo

extern "C" {
__attribute__((visibility("default"))) extern const kzo::ModelModuleApi kzoModelModuleApi;
const kzo::ModelModuleApi kzoModelModuleApi = {kzo::kModelModuleVersion, &kzo::supportsExtension,
                                               &kzo::readModel};
}

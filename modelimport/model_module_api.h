// The table of entries the model import module exports, shared by the module
// and the programs' side (model_import.h). A program checks the version before
// it uses any other entry, so a module of another build is refused, not run.
#pragma once

#include "modelimport/imported_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

inline constexpr int kModelModuleVersion = 3;
inline constexpr const char* kModelModuleFile = "kzo-assimp.so";
// Name of the exported ModelModuleApi object.
inline constexpr const char* kModelModuleSymbol = "kzoModelModuleApi";

// How a model is read: plain values, so that a request can also cross a pipe.
struct ModelReadOptions {
    // Each object's vertices in its own space with ImportedModel::vertexObjects
    // (the converter's --animation); otherwise every node's rest transform is
    // applied and the objects are only listed.
    bool hierarchy = false;
    // Key the objects and the camera (the converter's --animation or
    // --camera). Without it and without a hierarchy no key is computed: the
    // keys are empty and lastFrame is 0, as nothing plays them.
    bool motion = false;
    // The frame rate for files that state none (--fps); 0 means 30. A file's
    // own rate always wins.
    std::int32_t framesPerSecond = 0;
    // Directories besides the model's own folder below which the files a model
    // names (buffers, material libraries, images) may lie (--search-path).
    std::vector<std::string> searchPaths;
    // Simplify the model until it fits (--fit); both zero: no fitting.
    FitLimits fit;
};

// Every entry reports failure by returning false with a text in error; none
// throws across the module's edge. errorStage tells a failure to read from a
// failure to fit.
enum class ModelErrorStage : std::int32_t { read = 0, fit = 1 };

struct ModelModuleApi {
    int version;
    // True when the library reads files with this extension (without the dot,
    // any letter case).
    bool (*supportsExtension)(const char* extension);
    // Reads the model file at path into model, then fits it when asked.
    bool (*readModel)(const char* path, const ModelReadOptions* options, ImportedModel* model,
                      std::string* error, ModelErrorStage* errorStage);
};

} // namespace kzo

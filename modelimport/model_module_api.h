// The table of entries the model import module exports, shared by the module
// and the programs' side (model_import.h). A program checks the version before
// it uses any other entry, so a module of another build is refused, not run.
#pragma once

#include "modelimport/imported_model.h"

#include <cstddef>
#include <string>

namespace kzo {

inline constexpr int kModelModuleVersion = 1;
inline constexpr const char* kModelModuleFile = "kzo-assimp.so";
// Name of the exported ModelModuleApi object.
inline constexpr const char* kModelModuleSymbol = "kzoModelModuleApi";

// Largest mesh a program can take.
struct FitLimits {
    std::size_t maxVertices = 0;
    std::size_t maxFaces = 0;
};

struct FitReport {
    std::size_t verticesBefore = 0;
    std::size_t facesBefore = 0;
    std::size_t verticesAfter = 0;
    std::size_t facesAfter = 0;
};

// Every entry reports failure by returning false with a text in error; none
// throws across the module's edge.
struct ModelModuleApi {
    int version;
    // True when the library reads files with this extension (without the dot,
    // any letter case).
    bool (*supportsExtension)(const char* extension);
    // Reads the model file at path into model.
    bool (*readModel)(const char* path, ImportedModel* model, std::string* error);
    // Simplifies model until it fits limits (see fit_model.h).
    bool (*fitModel)(ImportedModel* model, const FitLimits* limits, FitReport* report,
                     std::string* error);
};

} // namespace kzo

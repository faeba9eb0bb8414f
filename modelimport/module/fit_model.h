// Simplifying an imported model until it fits the engine's tables.
#pragma once

#include "modelimport/imported_model.h"
#include "modelimport/model_module_api.h"

#include <stdexcept>

namespace kzo {

// The model cannot be brought within the limits (its borders, seams and
// material boundaries alone hold too much); the text gives the closest counts.
class FitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Collapses edges with the mesh simplifier until the model has at most
// limits.maxVertices vertices and limits.maxFaces faces. Vertices never move,
// so the welding still holds; border vertices stay where they are, and edges
// where texture coordinates or materials change are kept as seams. A model
// that fits is left alone. Throws FitError, leaving the model as it was.
FitReport fitModelToLimits(ImportedModel& model, const FitLimits& limits);

} // namespace kzo

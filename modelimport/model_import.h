// Models of every other format, read through the model import module, which is
// loaded (with its import library) the first time one of these is called.
#pragma once

#include "modelimport/imported_model.h"
#include "modelimport/model_module_api.h"

#include <stdexcept>
#include <string>

namespace kzo {

// The module cannot be loaded, or the model cannot be read or fitted; the text
// says why, without the file's name.
class ModelImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when the import library reads files with this extension (the text
// after the last dot, any letter case).
bool modelExtensionSupported(const std::string& extension);

// Reads the model at path: triangles in the 3DS reader's space, welded, with
// materials (imported_model.h).
ImportedModel readModelFile(const std::string& path);

// Simplifies model in place until its vertices and faces fit limits, keeping
// its borders, texture seams and material boundaries; a model that already
// fits is left alone.
FitReport fitModel(ImportedModel& model, const FitLimits& limits);

} // namespace kzo

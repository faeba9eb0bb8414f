// Models of every other format, read through the model import module, which is
// loaded (with its import library) the first time one of these is called.
#pragma once

#include "modelimport/imported_model.h"
#include "modelimport/model_module_api.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kzo {

// The module cannot be loaded, or the model cannot be read (stage read) or
// fitted (stage fit); the text says why, without the file's name. A model that
// was read but could not be fitted keeps the reading's warnings here.
class ModelImportError : public std::runtime_error {
public:
    explicit ModelImportError(const std::string& what,
                              ModelErrorStage stage = ModelErrorStage::read,
                              std::vector<std::string> warnings = {})
        : std::runtime_error(what), stage_(stage), warnings_(std::move(warnings)) {}
    ModelErrorStage stage() const { return stage_; }
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    ModelErrorStage stage_;
    std::vector<std::string> warnings_;
};

// True when the import library reads files with this extension (the text
// after the last dot, any letter case).
bool modelExtensionSupported(const std::string& extension);

// Reads the model at path: triangles in the 3DS reader's space, welded, with
// materials and the scene (imported_model.h), fitted when options.fit asks.
ImportedModel readModelFile(const std::string& path, const ModelReadOptions& options = {});

} // namespace kzo

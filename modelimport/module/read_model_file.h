// Reading a model file through the import library into plain arrays.
#pragma once

#include "modelimport/imported_model.h"
#include "modelimport/model_module_api.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kzo {

// The file cannot be read as a model; the text is the library's or ours,
// without the file's name.
class ModelReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Largest file the library is given (the model file and every file it opens
// beside it, such as a material library or a buffer).
inline constexpr std::uintmax_t kMaxModelFileBytes = 512u * 1024u * 1024u;

// True when the library reads files with this extension (without the dot, any
// letter case).
bool libraryReadsExtension(const std::string& extension);

// Reads, triangulates and validates the file with the library, then maps its
// scene (scene_mapping.h). FBX files are turned y-up first by the axes they
// declare. Throws ModelReadError.
ImportedModel readModelWithLibrary(const std::string& path, const ModelReadOptions& options = {});

} // namespace kzo

// How the viewer reads a model of another format (kzoview's --search-path,
// --reader-memory and --reader-timeout): what the model reader of the model
// import library is given besides the file.
#pragma once

#include "modelimport/model_import.h"

#include <string>
#include <vector>

namespace kzoview {

struct ModelReading {
    // Directories besides the model's folder below which the files it names
    // may lie.
    std::vector<std::string> searchPaths;
    kzo::ModelReaderLimits limits; // 0: the defaults
};

} // namespace kzoview

#pragma once

#include "format/kzo_format.h"

#include <cstdint>

namespace kzo {

// The options of a run. Flags are plain 32-bit integers 0 or 1.
struct ConversionSettings {
    std::int32_t animation = 0;
    std::int32_t shadingType = kNoShading;
    float scaleFactor = 1.0f;
    std::int32_t cameraFile = 0;
    std::int32_t lightFile = 0;
    // Not one of the window's options: a Make-style dependency file beside
    // each converted file's outputs (the command line's --deps).
    std::int32_t dependencyFile = 0;
    // Models read through the import library are simplified until they fit
    // the scene model's tables (the command line's --fit, a check box of the
    // window); other inputs keep their capacity errors.
    std::int32_t fitToCapacity = 0;
};

} // namespace kzo

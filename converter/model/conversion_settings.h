#pragma once

#include "converter/model/indirect_light_options.h"
#include "converter/model/shadow_options.h"
#include "format/kzo_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

// The options of a conversion run, read once from the command line or from the
// main form and passed whole, by const reference, to every step that reads
// one. Flags are plain 32-bit integers 0 or 1.
struct ConversionSettings {
    // A scene keeps its object hierarchy in the KZO file (objects in their own
    // space) and gets its .mot file; otherwise every object is placed in scene
    // space at its first key.
    std::int32_t animation = 0;
    std::int32_t shadingType = kNoShading;
    float scaleFactor = 1.0f;
    std::int32_t cameraFile = 0;
    std::int32_t lightFile = 0;
    // With lightFile, a scene without lights writes its .kzl too, holding no
    // light, so that a build can declare it (the command line's
    // --empty-light-file; not one of the window's options).
    std::int32_t emptyLightFile = 0;
    // Not one of the window's options: a Make-style dependency file beside
    // each converted file's outputs (the command line's --deps).
    std::int32_t dependencyFile = 0;
    // How the precalculated colours cast shadows: the test and the threads.
    ShadowOptions shadows;
    // Models read through the import library are simplified until they fit
    // the scene model's tables (the command line's --fit, a check box of the
    // window); other inputs keep their capacity errors.
    std::int32_t fitToCapacity = 0;
    // Models read through the import library: directories besides the
    // model's own folder below which the files it names may lie (the command
    // line's --search-path; the window gives none), and what the model reader
    // may take (--reader-memory, --reader-timeout; 0: the defaults). None of
    // them changes a byte of what is written.
    std::vector<std::string> searchPaths;
    std::uint32_t readerMemoryMiB = 0;
    std::uint32_t readerTimeoutSeconds = 0;
    // Frames a second at which the keys of a model file that states no frame
    // rate are placed (the command line's --fps, 1 to 1000); 0 for the
    // default of 30. LightWave scenes and files that state a rate keep theirs.
    std::int32_t framesPerSecond = 0;
    // Where the textures a model file holds inside itself are written, under
    // the names they would have beside the KZO file, which stores them as
    // ever; empty: beside the KZO file (the command line's --texture-dir, for
    // builds that collect a number of files known only afterwards in one
    // folder; not one of the window's options).
    std::string textureDirectory;
    // Ambient occlusion and one bounce in the precalculated colours
    // (--occlusion, --bounce and their rays; check boxes of the window).
    IndirectLightOptions indirectLight;
};

// True when the KZO file carries the object hierarchy instead of baked vertices.
inline bool keepsHierarchy(const ConversionSettings& settings) {
    return settings.animation != 0;
}

} // namespace kzo

// Models of every format the import library reads (OBJ, glTF, FBX, COLLADA,
// PLY, STL, Blender and more): read through the model import module, which is
// loaded only now, optionally simplified to fit, and put into the scene model
// as a 3DS file of the same model would be.
#pragma once

#include "converter/import/import_input.h"
#include "converter/model/conversion_settings.h"

#include <string>

namespace kzo {

// Fills a freshly reset model from the file at path. Prints the import's
// warnings, a warning when side files were asked for (they come only from
// LightWave scenes) and, with fitToCapacity, how many faces the fitting
// removed. A file that cannot be opened or read, a model over the capacities
// (without fitToCapacity) or one that cannot be fitted is a fatal error.
// The files read are the model file and those the library opened beside it.
ImportedInput importModelFile(SceneModel& model, const std::string& path,
                              const ConversionSettings& settings);

} // namespace kzo

// Models of every format the import library reads (OBJ, glTF, FBX, COLLADA,
// PLY, STL, Blender and more): read through the model import module, which is
// loaded only now, optionally simplified to fit, and put into the scene model
// as a 3DS file of the same model would be; the scene the file holds
// (objects, motion, camera, lights) becomes a SceneDescription as a LightWave
// scene's does.
#pragma once

#include "converter/import/import_input.h"
#include "converter/model/conversion_settings.h"
#include "modelimport/imported_model.h"

#include <string>
#include <vector>

namespace kzo {

// Fills a freshly reset model from the file at path, to be converted into
// kzoPath (which names its embedded textures). With the animation setting the
// file is read with its hierarchy. A file that cannot be opened or read, a
// model over the capacities (without fitToCapacity) or one that cannot be
// fitted is a fatal error. The files read are the model file and those the
// library opened beside it.
ImportedInput importModelFile(SceneModel& model, const std::string& path,
                              const std::string& kzoPath, const ConversionSettings& settings);

// The part of importModelFile after the reading, for a model already read
// (with options.hierarchy as the settings ask): prints the import's warnings
// and, when it was fitted, how many faces went; fills the model and places
// the scene in it; returns the scene, the embedded textures as outputs beside
// kzoPath, and the files read. When the side files asked for have nothing to
// hold (no camera, no lights), a line says so.
ImportedInput importModelRecord(SceneModel& model, ImportedModel imported, const std::string& path,
                                const std::string& kzoPath, const ConversionSettings& settings);

// The files importModelFile would read for the model at path: the library
// reads the model (it learns which buffers and material libraries a model
// names only by reading it), with the same fatal errors for a file it cannot
// open or read; it is not fitted, nothing goes into a scene model and no
// warning is printed.
std::vector<std::string> listModelFileInputs(const std::string& path,
                                             const ConversionSettings& settings,
                                             const MessageSink& sink);

} // namespace kzo

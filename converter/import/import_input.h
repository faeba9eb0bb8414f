// Importers: each reads one kind of input into the scene model.
//
// The contract of an importer: it starts from a reset model and fills its
// tables (images, materials, vertices with their pivotIndex, faces; for a
// scene also one pivot per object and the lights); a scene's other contents
// go into the SceneDescription it returns, for the side files. It lists every
// file it read, and reports bad input through fatalError. It writes no file
// and leaves sorting, flags and geometry to the steps after it.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_description.h"
#include "converter/model/scene_model.h"
#include "format/file_io.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kzo {

enum class InputKind {
    threeDStudio,    // a name ending in "3ds", any letter case
    lightWaveScene,  // a name ending in "lws", any letter case
    lightWaveObject, // the extension "lwo", any letter case
    otherModel,      // any other extension the model import library reads
    unsupported,
};

// A name ending in "3ds" or "lws" is decided by its last three characters
// alone (no dot is needed). Any other name is decided by its extension (after
// the last dot of the file name, any letter case): LightWave objects (.lwo)
// are read by our own object reader, the one scenes use; the engine's own
// files (.kzo .mot .cam .kzl) are not read here; any other extension goes to the model import
// library when it reads it, which loads the library's module. When the module cannot be loaded, the
// name is taken as a model, so that converting it says why.
InputKind inputKindOf(const std::string& path);

// The KZO file's path for the proposed output path (the export prefix and the
// input's file name): its last three characters replaced by "kzo", or, for a
// model of another format, its extension after the last dot.
std::string kzoPathFor(InputKind kind, const std::string& proposedOutput);

// Whether an input of the kind is a scene, whose import returns a
// SceneDescription and whose conversion may write side files: a LightWave
// scene, or a model of another format, whose file holds its objects and may
// hold a camera and lights.
bool isSceneKind(InputKind kind);

// The whole file, for an importer. A file that cannot be opened is the fatal
// error "cannot open 'PATH'"; a device, FIFO or socket is refused with the
// reason after it, before anything is read.
std::vector<std::uint8_t> readInputFile(const MessageSink& sink, const std::string& path);

struct ImportedInput {
    // Everything a scene file says besides geometry; none for a model file.
    std::optional<SceneDescription> scene;
    // Every file the import read, in the order read, the input first.
    std::vector<std::string> filesRead;
    // Image files the input holds inside itself, to be written beside the KZO
    // file under the names its image table gives them (embedded_textures.h).
    std::vector<OutputFile> imageFiles;
};

// A LightWave object has no side files to give (its scene has them): when the
// settings ask for them, a message line says so; nothing else changes.
void warnOfSideFiles(const MessageSink& sink, const std::string& path,
                     const ConversionSettings& settings);

// Runs the importer of the input's kind (which must be supported); kzoPath is
// the KZO file it is converted into.
ImportedInput importInput(InputKind kind, SceneModel& model, const std::string& path,
                          const std::string& kzoPath, const ConversionSettings& settings);

// A 3D Studio file: its materials, images, vertices and faces, no pivots and
// no lights. Data that does not start with the 3DS main chunk is a fatal
// error.
ImportedInput import3dsFile(SceneModel& model, const std::string& path);

// A LightWave object (LWO2, LWOB or LWLO) as a one-object scene in LightWave's
// own space: every layer's surfaces, images, vertices (pivot index 0) and
// faces, no pivots and no lights. A file that is not such an object is a
// fatal error.
ImportedInput importLwoFile(SceneModel& model, const std::string& path);

} // namespace kzo

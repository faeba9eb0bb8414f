// The conversion of one input file, read as the pipeline it is:
//
//   detect the input's kind -> import it into the scene model
//   -> prepare (default material, face sort, material flags)
//   -> geometry (bake, normals, colours, scale, in that order)
//   -> encode every output in memory (.kzo, embedded images, .mot, .cam, .kzl, .d)
//   -> write them all together, each target wholly old or wholly new.
//
// Importers only fill the model, encoders only turn it into bytes, and
// nothing between the import and the write opens a file.
#pragma once

#include "converter/import/import_input.h"
#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"
#include "format/file_io.h"

#include <string>
#include <vector>

namespace kzo {

enum class ConversionOutcome {
    converted, // the OK line was printed and every output was written
    failed,    // an "ERROR: " line was printed; nothing of this file was written
    rejected,  // not converted at all: the name is neither a 3DS file nor a LightWave
               // scene, or an earlier input of the run writes the same output
};

// Converts one file, reporting through the model's sink. output is the
// proposed output path (export prefix and the input's file name); its last
// three characters become "kzo" whatever the outcome. Exceptions other than
// the fatal-error signal pass through.
ConversionOutcome convertFile(SceneModel& model, const std::string& input, std::string& output,
                              const ConversionSettings& settings);

// The steps between the import and the write, in the order convertFile runs
// them; the tests, fuzzers and benchmarks run them on models of their own.

// Whatever the importer, an input without a single triangle (not a model at
// all, or a model or scene whose objects hold none) is a fatal error: an empty
// object file would only be refused later by whatever reads it.
void requireGeometry(const SceneModel& model, const std::string& input);

// Faces without a usable material get the default one, faces are sorted by
// material, flags are marked; then what the geometry and the encoder rely on
// is checked (errors name the input).
void prepareModel(SceneModel& model, const ConversionSettings& settings, const std::string& input);

// Bakes the pivot transforms into the vertices (unless the hierarchy is kept),
// computes the normals and the colours, and applies the scale factor.
void processGeometry(SceneModel& model, const ConversionSettings& settings);

// Every output of the input, in the order they are written: the KZO file, the
// image files the input holds inside itself, for a scene its side files, then
// the dependency file when the settings ask for it.
std::vector<OutputFile> encodeOutputs(const SceneModel& model, const ImportedInput& imported,
                                      const ConversionSettings& settings, const std::string& input,
                                      const std::string& kzoPath);

// The side files of a scene that the settings ask for, named after kzoPath
// (empty when not asked for): .mot with the animation option, .cam with the
// camera option, .kzl with the light option (written only when the scene has
// lights, or with emptyLightFile).
struct SideFilePaths {
    std::string motion, camera, lights;
};
SideFilePaths sideFilePathsFor(const std::string& kzoPath, const ConversionSettings& settings);

// The side files of sideFilePathsFor, encoded.
std::vector<OutputFile> encodeSideFiles(const SceneDescription& scene,
                                        const ConversionSettings& settings,
                                        const std::string& kzoPath, const MessageSink& sink);

} // namespace kzo

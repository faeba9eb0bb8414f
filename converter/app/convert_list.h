// The Convert run without its window: every listed file, in list order, is
// handed to the per-file conversion with its output path.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"
#include "converter/pipeline/output_collisions.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kzo {

// Converts one input with the run's settings; may rename the output path (its
// extension becomes "kzo"). Reports through the model's sink; a
// FatalErrorSignal stays inside.
using FileConverter = std::function<void(SceneModel& model, const std::string& input,
                                         std::string& output, const ConversionSettings& settings)>;

// The converter of a run: convertFile.
void convertListedFile(SceneModel& model, const std::string& input, std::string& output,
                       const ConversionSettings& settings);

// The export prefix followed by the input's file name.
std::string outputPathFor(const std::string& exportDirectory, const std::string& input);

// Makes the input's directory the process's current directory, as the old
// program did before each file. Nothing depends on it (scene object paths
// resolve against the scene's own directory), so a failure is ignored.
void changeToFileDirectory(const std::string& input);

// For every listed file, the earlier file whose outputs it would overwrite
// (output_collisions.h), found before anything is converted.
std::vector<std::optional<OutputCollision>>
findListCollisions(const std::vector<std::string>& files, const std::string& exportDirectory,
                   const ConversionSettings& settings);

// What a run tells its window, and asks it, between files. Any may be empty.
// A window runs the list on a thread of its own: these are called on that
// thread.
struct ListRunHooks {
    // Before the file at index (0-based) is converted or refused.
    std::function<void(std::size_t index, const std::string& input)> beforeFile;
    // Once the file at index is done: index + 1 files are done.
    std::function<void(std::size_t index)> afterFile;
    // Asked before every file; true ends the run there, so that the file
    // being converted is always finished, its outputs written whole or not at
    // all.
    std::function<bool()> cancelled;
};

// Converts the files one after the other with the same settings. A file whose
// outputs an earlier one writes is refused with an error line instead. A
// cancelled run ends with a line that says so and how many files it left.
// Returns the number of files done: all of them unless cancelled. Exceptions
// other than the fatal-error signal, which the converter catches, end the run
// and pass to the caller.
std::size_t convertFileList(SceneModel& model, const std::vector<std::string>& files,
                            const std::string& exportDirectory, const ConversionSettings& settings,
                            const FileConverter& convert, const ListRunHooks& hooks);

} // namespace kzo

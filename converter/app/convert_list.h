// The Convert run without its window: every listed file, in list order, is
// handed to the per-file conversion with its output path.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"

#include <functional>
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

// Converts the files one after the other with the same settings, calling
// afterEachFile (when set) once each file is done. Exceptions other than the
// fatal-error signal, which the converter catches, end the run and pass to the
// caller.
void convertFileList(SceneModel& model, const std::vector<std::string>& files,
                     const std::string& exportDirectory, const ConversionSettings& settings,
                     const FileConverter& convert, const std::function<void()>& afterEachFile);

} // namespace kzo

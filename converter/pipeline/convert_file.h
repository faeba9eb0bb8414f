// Per-file conversion dispatch: names the output, picks the conversion path by
// the input's last three characters, reports progress through the model's
// sink, and writes the file's outputs only when its conversion succeeded.
#pragma once

#include "converter/model/scene_model.h"

#include <cstdint>
#include <string>

namespace kzo {

enum class ConversionOutcome {
    converted, // the OK line was printed and every output was written
    failed,    // an "ERROR: " line was printed; nothing of this file was written
    rejected,  // the name is neither a 3DS file nor a LightWave scene
};

// Stores the options of a run in the pending settings; every input file starts
// from them (resetSceneModel).
void setConversionSettings(SceneModel& model, std::int32_t animation, std::int32_t shadingType,
                           float scaleFactor, std::int32_t cameraFile, std::int32_t lightFile);

// Converts one file. output is the proposed output path (export prefix and the
// input's file name); its last three characters become "kzo" whatever the
// outcome. Exceptions other than the fatal-error signal pass through.
ConversionOutcome convertFile(SceneModel& model, const std::string& input, std::string& output);

// The direct 3DS path: read, default material, sort, flags, writeKzo. Outputs
// are left in model.pendingOutputs; a fatal error throws FatalErrorSignal.
void convert3ds(SceneModel& model, const std::string& input, const std::string& output);

} // namespace kzo

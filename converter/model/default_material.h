#pragma once

#include "converter/model/scene_model.h"

#include <string>

namespace kzo {

// Gives every face without a usable material (materialIndex negative or at or
// beyond materialCount) one default material appended after the file's own:
// colour 128, 128, 128, transparency 128, no image, no flags. Without such a
// face nothing is appended. Runs after reading and before the face sort, so the
// written material runs cover the whole face list.
//
// A file that already has 256 materials and needs the default one is a fatal
// error naming inputPath.
void appendDefaultMaterial(SceneModel& model, const std::string& inputPath = {});

} // namespace kzo

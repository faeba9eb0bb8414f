// The scene's lights and ambient light, and the .kzl file that carries them:
//   int32 lightCount, lightCount x Light (48 bytes)
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/scene_model.h"

namespace kzo {

// Reads every AddLight block into model.lights (in file order) and the scene's
// ambient light (AmbientColor x AmbIntensity) into model.ambientColor, then
// turns heading and pitch into the direction and the cone and edge angles into
// cosines. A scene without AddLight lines leaves the model's lights and ambient
// colour as they are. Light keywords before the first AddLight belong to no
// light and are ignored. More lights than the table holds is a fatal error.
void readLights(SceneModel& model, const SceneText& scene);

// Appends the .kzl file to model.pendingOutputs, with its "Writing..." line,
// when the light file option is on and the scene has lights. A light value that
// is not a finite number (the scene says "nan", or an angle is infinite) is a
// fatal error.
void writeKzlFile(SceneModel& model, const std::string& path);

} // namespace kzo

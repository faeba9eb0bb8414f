// The lights and the ambient light of a LightWave scene.
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/messages.h"
#include "converter/model/scene_description.h"

namespace kzo {

// A light as the scene's keywords give it. The angles wait in their own fields
// until finishLight turns them into the record's direction and cosines.
struct LightKeywords {
    Light record;                           // type, position, colour, intensity and range as read
    float heading = 0, pitch = 0, bank = 0; // degrees, of the first LightMotion key
    float coneAngle = 0, edgeAngle = 0;     // degrees
};

// The record the scene lights with and the .kzl file stores: the direction from
// the heading and pitch (the bank is dropped), and the cosines of the cone and
// edge angles, the edge moved out to the cone angle + 1 when it does not lie
// beyond the cone.
Light finishLight(const LightKeywords& light);

// Reads every AddLight block into scene.lights (in file order) and the scene's
// ambient light (AmbientColor x AmbIntensity) into scene.ambientColor. A scene
// without AddLight lines has no lights and an ambient colour of 0. Light
// keywords before the first AddLight belong to no light and are ignored;
// values that do not parse keep their defaults. More lights than the model's
// table holds is a fatal error.
void readSceneLights(const SceneText& text, const MessageSink& sink, SceneDescription& scene);

} // namespace kzo

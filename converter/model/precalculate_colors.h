#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"
#include "converter/model/shadow_options.h"

namespace kzo {

struct IndirectLight;

// Colours of every face corner for the precalculated shading types (3 and 4),
// lit by the model's lights with cast shadows. For any other case (no lights,
// another shading type, or the animation option on) every corner becomes
// white. Runs after computeNormals (it reads the face normals and plane
// constants) and before scaleScene; every face must index vertices below
// vertexCount. Uses the vertex counters as scratch. The settings' shadow
// options choose the shadow test and the threads; the colours do not depend
// on the threads. With the classic test, a line tells when more than a tenth
// of the faces are too small ever to cast a shadow. The settings' indirect
// light adds ambient occlusion and a bounce (indirect_light.h); where the
// colours are not lit, a line says that it has no effect.
void precalculateColors(SceneModel& model, const ConversionSettings& settings);

// The steps of precalculateColors, in the order it runs them. They are public
// so that a reference implementation of the shadow marking can be put in
// place of markLitVertices and give the same colours.

// True when the colours are lit at all: there are lights, the shading type is
// 3 or 4 and the animation option is off.
bool colorsAreLit(const SceneModel& model, const ConversionSettings& settings);

// Every colour byte of every face becomes 255.
void setWhiteColors(SceneModel& model);

// Each face's center, radiusSquared, and its nine light sums set to 0.
void prepareFacesForLighting(SceneModel& model);

// False for a light that adds nothing: an unknown type, or a value the type
// uses that is NaN or infinite. Such a light is neither marked nor applied.
bool lightAddsLight(const Light& light);

// Adds the light's share to the light sums of every face corner whose vertex
// counter is not 0 (as markLitVertices left them).
void applyLight(SceneModel& model, int lightIndex);

// Averages (type 3) or sums (type 4) the light sums, adds the ambient colour,
// clamps, modulates untextured materials and stores the colour bytes.
void storeColors(SceneModel& model, const ConversionSettings& settings);

// The same with the indirect light: the ambient colour times each vertex's
// ambient share, and its bounce added, before the clamp. Flat colour takes
// the mean of the face's three vertices of both.
void storeColors(SceneModel& model, const ConversionSettings& settings,
                 const IndirectLight& indirect);

// The material whose colour a face's corners take: the face's own, or the
// default grey, untextured one that the writers append for faces whose
// material index names no material.
const Material& faceMaterial(const SceneModel& model, const Face& face);

} // namespace kzo

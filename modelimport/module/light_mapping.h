// The file's lights as the engine's light records.
//
// Intensity: a file states light in physical units (glTF: candela for point
// and spot lights, lux for directional ones; the library hands the colour
// already multiplied by it), with falloff by distance (the library's
// attenuation: constant + linear · d + quadratic · d²), and leaves the
// exposure to the renderer. The engine has neither exposure nor falloff (only
// a range); its intensity 0..1 is the share of the light's colour that a
// surface facing it receives. So each light's illuminance is taken where the
// model is, and the scene is exposed for its brightest light, as a camera
// exposes for the key light: intensity = E / E_max, where E is the largest
// colour channel (directional lights) or that divided by the attenuation at
// the distance from the light to the centre of the model's bounding box
// (point and spot lights; the distance taken no shorter than half the box's
// diagonal, as a light inside the model lights its walls from there). The
// brightest light thus lights a facing white surface fully, the others by
// their share, whatever the file's units and scale.
#pragma once

#include "format/side_formats.h"
#include "modelimport/module/scene_transform.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

struct aiLight;

namespace kzo {

// The model's extent in the engine's scene space.
struct SceneBounds {
    double min[3] = {INFINITY, INFINITY, INFINITY};
    double max[3] = {-INFINITY, -INFINITY, -INFINITY};

    void add(const double p[3]);
    bool empty() const { return !(min[0] <= max[0]); }
};

struct PlacedLight {
    const aiLight* light = nullptr;
    Transform place;   // the light's node in the library's scene space, at rest
    double range = -1; // the file's cut-off distance, negative: none
};

struct MappedLights {
    std::vector<Light> lights;
    std::array<float, 3> ambient = {}; // 0..255
    std::vector<std::string> leftOut;  // names of lights of kinds the engine has not
    std::vector<std::string> unplaced; // names of lights placed at no finite point
};

// halfAngles: the file gives a spot light's cone as the angle from its axis
// (glTF); otherwise as the whole cone's opening.
MappedLights mapLights(const std::vector<PlacedLight>& placed, const SceneBounds& bounds,
                       bool halfAngles);

} // namespace kzo

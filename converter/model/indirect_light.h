// Ambient occlusion and one bounce of the direct light for the precalculated
// colours: rays from every vertex over the hemisphere above its normal, cast
// into the model's own faces through a hierarchy built once per file.
//
// Every face with an area (and corners within the ray tracer's range,
// kLargestRayCoordinate) occludes, whatever its material (a transparent one
// too: how the engine blends it is not known here) and from either side. A
// ray gathers light only from the front of the face it meets: the back of a
// face receives no direct light. The rays start a little above the vertex
// along its normal and ignore what they meet nearer than that, both lengths
// taken relative to the model's size, so that the faces around the vertex
// itself never darken it: a convex body keeps its whole ambient term.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"
#include "raytrace/ray_scene.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kzo {

struct IndirectLight {
    // Per vertex: the share of its rays that meet no face within the
    // distance with --occlusion, otherwise 1.
    std::vector<float> ambientShare;
    // Per vertex, red, green, blue: with --bounce the mean over its rays of
    // the light they gather, otherwise 0. Never negative.
    std::vector<float> bounce;
};

// How the rays of a model run: from offset above the vertex, meeting faces
// between near and far (in the scene's units).
struct RayReach {
    float offset = 0;
    float near = 0;
    float far = 0;
};

// The reach for the model's faces: far is the options' distance, or a tenth
// of the diagonal of the bounding box of the faces' corners when that is 0;
// offset and near are small fractions of the model's size and of its largest
// coordinate. A scale of the model by a power of two scales all three by it.
RayReach rayReach(const SceneModel& model, const IndirectLightOptions& options);

// The model's faces as the rays meet them, with their hierarchy built.
struct RayTarget {
    // Null when there is nothing to meet or no room between near and far:
    // then every vertex keeps its whole ambient term and gathers nothing.
    std::unique_ptr<RayScene> scene;
    std::vector<std::int32_t> faceOfTriangle;
    // 1 for the vertices a face uses, the only ones that cast rays.
    std::vector<std::uint8_t> used;
    RayReach reach;
};

// Builds the target over the faces with an area. Reads only the vertices'
// positions and the faces' corners and normals, so it may run while the
// lights are marked and applied. Throws RayTraceError when the ray tracer
// cannot be loaded or cannot build the scene.
RayTarget buildRayTarget(const SceneModel& model, const IndirectLightOptions& options);

// Casts the rays of settings.indirectLight from every vertex a face uses
// into the target, on settings.shadows.threads threads; the result does not
// depend on their number. Runs once the lights are applied: the bounce reads
// the faces' light sums as the shading type averages them (per vertex for
// type 3, per face for type 4), clamped to 0..255 and times the material's
// colour / 255.
void gatherIndirectLight(const SceneModel& model, const ConversionSettings& settings,
                         const RayTarget& target, IndirectLight& light);

} // namespace kzo

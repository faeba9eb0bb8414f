// Scenes of Embree 3: one device and one scene per mesh, built on the calling
// thread alone, so that the hierarchy (and with it which of two triangles met
// at the same distance a ray reports) does not depend on any thread count.
#pragma once

#include "raytrace/rays.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kzo {

struct EmbreeScene;

// Null with the reason in error when Embree refuses the device or the scene.
EmbreeScene* buildEmbreeScene(const RayMesh& mesh, std::string& error);
void releaseEmbreeScene(EmbreeScene* scene);

void embreeOccluded(const EmbreeScene& scene, const Ray* rays, std::size_t count,
                    std::uint8_t* blocked);
void embreeClosestHits(const EmbreeScene& scene, const Ray* rays, std::size_t count, RayHit* hits);

} // namespace kzo

// Light of the precalculated colours beyond the lights themselves: the
// ambient term darkened where the model hides a vertex's hemisphere (ambient
// occlusion), and one bounce of the direct light off the faces a vertex sees.
// Both are off by default; off, no byte of the colours changes.
#pragma once

#include <cstdint>

namespace kzo {

inline constexpr std::int32_t kDefaultOcclusionRays = 64;
inline constexpr std::int32_t kMaxOcclusionRays = 4096;

struct IndirectLightOptions {
    // The ambient term times the share of the vertex's rays that meet nothing.
    std::int32_t occlusion = 0;
    // The mean light the vertex's rays gather from the lit faces they meet.
    std::int32_t bounce = 0;
    // Rays per vertex, 1 to kMaxOcclusionRays.
    std::int32_t rays = kDefaultOcclusionRays;
    // How far the rays reach, in the scene's units before the scale factor;
    // 0 means a tenth of the diagonal of the model's bounding box.
    float distance = 0.0f;
};

inline bool castsRays(const IndirectLightOptions& options) {
    return options.occlusion != 0 || options.bounce != 0;
}

} // namespace kzo

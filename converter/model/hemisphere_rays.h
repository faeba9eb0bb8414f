// The directions of the rays a vertex casts over the hemisphere above its
// normal: one fixed set for every vertex, turned by an angle that only the
// vertex's number decides, so that the directions (and the colours) are the
// same whichever thread casts them.
#pragma once

#include <cstdint>
#include <vector>

namespace kzo {

// count directions of unit length around +z (x, y, z each), a Fibonacci
// spiral over the unit disc lifted onto the hemisphere: their density is
// proportional to the cosine of the angle to +z, so each ray stands for an
// equal share of the cosine-weighted hemisphere and a plain mean over the
// rays is the cosine-weighted mean. No direction lies in the plane z = 0.
std::vector<float> cosineHemisphere(std::int32_t count);

// The set turned about +z by the vertex's angle (a golden-ratio sequence over
// the vertex numbers, so that neighbours get turns far apart), then carried
// from +z onto normal, which must have unit length; 3 floats per direction
// into out.
void turnOntoNormal(const std::vector<float>& set, const float normal[3], std::int32_t vertex,
                    float* out);

} // namespace kzo

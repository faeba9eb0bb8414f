// How the precalculated colours cast shadows: which inside test decides that
// a face covers a vertex, and how many threads mark the lights of one file.
#pragma once

#include <cstdint>

namespace kzo {

enum class ShadowTest : std::int32_t {
    // The shadow test with its fixed tolerances: a face must enclose the
    // crossing point with cross-product products above 0.00001, and a vertex
    // within a squared distance of 0.0001 of the light counts as on it. Both
    // depend on the scene's unit: a face of area 0.00474 or less never casts.
    classic,
    // The same test with both tolerances taken relative to the face: the
    // products are compared with 0.00001 times the squared doubled area of
    // the face (which makes them products of barycentric coordinates), and
    // the squared distance with 0.0001 times the face's squared bounding
    // radius. Scaling a whole scene by a power of two changes no result.
    relative,
};

struct ShadowOptions {
    ShadowTest test = ShadowTest::classic;
    // Threads that mark the lights of one file; 1 (or less) marks them on the
    // calling thread. The colours are the same for every count.
    int threads = 1;
};

} // namespace kzo

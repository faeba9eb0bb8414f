// How the precalculated colours cast shadows: which inside test decides that
// a face covers a vertex, and how many threads mark the lights of one file.
#pragma once

#include <algorithm>
#include <cstddef>
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

// The threads each of workers conversions running at once may use to mark
// lights: the cores divided among them, at least 1 (cores is 0 when unknown).
inline int shadowThreadsPerWorker(unsigned cores, std::size_t workers) {
    const std::size_t share = cores / std::max<std::size_t>(workers, 1);
    return static_cast<int>(std::clamp<std::size_t>(share, 1, 1024));
}

} // namespace kzo

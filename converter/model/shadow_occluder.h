// One face as an occluder of the shadow marking: the face and its corners
// widened to double, with the tolerances of the shadow test in use. Made once
// per file, since nothing of it depends on the light.
#pragma once

#include <cstdint>

namespace kzo::shadow {

struct Occluder {
    std::int32_t corners[3];
    double n[3];
    double d;
    double c[3];
    double radiusSquared;
    double k[3][3];
    double insideThreshold; // the inside test's products must exceed it
    double nearLight;       // a squared distance to the light within it is "on the light"
    // Above the largest value the inside test's products can take, up to
    // their rounding.
    double peakProduct;
    bool relative;
    bool finite;
};

} // namespace kzo::shadow

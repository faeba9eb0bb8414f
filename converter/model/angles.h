// Degrees to radians for the converter. Scenes give angles in degrees; the
// transforms and the light directions take sines and cosines, in double, of
// the angle in radians.
#pragma once

namespace kzo {

// Pi as the converter has always used it: six decimals, short of the true
// value by 6.5e-7. It must stay so: every rotated vertex, light direction and
// cone of the files converted so far was computed with it, and converting the
// same input again has to give the same bytes.
inline constexpr double kPi = 3.141592;

// The two users have always rounded differently, and for the same reason each
// keeps its own order of operations. The transforms multiply by pi / 180 taken
// as one constant ...
inline double transformRadians(float degrees) {
    return static_cast<double>(degrees) * (kPi / 180.0);
}

// ... the lights multiply by pi, then divide by 180.
inline double lightRadians(float degrees) {
    return static_cast<double>(degrees) * kPi / 180.0;
}

} // namespace kzo

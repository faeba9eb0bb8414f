// Places of the scene's nodes in double precision: affine transforms, their
// change into the engine's axes, and their split into a motion key.
//
// A transform acts on column vectors, p' = m · p, as the import library's
// matrices do. The engine builds an object's place from a key as
// position · Ry(heading) · Rx(pitch) · Rz(bank) · scale (bank applied first),
// with the usual right-handed rotation formulas; a key computed here rebuilds
// the transform it was taken from.
#pragma once

#include "format/side_formats.h"

#include <assimp/matrix4x4.h>

#include <cmath>
#include <limits>

namespace kzo {

struct Transform {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
};

// A unit quaternion w + xi + yj + zk.
struct Rotation {
    double w = 1, x = 0, y = 0, z = 0;
};

Transform fromLibrary(const aiMatrix4x4& matrix);
// parent · local: local applies first.
Transform compose(const Transform& parent, const Transform& local);
Transform translation(const double t[3]);
Transform rotationOf(const Rotation& q);
Transform scaling(const double s[3]);
double determinant(const Transform& t);
void applyPoint(const Transform& t, const double p[3], double out[3]);
void applyVector(const Transform& t, const double v[3], double out[3]);

// The same transform seen in the engine's axes, where a point (x, y, z) of
// the library's space is (x, y, -z).
Transform toEngineAxes(const Transform& library);

// A key's nine channels in double: position, heading, pitch, bank (degrees),
// scale.
struct KeyValues {
    double v[9] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
};

// The key of an engine-space transform. Angles come out as the set nearest to
// previous (a turn by 360 degrees, or the other of the two angle sets that
// give one rotation), so that keys taken one after the other stay continuous;
// without previous, of the two sets the one of smaller angles (the sum of
// their squares). A transform that mirrors gets a negative scale on the one
// axis that leaves the least rotation. Shear, which no key holds, is dropped.
KeyValues keyOf(const Transform& engine, const KeyValues* previous);
Transform transformOf(const KeyValues& key);

MotionKey toMotionKey(const KeyValues& values, std::int32_t frame);

// Finite once stored as a float: a place composed in double from several
// large transforms can be finite there and still not fit.
inline bool fitsFloat(double value) {
    return std::abs(value) <= double(std::numeric_limits<float>::max());
}

} // namespace kzo

#include "modelimport/module/scene_transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kzo {
namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

double length3(const double v[3]) {
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void cross3(const double a[3], const double b[3], double out[3]) {
    const double r[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                         a[0] * b[1] - a[1] * b[0]};
    std::copy(r, r + 3, out);
}

// Unit length, or axis when v has none.
void normalizeOr(double v[3], int axis) {
    const double n = length3(v);
    if (!(n > 1e-300) || !std::isfinite(n)) {
        v[0] = v[1] = v[2] = 0;
        v[axis] = 1;
        return;
    }
    v[0] /= n;
    v[1] /= n;
    v[2] /= n;
}

// The closest value to reference that differs from angle by whole turns.
double nearTurn(double angle, double reference) {
    return angle + 360.0 * std::round((reference - angle) / 360.0);
}

// rows[i][j]: row i, column j of a rotation with columns cols[j].
struct Basis {
    double r[3][3];
};

// The rotation left when the columns' lengths (with signs) are taken out, made
// orthonormal from its first two columns.
Basis rotationPart(const Transform& t, const double scale[3]) {
    double cols[3][3];
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            cols[j][i] = scale[j] != 0 ? t.m[i][j] / scale[j] : 0.0;
        }
    }
    normalizeOr(cols[0], 0);
    double z[3];
    cross3(cols[0], cols[1], z);
    if (!(length3(z) > 1e-12)) {
        // The second column is lost (a zero scale): any axis across the first.
        const double other[3] = {std::abs(cols[0][0]) < 0.9 ? 1.0 : 0.0,
                                 std::abs(cols[0][0]) < 0.9 ? 0.0 : 1.0, 0.0};
        cross3(cols[0], other, z);
    }
    normalizeOr(z, 2);
    double y[3];
    cross3(z, cols[0], y);
    Basis b{};
    for (int i = 0; i < 3; ++i) {
        b.r[i][0] = cols[0][i];
        b.r[i][1] = y[i];
        b.r[i][2] = z[i];
    }
    return b;
}

// Heading, pitch and bank (degrees) of R = Ry(h) Rx(p) Rz(b).
void anglesOf(const Basis& b, const KeyValues* previous, double out[3]) {
    const auto& r = b.r;
    const double sinPitch = std::clamp(-r[1][2], -1.0, 1.0);
    const double pitch = std::asin(sinPitch);
    if (std::abs(sinPitch) < 1.0 - 1e-12) {
        out[0] = std::atan2(r[0][2], r[2][2]) * kDegrees;
        out[1] = pitch * kDegrees;
        out[2] = std::atan2(r[1][0], r[1][1]) * kDegrees;
        return;
    }
    // Pitch of a quarter turn: only heading minus (or plus) bank is known, so
    // bank stays where it was.
    const double bank = previous != nullptr ? previous->v[5] : 0.0;
    const double sum = sinPitch > 0 ? std::atan2(r[0][1], r[0][0]) * kDegrees
                                    : std::atan2(-r[0][1], r[0][0]) * kDegrees;
    out[0] = sinPitch > 0 ? sum + bank : sum - bank;
    out[1] = pitch * kDegrees;
    out[2] = bank;
}

void chooseNearest(double angles[3], const KeyValues& previous) {
    const double sets[2][3] = {{angles[0], angles[1], angles[2]},
                               {angles[0] + 180.0, 180.0 - angles[1], angles[2] + 180.0}};
    double best = INFINITY;
    for (const auto& set : sets) {
        double candidate[3];
        double cost = 0;
        for (int k = 0; k < 3; ++k) {
            candidate[k] = nearTurn(set[k], previous.v[3 + k]);
            const double d = candidate[k] - previous.v[3 + k];
            cost += d * d;
        }
        if (cost < best) {
            best = cost;
            std::copy(candidate, candidate + 3, angles);
        }
    }
}

// Of the two sets of one turn the one of smaller angles, each within
// -180..180 as the decomposition gives them.
void chooseLeastTurn(double angles[3]) {
    const auto within = [](double a) { return a > 180.0 ? a - 360.0 : a; };
    const double other[3] = {within(angles[0] + 180.0), within(180.0 - angles[1]),
                             within(angles[2] + 180.0)};
    const auto turn = [](const double* a) { return a[0] * a[0] + a[1] * a[1] + a[2] * a[2]; };
    if (turn(other) < turn(angles)) {
        std::copy(other, other + 3, angles);
    }
}

} // namespace

Transform fromLibrary(const aiMatrix4x4& t) {
    return Transform{
        {{t.a1, t.a2, t.a3, t.a4}, {t.b1, t.b2, t.b3, t.b4}, {t.c1, t.c2, t.c3, t.c4}}};
}

Transform compose(const Transform& parent, const Transform& local) {
    Transform r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = parent.m[i][0] * local.m[0][j] + parent.m[i][1] * local.m[1][j] +
                         parent.m[i][2] * local.m[2][j];
            if (j == 3) {
                sum += parent.m[i][3];
            }
            r.m[i][j] = sum;
        }
    }
    return r;
}

Transform translation(const double t[3]) {
    Transform r;
    for (int i = 0; i < 3; ++i) {
        r.m[i][3] = t[i];
    }
    return r;
}

Transform rotationOf(const Rotation& q) {
    double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    if (!(n > 0) || !std::isfinite(n)) {
        return Transform{};
    }
    const double w = q.w / n, x = q.x / n, y = q.y / n, z = q.z / n;
    return Transform{{{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y), 0},
                      {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x), 0},
                      {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y), 0}}};
}

Transform scaling(const double s[3]) {
    Transform r;
    for (int i = 0; i < 3; ++i) {
        r.m[i][i] = s[i];
    }
    return r;
}

double determinant(const Transform& t) {
    const auto& m = t.m;
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

void applyPoint(const Transform& t, const double p[3], double out[3]) {
    double r[3];
    for (int i = 0; i < 3; ++i) {
        r[i] = t.m[i][0] * p[0] + t.m[i][1] * p[1] + t.m[i][2] * p[2] + t.m[i][3];
    }
    std::copy(r, r + 3, out);
}

void applyVector(const Transform& t, const double v[3], double out[3]) {
    double r[3];
    for (int i = 0; i < 3; ++i) {
        r[i] = t.m[i][0] * v[0] + t.m[i][1] * v[1] + t.m[i][2] * v[2];
    }
    std::copy(r, r + 3, out);
}

Transform toEngineAxes(const Transform& library) {
    Transform r = library;
    r.m[0][2] = -r.m[0][2];
    r.m[1][2] = -r.m[1][2];
    r.m[2][0] = -r.m[2][0];
    r.m[2][1] = -r.m[2][1];
    r.m[2][3] = -r.m[2][3];
    return r;
}

KeyValues keyOf(const Transform& engine, const KeyValues* previous) {
    KeyValues key;
    double scale[3];
    for (int j = 0; j < 3; ++j) {
        const double col[3] = {engine.m[0][j], engine.m[1][j], engine.m[2][j]};
        scale[j] = length3(col);
        key.v[j] = engine.m[j][3];
    }
    if (determinant(engine) < 0) {
        // Negate the scale of the axis whose rotation then turns least (the
        // largest trace).
        int best = 0;
        double bestTrace = -INFINITY;
        for (int k = 0; k < 3; ++k) {
            double s[3] = {scale[0], scale[1], scale[2]};
            s[k] = -s[k];
            const Basis b = rotationPart(engine, s);
            const double trace = b.r[0][0] + b.r[1][1] + b.r[2][2];
            if (trace > bestTrace) {
                bestTrace = trace;
                best = k;
            }
        }
        scale[best] = -scale[best];
    }
    double angles[3];
    anglesOf(rotationPart(engine, scale), previous, angles);
    if (previous != nullptr) {
        chooseNearest(angles, *previous);
    } else {
        // A turn of 107 degrees about x is pitch 107, not heading 180, pitch
        // 73 and bank 180.
        chooseLeastTurn(angles);
    }
    for (int k = 0; k < 3; ++k) {
        key.v[3 + k] = angles[k];
        key.v[6 + k] = scale[k];
    }
    return key;
}

Transform transformOf(const KeyValues& key) {
    const double h = key.v[3] / kDegrees, p = key.v[4] / kDegrees, b = key.v[5] / kDegrees;
    const Transform heading{
        {{std::cos(h), 0, std::sin(h), 0}, {0, 1, 0, 0}, {-std::sin(h), 0, std::cos(h), 0}}};
    const Transform pitch{
        {{1, 0, 0, 0}, {0, std::cos(p), -std::sin(p), 0}, {0, std::sin(p), std::cos(p), 0}}};
    const Transform bank{
        {{std::cos(b), -std::sin(b), 0, 0}, {std::sin(b), std::cos(b), 0, 0}, {0, 0, 1, 0}}};
    const Transform rotation = compose(compose(heading, pitch), bank);
    return compose(translation(key.v), compose(rotation, scaling(key.v + 6)));
}

MotionKey toMotionKey(const KeyValues& values, std::int32_t frame) {
    MotionKey key;
    key.frame = frame;
    float* const out[9] = {&key.position[0], &key.position[1], &key.position[2],
                           &key.heading,     &key.pitch,       &key.bank,
                           &key.scale[0],    &key.scale[1],    &key.scale[2]};
    for (int k = 0; k < 9; ++k) {
        // + 0.0f folds -0.0 into 0.0.
        *out[k] = static_cast<float>(values.v[k]) + 0.0f;
    }
    return key;
}

} // namespace kzo

#include "converter/model/hemisphere_rays.h"

#include <cmath>
#include <cstddef>

namespace kzo {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGoldenFraction = 0.61803398874989484820; // (sqrt(5) - 1) / 2

} // namespace

std::vector<float> cosineHemisphere(std::int32_t count) {
    const double goldenAngle = kPi * (3.0 - std::sqrt(5.0));
    std::vector<float> set(3 * static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
        // Equal areas of the disc: the squared radius steps evenly, and the
        // height sqrt(1 - r^2) never reaches 0.
        const double squared = (k + 0.5) / count;
        const double radius = std::sqrt(squared);
        const double angle = goldenAngle * k;
        float* d = set.data() + 3 * static_cast<std::size_t>(k);
        d[0] = static_cast<float>(radius * std::cos(angle));
        d[1] = static_cast<float>(radius * std::sin(angle));
        d[2] = static_cast<float>(std::sqrt(1.0 - squared));
    }
    return set;
}

void turnOntoNormal(const std::vector<float>& set, const float normal[3], std::int32_t vertex,
                    float* out) {
    const double turn = vertex * kGoldenFraction;
    const double angle = 2.0 * kPi * (turn - std::floor(turn));
    const float c = static_cast<float>(std::cos(angle));
    const float s = static_cast<float>(std::sin(angle));
    // Two unit vectors across the normal without a division by a small
    // number whatever the normal (Duff and others, 2017).
    const float* n = normal;
    const float sign = std::copysign(1.0f, n[2]);
    const float a = -1.0f / (sign + n[2]);
    const float b = n[0] * n[1] * a;
    const float t[3] = {1.0f + sign * n[0] * n[0] * a, sign * b, -sign * n[0]};
    const float u[3] = {b, sign + n[1] * n[1] * a, -n[1]};
    const std::size_t count = set.size() / 3;
    for (std::size_t k = 0; k < count; ++k) {
        const float* d = set.data() + 3 * k;
        const float x = d[0] * c - d[1] * s;
        const float y = d[0] * s + d[1] * c;
        float* o = out + 3 * k;
        for (int axis = 0; axis < 3; ++axis) {
            o[axis] = x * t[axis] + y * u[axis] + d[2] * n[axis];
        }
    }
}

} // namespace kzo

#include "viewer/view_matrix.h"

#include <cmath>

namespace kzoview {

void MultiplyMatrix(Matrix3& out, const Matrix3& a, const Matrix3& b) {
    Matrix3 t{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            t.r[i * 3 + j] = a.r[i * 3 + 0] * b.r[0 + j] + a.r[i * 3 + 1] * b.r[3 + j] +
                             a.r[i * 3 + 2] * b.r[6 + j];
        }
    }
    out = t;
}

namespace {

double angleFor(std::int64_t pixels) {
    return static_cast<double>(pixels) * kAnglePerPixel;
}

} // namespace

Matrix3 horizontalStep(std::int64_t pixels) {
    const double angle = angleFor(pixels);
    const auto c = static_cast<float>(std::cos(angle));
    const auto s = static_cast<float>(std::sin(angle));
    return Matrix3{{1, 0, 0, 0, c, s, 0, -s, c}};
}

Matrix3 verticalStep(std::int64_t pixels) {
    const double angle = angleFor(pixels);
    const auto c = static_cast<float>(std::cos(angle));
    const auto s = static_cast<float>(std::sin(angle));
    return Matrix3{{c, 0, -s, 0, 1, 0, s, 0, c}};
}

} // namespace kzoview

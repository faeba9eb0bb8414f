// 3 x 3 turning matrices of the wireframe view: 32-bit floats, row-major
// (elements r0 to r8); a vector is a row, turned as v x R.
#pragma once

#include <array>
#include <cstdint>

namespace kzoview {

struct Matrix3 {
    std::array<float, 9> r;
};

inline constexpr Matrix3 kIdentityMatrix{{1, 0, 0, 0, 1, 0, 0, 0, 1}};

// Radians per pixel of mouse movement: half a turn per 512 pixels. The 1/512
// is a power of two, so p x 3.141592 x 1/512 is the same in either order.
inline constexpr double kAnglePerPixel = 3.141592 * (1.0 / 512);

// out = a x b; out may be a or b.
void MultiplyMatrix(Matrix3& out, const Matrix3& a, const Matrix3& b);

// The step about the window's horizontal axis for a movement of pixels:
// rows (1, 0, 0), (0, cos, sin), (0, -sin, cos). The angle and its sine and
// cosine are taken in double and stored as floats.
Matrix3 horizontalStep(std::int64_t pixels);
// The step about the window's vertical axis: rows (cos, 0, -sin), (0, 1, 0),
// (sin, 0, cos).
Matrix3 verticalStep(std::int64_t pixels);

} // namespace kzoview

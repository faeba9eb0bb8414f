#include "viewer/view_state.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using kzoview::Matrix3;
using kzoview::ViewState;

namespace {

std::array<float, 3> turn(const std::array<float, 3>& v, const Matrix3& m) {
    const auto& r = m.r;
    return {v[0] * r[0] + v[1] * r[3] + v[2] * r[6], v[0] * r[1] + v[1] * r[4] + v[2] * r[7],
            v[0] * r[2] + v[1] * r[5] + v[2] * r[8]};
}

void expectNear(const std::array<float, 3>& got, const std::array<float, 3>& want, float tol) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(got[i], want[i], tol) << "component " << i;
    }
}

bool isIdentity(const Matrix3& m) {
    return m.r == kzoview::kIdentityMatrix.r;
}

} // namespace

TEST(ViewMatrix, multipliesRowsByColumnsAndAllowsAliasing) {
    Matrix3 a{{1, 2, 3, 4, 5, 6, 7, 8, 9}};
    const Matrix3 b{{0, 1, 0, 0, 0, 1, 1, 0, 0}}; // moves columns: c0 <- c2, c1 <- c0, c2 <- c1
    Matrix3 out{};
    kzoview::MultiplyMatrix(out, a, b);
    EXPECT_EQ(out.r, (std::array<float, 9>{3, 1, 2, 6, 4, 5, 9, 7, 8}));
    kzoview::MultiplyMatrix(a, a, b);
    EXPECT_EQ(a.r, out.r);
}

TEST(ViewState, dragOf512PixelsLeftTurnsHalfAboutTheVerticalAxis) {
    ViewState view;
    kzoview::FormCreate(view);
    kzoview::FormMouseDown(view, 600, 100);
    EXPECT_TRUE(kzoview::FormMouseMove(view, 88, 100));
    expectNear(turn({1, 0, 0}, view.rotation), {-1, 0, 0}, 1e-6f);
    expectNear(turn({0, 0, 1}, view.rotation), {0, 0, -1}, 1e-6f);
    expectNear(turn({0, 1, 0}, view.rotation), {0, 1, 0}, 0);

    // The same drag in 512 one-pixel moves ends close to the same turn.
    ViewState stepwise;
    kzoview::FormMouseDown(stepwise, 600, 100);
    for (int x = 599; x >= 88; --x) {
        kzoview::FormMouseMove(stepwise, x, 100);
    }
    expectNear(turn({1, 0, 0}, stepwise.rotation), {-1, 0, 0}, 1e-4f);
}

TEST(ViewState, dragDownTurnsAboutTheHorizontalAxisByANegativeAngle) {
    ViewState view;
    kzoview::FormMouseDown(view, 50, 50);
    kzoview::FormMouseMove(view, 50, 306); // dy = -256: a quarter turn backwards
    expectNear(turn({0, 1, 0}, view.rotation), {0, 0, -1}, 1e-6f);
    EXPECT_EQ(view.lastMouseY, 306);
}

TEST(ViewState, timerRepeatsTheLastStepOnlyBetweenDrags) {
    ViewState view;
    kzoview::FormCreate(view);
    EXPECT_TRUE(kzoview::Timer1Timer(view));
    const float angle = static_cast<float>(10 * 3.141592 / 512);
    // Ten pixels about each axis: x turns about the vertical axis only.
    expectNear(turn({1, 0, 0}, view.rotation), {std::cos(angle), 0, -std::sin(angle)}, 1e-6f);

    kzoview::FormMouseDown(view, 5, 5);
    view.rotation = kzoview::kIdentityMatrix;
    EXPECT_FALSE(kzoview::Timer1Timer(view)) << "no spin while dragging";
    kzoview::FormMouseUp(view);
    EXPECT_TRUE(kzoview::Timer1Timer(view));
    EXPECT_TRUE(isIdentity(view.rotation)) << "press and release without movement stops it";

    kzoview::FormMouseDown(view, 5, 5);
    kzoview::FormMouseMove(view, 7, 5);
    kzoview::FormMouseUp(view);
    view.rotation = kzoview::kIdentityMatrix;
    kzoview::Timer1Timer(view);
    expectNear(turn({1, 0, 0}, view.rotation), turn({1, 0, 0}, kzoview::verticalStep(-2)), 0);
}

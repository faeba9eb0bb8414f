#include "viewer/line_raster.h"

#include "tests/viewer/wire_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <utility>

using kzotest::imageRows;
using kzoview::drawLine;
using kzoview::RasterImage;

namespace {

RasterImage blackImage(int w, int h) {
    RasterImage image;
    kzoview::resetImage(image, w, h, kzoview::kBlack);
    return image;
}

std::vector<std::string> lineRows(int w, int h, int x0, int y0, int x1, int y1) {
    RasterImage image = blackImage(w, h);
    drawLine(image, x0, y0, x1, y1, kzoview::kWhite);
    return imageRows(image);
}

// The pixel rule written out once more, each pixel on its own: every major
// position from the start up to the end, the minor offset d·k/n rounded half up.
std::set<std::pair<long long, long long>> referencePixels(long long x0, long long y0, long long x1,
                                                          long long y1) {
    std::set<std::pair<long long, long long>> out;
    const long long dx = x1 - x0;
    const long long dy = y1 - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long n = xMajor ? std::llabs(dx) : std::llabs(dy);
    auto roundHalfUp = [n](long long numerator) { // numerator / n, rounded half up
        const long long twice = 2 * numerator + n;
        return twice >= 0 ? twice / (2 * n) : -((-twice + 2 * n - 1) / (2 * n));
    };
    for (long long k = 0; k < n; ++k) {
        if (xMajor) {
            out.insert({x0 + (dx > 0 ? k : -k), y0 + roundHalfUp(dy * k)});
        } else {
            out.insert({x0 + roundHalfUp(dx * k), y0 + (dy > 0 ? k : -k)});
        }
    }
    return out;
}

} // namespace

TEST(LineRaster, setsFirstPixelAndLeavesOutLast) {
    EXPECT_EQ(lineRows(6, 3, 1, 1, 5, 1), (std::vector<std::string>{"......", ".####.", "......"}));
    EXPECT_EQ(lineRows(6, 3, 5, 1, 1, 1), (std::vector<std::string>{"......", "..####", "......"}));
    EXPECT_EQ(lineRows(3, 4, 1, 0, 1, 3), (std::vector<std::string>{".#.", ".#.", ".#.", "..."}));
    EXPECT_EQ(lineRows(4, 4, 0, 0, 3, 3),
              (std::vector<std::string>{"#...", ".#..", "..#.", "...."}));
    EXPECT_EQ(lineRows(3, 3, 1, 1, 1, 1), (std::vector<std::string>{"...", "...", "..."}));
}

TEST(LineRaster, roundsExactHalvesTowardLargerCoordinateInEitherDirection) {
    // The ideal line from (0,0) to (4,1) is at y = 0.5 over x = 2.
    EXPECT_EQ(lineRows(5, 2, 0, 0, 4, 1), (std::vector<std::string>{"##...", "..##."}));
    EXPECT_EQ(lineRows(5, 2, 4, 1, 0, 0), (std::vector<std::string>{".#...", "..###"}));
    // y-major: x = 0.5 at y = 2 rounds right.
    EXPECT_EQ(lineRows(2, 5, 0, 0, 1, 4), (std::vector<std::string>{"#.", "#.", ".#", ".#", ".."}));
}

TEST(LineRaster, agreesWithStepwiseRuleOnRandomLines) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-40, 80);
    for (int i = 0; i < 3000; ++i) {
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        RasterImage image = blackImage(41, 31);
        drawLine(image, x0, y0, x1, y1, kzoview::kWhite);
        std::set<std::pair<long long, long long>> expected;
        for (const auto& p : referencePixels(x0, y0, x1, y1)) {
            if (p.first >= 0 && p.first < 41 && p.second >= 0 && p.second < 31) {
                expected.insert(p);
            }
        }
        std::set<std::pair<long long, long long>> got;
        for (int y = 0; y < 31; ++y) {
            for (int x = 0; x < 41; ++x) {
                if (image.at(x, y) == kzoview::kWhite) {
                    got.insert({x, y});
                }
            }
        }
        ASSERT_EQ(got, expected) << x0 << "," << y0 << " -> " << x1 << "," << y1;
    }
}

TEST(LineRaster, clippingKeepsThePixelsInsideTheImage) {
    // The same lines drawn into a small image and into a large one around it:
    // the small image must equal the matching window of the large one.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(-60, 90);
    constexpr int kPad = 100;
    for (int i = 0; i < 1000; ++i) {
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        RasterImage small = blackImage(30, 20);
        RasterImage large = blackImage(30 + 2 * kPad, 20 + 2 * kPad);
        drawLine(small, x0, y0, x1, y1, kzoview::kWhite);
        drawLine(large, x0 + kPad, y0 + kPad, x1 + kPad, y1 + kPad, kzoview::kWhite);
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 30; ++x) {
                ASSERT_EQ(small.at(x, y), large.at(x + kPad, y + kPad))
                    << x0 << "," << y0 << " -> " << x1 << "," << y1 << " at " << x << "," << y;
            }
        }
    }
}

TEST(LineRaster, farEndpointsDrawTheVisiblePartExactly) {
    constexpr int kL = kzoview::kPixelCoordinateLimit;
    // Diagonal through the whole coordinate range: exactly the main diagonal.
    EXPECT_EQ(lineRows(4, 4, -kL, -kL, kL, kL),
              (std::vector<std::string>{"#...", ".#..", "..#.", "...#"}));
    // Steep line from far above to far below crossing x = 2.
    EXPECT_EQ(lineRows(5, 3, 2, -kL, 2, kL), (std::vector<std::string>{"..#..", "..#..", "..#.."}));
    // Entirely outside: nothing, and no walk along its length.
    EXPECT_EQ(lineRows(3, 3, -kL, 5, kL, kL), (std::vector<std::string>{"...", "...", "..."}));
    // Shallow line whose minor coordinate enters the image half a range along it.
    EXPECT_EQ(lineRows(8, 8, -kL, -kL / 4, kL, kL / 4 + 6),
              (std::vector<std::string>{"........", "........", "........", "##......", "..####..",
                                        "......##", "........", "........"}));
}

TEST(LineRaster, pixelCoordinatesTruncateTowardZeroAndStayBounded) {
    EXPECT_EQ(kzoview::pixelCoordinate(3.9f), 3);
    EXPECT_EQ(kzoview::pixelCoordinate(-3.9f), -3);
    EXPECT_EQ(kzoview::pixelCoordinate(-0.7f), 0);
    EXPECT_EQ(kzoview::pixelCoordinate(1e30f), kzoview::kPixelCoordinateLimit);
    EXPECT_EQ(kzoview::pixelCoordinate(-std::numeric_limits<float>::infinity()),
              -kzoview::kPixelCoordinateLimit);
    EXPECT_EQ(kzoview::pixelCoordinate(std::numeric_limits<float>::quiet_NaN()), std::nullopt);
}

#include "format/screen_placement.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kzo {
void PrintTo(const ScreenPoint& p, std::ostream* out) {
    *out << '(' << p.x << ", " << p.y << ')';
}
} // namespace kzo

using kzo::placeInside;
using kzo::ScreenPoint;
using kzo::ScreenRect;

// The main form's frame (554 x 487 client, a title bar and borders) at its
// designed place, on screens of device-independent sizes.
TEST(ScreenPlacement, keepsWhatFitsAndPullsTheRestInside) {
    const ScreenRect form{361, 117, 558, 516};

    // A full-HD screen with a panel at the bottom: the designed place stays.
    EXPECT_EQ(placeInside(form, {0, 0, 1920, 1040}), (ScreenPoint{361, 117}));
    // The same screen at scale 2 (960 x 520): the form moves up, no further
    // than needed, and keeps its x.
    EXPECT_EQ(placeInside(form, {0, 0, 960, 520}), (ScreenPoint{361, 4}));
    // A narrow screen: pulled left so that its right edge is the screen's.
    EXPECT_EQ(placeInside(form, {0, 0, 800, 700}), (ScreenPoint{242, 117}));
    // A second screen to the right with a panel at its top: the area's own
    // origin counts.
    EXPECT_EQ(placeInside(form, {1920, 32, 1280, 992}), (ScreenPoint{1920, 117}));
    EXPECT_EQ(placeInside({3000, 900, 558, 516}, {1920, 32, 1280, 992}), (ScreenPoint{2642, 508}));
    // Larger than the area: its top-left corner, where the title bar is.
    EXPECT_EQ(placeInside(form, {0, 24, 480, 400}), (ScreenPoint{0, 24}));
    EXPECT_EQ(placeInside({-50, -40, 558, 516}, {0, 0, 1920, 1040}), (ScreenPoint{0, 0}));
}

#include "viewer/line_raster.h"

#include <algorithm>
#include <cstddef>

namespace kzoview {

namespace {

std::int64_t floorDiv(std::int64_t numerator, std::int64_t denominator) { // denominator > 0
    std::int64_t q = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) {
        --q;
    }
    return q;
}

// The line in major/minor terms: step k (0 <= k < n) is at major a0 + sa·k and
// minor b0 + floor((2·db·k + n) / 2n), the ideal minor coordinate rounded half up.
struct MajorMinorLine {
    std::int64_t a0, b0, sa, db, n;

    std::int64_t minorAt(std::int64_t k) const { return b0 + floorDiv(2 * db * k + n, 2 * n); }
};

// Smallest k in [lo, hi] for which pred holds, hi + 1 when none; pred must be
// false then true along k.
template <typename Pred>
std::int64_t firstStep(std::int64_t lo, std::int64_t hi, Pred pred) {
    std::int64_t end = hi + 1;
    while (lo < end) {
        const std::int64_t mid = lo + (end - lo) / 2;
        if (pred(mid)) {
            end = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

// The pixel box of major range [aLo, aHi] and minor range [bLo, bHi], all
// within +-(2^30 + 1), so every value fits an int.
PixelRect boxOf(std::int64_t aLo, std::int64_t aHi, std::int64_t bLo, std::int64_t bHi,
                bool xMajor) {
    const auto i = [](std::int64_t v) { return static_cast<int>(v); };
    return xMajor ? PixelRect{i(aLo), i(bLo), i(aHi + 1), i(bHi + 1)}
                  : PixelRect{i(bLo), i(aLo), i(bHi + 1), i(aHi + 1)};
}

} // namespace

void drawLine(RasterImage& image, std::int32_t x0, std::int32_t y0, std::int32_t x1,
              std::int32_t y1, std::uint32_t color, LinePaint paint) {
    if (image.width <= 0 || image.height <= 0) {
        return;
    }
    const std::int64_t dx = std::int64_t{x1} - x0;
    const std::int64_t dy = std::int64_t{y1} - y0;
    if (dx == 0 && dy == 0) {
        return; // the only pixel is the last one, which a line leaves out
    }
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const std::int64_t da = xMajor ? dx : dy;
    MajorMinorLine line{xMajor ? x0 : y0, xMajor ? y0 : x0, da > 0 ? 1 : -1, xMajor ? dy : dx,
                        da < 0 ? -da : da};
    const std::int64_t aMax = (xMajor ? image.width : image.height) - 1;
    const std::int64_t bMax = (xMajor ? image.height : image.width) - 1;

    const std::int64_t b1 = line.b0 + line.db;
    if ((line.b0 < 0 && b1 < 0) || (line.b0 > bMax && b1 > bMax)) {
        return;
    }
    // Steps whose major coordinate lies inside the image.
    std::int64_t kFirst = 0;
    std::int64_t kLast = line.n - 1;
    if (line.sa > 0) {
        kFirst = std::max(kFirst, -line.a0);
        kLast = std::min(kLast, aMax - line.a0);
    } else {
        kFirst = std::max(kFirst, line.a0 - aMax);
        kLast = std::min(kLast, line.a0);
    }
    if (kFirst > kLast) {
        return;
    }
    // The minor coordinate is monotone in k: skip the steps before it enters
    // the image, so the loop below costs no more than the pixels it may set.
    if (line.db > 0 && line.minorAt(kFirst) < 0) {
        kFirst = firstStep(kFirst, kLast, [&](std::int64_t k) { return line.minorAt(k) >= 0; });
    } else if (line.db < 0 && line.minorAt(kFirst) > bMax) {
        kFirst = firstStep(kFirst, kLast, [&](std::int64_t k) { return line.minorAt(k) <= bMax; });
    }

    // Every pixel the loop may set lies in the box of the steps' major range
    // and the two ends' minor coordinates.
    const std::int64_t aFirst = line.a0 + line.sa * kFirst;
    const std::int64_t aLast = line.a0 + line.sa * kLast;
    markDrawn(image, boxOf(std::min(aFirst, aLast), std::max(aFirst, aLast), std::min(line.b0, b1),
                           std::max(line.b0, b1), xMajor));

    const std::int64_t twoN = 2 * line.n;
    // Most lines start inside the image, at step 0, where q = 0 and r = n:
    // no division for them.
    const std::int64_t numerator = 2 * line.db * kFirst + line.n;
    const std::int64_t q = kFirst == 0 ? 0 : floorDiv(numerator, twoN);
    std::int64_t remainder = numerator - q * twoN; // in [0, 2n)
    std::int64_t b = line.b0 + q;
    const std::int64_t a = line.a0 + line.sa * kFirst;

    const auto width = static_cast<std::ptrdiff_t>(image.width);
    const std::ptrdiff_t majorStride = xMajor ? line.sa : line.sa * width;
    const std::ptrdiff_t minorStride = xMajor ? width : 1;
    const std::int64_t x = xMajor ? a : b;
    const std::int64_t y = xMajor ? b : a;
    // An index rather than a pointer: after the last pixel it may point outside the image.
    std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y) * width + static_cast<std::ptrdiff_t>(x);
    std::uint32_t* const pixels = image.pixels.data();
    const std::int64_t step = 2 * line.db; // |step| <= 2n: at most one minor move per step
    for (std::int64_t k = kFirst; k <= kLast; ++k) {
        if (b < 0 || b > bMax) {
            break; // once the minor coordinate has left the image it does not come back
        }
        if (paint == LinePaint::replace || pixels[at] < color) {
            pixels[at] = color;
        }
        at += majorStride;
        remainder += step;
        if (remainder >= twoN) {
            remainder -= twoN;
            ++b;
            at += minorStride;
        } else if (remainder < 0) {
            remainder += twoN;
            --b;
            at -= minorStride;
        }
    }
}

} // namespace kzoview

#include "modelimport/module/motion_keys.h"

#include "modelimport/module/scene_mapping.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kzo {
namespace {

// A key time closer than this to a whole frame is on it (times stored as
// single floats drift by about a millionth of their value).
bool onWholeFrame(double frame) {
    return std::abs(frame - std::round(frame)) <= 1e-4 + 1e-6 * std::abs(frame);
}

bool close(double interpolated, double exact) {
    return std::abs(interpolated - exact) <= 1e-4 * std::max(1.0, std::abs(exact));
}

void checkKey(const KeyValues& key) {
    for (double v : key.v) {
        if (!fitsFloat(v)) {
            throw MappingError("a node's place is not a finite number");
        }
    }
}

struct KeyFrames {
    std::vector<std::int64_t> frames; // of the keys, stepped holds included
    double first = INFINITY, last = -INFINITY;
    bool wholeFrames = true;
    bool spline = false;
};

KeyFrames keyFramesOf(const PlaceCurve& curve, double fps, const KeyLimits& limits) {
    KeyFrames out;
    for (const ChannelTrack* channel : curve.channels) {
        out.spline |= channel->interpolation == Interpolation::cubicSpline;
        std::int64_t previous = 0;
        for (std::size_t i = 0; i < channel->seconds.size(); ++i) {
            const double frame = channel->seconds[i] * fps;
            if (!(std::abs(frame) <= double(limits.maxFrame))) {
                throw MappingError("the animation runs past frame " +
                                   std::to_string(limits.maxFrame));
            }
            out.first = std::min(out.first, frame);
            out.last = std::max(out.last, frame);
            out.wholeFrames &= onWholeFrame(frame);
            const auto whole = static_cast<std::int64_t>(std::llround(frame));
            if (channel->interpolation == Interpolation::step && i > 0 && whole - 1 > previous) {
                out.frames.push_back(whole - 1);
            }
            out.frames.push_back(whole);
            previous = whole;
        }
    }
    std::sort(out.frames.begin(), out.frames.end());
    out.frames.erase(std::unique(out.frames.begin(), out.frames.end()), out.frames.end());
    return out;
}

// Linear interpolation of the keys on frames (offsets into samples) gives
// every sample.
bool keysReproduce(const std::vector<KeyValues>& samples, const std::vector<std::size_t>& keys) {
    for (std::size_t k = 0; k + 1 < keys.size(); ++k) {
        const KeyValues& a = samples[keys[k]];
        const KeyValues& b = samples[keys[k + 1]];
        const double span = double(keys[k + 1] - keys[k]);
        for (std::size_t f = keys[k] + 1; f < keys[k + 1]; ++f) {
            const double u = double(f - keys[k]) / span;
            for (int c = 0; c < 9; ++c) {
                if (!close(a.v[c] + (b.v[c] - a.v[c]) * u, samples[f].v[c])) {
                    return false;
                }
            }
        }
    }
    return true;
}

void charge(KeyBudget& budget, std::size_t keys) {
    if (keys > budget.limits.maxKeys - budget.used) {
        throw MappingError("the animation needs more than " +
                           std::to_string(budget.limits.maxKeys) + " keys");
    }
    budget.used += keys;
}

} // namespace

std::vector<MotionKey> motionKeys(const PlaceCurve& curve, double fps, KeyBudget& budget) {
    const KeyFrames keyFrames = keyFramesOf(curve, fps, budget.limits);
    if (keyFrames.frames.empty()) {
        charge(budget, 1);
        const KeyValues rest = keyOf(curve.at(0.0), nullptr);
        checkKey(rest);
        return {toMotionKey(rest, 0)};
    }
    const auto first = static_cast<std::int64_t>(std::floor(keyFrames.first + 1e-4));
    const auto last = std::max(first, static_cast<std::int64_t>(std::ceil(keyFrames.last - 1e-4)));
    const auto count = static_cast<std::size_t>(last - first + 1);
    // Every frame is evaluated whatever the keys turn out to be, so the span
    // itself is charged.
    charge(budget, count);
    const std::size_t nodes = std::max<std::size_t>(curve.animatedNodes, 1);
    if (count > (budget.limits.maxNodeSamples - budget.nodeSamples) / nodes) {
        throw MappingError("the animation needs more than " +
                           std::to_string(budget.limits.maxNodeSamples) + " samples of its nodes");
    }
    budget.nodeSamples += count * nodes;
    std::vector<KeyValues> samples(count);
    for (std::size_t f = 0; f < count; ++f) {
        const double seconds = double(first + std::int64_t(f)) / fps;
        samples[f] = keyOf(curve.at(seconds), f > 0 ? &samples[f - 1] : nullptr);
        checkKey(samples[f]);
    }
    std::vector<std::size_t> keys;
    if (keyFrames.wholeFrames && !keyFrames.spline) {
        for (std::int64_t frame : keyFrames.frames) {
            keys.push_back(static_cast<std::size_t>(std::clamp(frame, first, last) - first));
        }
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    }
    if (keys.empty() || !keysReproduce(samples, keys)) {
        keys.resize(count);
        for (std::size_t f = 0; f < count; ++f) {
            keys[f] = f;
        }
    }
    std::vector<MotionKey> out;
    out.reserve(keys.size());
    for (std::size_t k : keys) {
        out.push_back(toMotionKey(samples[k], static_cast<std::int32_t>(first + std::int64_t(k))));
    }
    return out;
}

} // namespace kzo

// Motion keys of one place (an object relative to its parent, or the camera)
// from the file's curves, for an engine that interpolates each of a key's
// nine channels linearly between keys.
#pragma once

#include "modelimport/module/animation_tracks.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kzo {

// Work a file may ask for: a curve sampled at every frame costs a key per
// frame.
struct KeyLimits {
    std::int64_t maxFrame = 10'000'000; // |frame| of any key
    std::size_t maxKeys = 2'000'000;    // all places of the model together
    // Frames sampled times the animated nodes above each place, for all
    // places together: the time the sampling takes.
    std::size_t maxNodeSamples = 50'000'000;
};

struct KeyBudget {
    KeyLimits limits;
    std::size_t used = 0;
    std::size_t nodeSamples = 0;
};

struct PlaceCurve {
    // The engine-space transform of the place at a time in seconds.
    std::function<Transform(double)> at;
    // Every channel that moves it (none: it stands still).
    std::vector<const ChannelTrack*> channels;
    // The animated nodes evaluated for one sample.
    std::size_t animatedNodes = 0;
};

// The keys, frames increasing, never empty. A place that stands still has one
// key, at frame 0. Otherwise the keys lie on the frames of the channels' keys
// (a stepped channel also holds its value on the frame before each change),
// when interpolating those keys linearly gives the curve at every whole frame
// within 1e-4 (relative above 1); when it does not (splines, turns about a
// changing axis, keys between frames) there is a key on every frame from the
// first key to the last. Throws MappingError when a value is not finite or
// the keys pass the limits.
std::vector<MotionKey> motionKeys(const PlaceCurve& curve, double framesPerSecond,
                                  KeyBudget& budget);

} // namespace kzo

// The node animation of a model file as curves of time in seconds: for each
// animated node its translation, rotation and scale, each with its own keys
// and interpolation, evaluated as the file's players do (linear and
// spherical-linear between keys, held before the first and after the last).
#pragma once

#include "modelimport/module/scene_transform.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

struct aiAnimation;
struct aiNode;

namespace kzo {

enum class Interpolation { linear, step, cubicSpline };

enum TrackChannel : int { kTranslation = 0, kRotation = 1, kScale = 2 };

// One channel of one node. Rotations are w, x, y, z per key, the others x, y,
// z. Times increase (equal times are allowed: a jump).
struct ChannelTrack {
    Interpolation interpolation = Interpolation::linear;
    std::vector<double> seconds;
    std::vector<double> values;
    // cubicSpline only: the tangents at each key, per second.
    std::vector<double> inTangents;
    std::vector<double> outTangents;
};

struct NodeTrack {
    ChannelTrack channels[3];
};

// A channel of the file read with more than the library keeps (its
// interpolation, a spline's tangents): it replaces the library's channel of
// the node so named. A stepped channel without keys only changes the
// interpolation of the library's keys.
struct ChannelOverride {
    std::string node;
    TrackChannel channel = kTranslation;
    ChannelTrack track;
};

struct NodeTracks {
    std::vector<NodeTrack> tracks;
    std::vector<std::string> names;                      // of each track's node
    std::unordered_map<std::string, std::size_t> byName; // the first channel of each name
};

// The animation's node channels, key times in seconds (ticks over the
// animation's rate; ticksAsFrames frames per second when it states none).
// Throws MappingError on a count without keys or a key that is not finite.
NodeTracks readNodeTracks(const aiAnimation& animation, double ticksAsFrames,
                          const std::vector<ChannelOverride>& overrides);

// A node's rest transform split into translation, rotation (w, x, y, z) and
// scale, for the channels its track does not key.
struct RestPlace {
    double position[3] = {0, 0, 0};
    double rotation[4] = {1, 0, 0, 0};
    double scale[3] = {1, 1, 1};
};

RestPlace restPlaceOf(const aiNode& node);

// An animated node's local transform at a time: translation · rotation ·
// scale, each channel without keys at its rest part.
Transform trackTransformAt(const NodeTrack& track, const RestPlace& rest, double seconds);

} // namespace kzo

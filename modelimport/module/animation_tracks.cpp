#include "modelimport/module/animation_tracks.h"

#include "modelimport/module/library_text.h"
#include "modelimport/module/scene_mapping.h"

#include <assimp/anim.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kzo {
namespace {

int widthOf(TrackChannel channel) {
    return channel == kRotation ? 4 : 3;
}

void checkFinite(double value) {
    if (!std::isfinite(value)) {
        throw MappingError("an animation key is not a finite number");
    }
}

// Keys in time order; a file that lists them out of order keeps the order of
// equal times.
template <typename Key, typename Values>
ChannelTrack trackOf(const Key* keys, unsigned count, double ticksPerSecond, Values values) {
    ChannelTrack track;
    if (count == 0) {
        return track;
    }
    if (keys == nullptr) {
        throw MappingError("an animation channel counts keys but holds none");
    }
    std::vector<unsigned> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](unsigned a, unsigned b) { return keys[a].mTime < keys[b].mTime; });
    for (unsigned i : order) {
        const double seconds = keys[i].mTime / ticksPerSecond;
        checkFinite(seconds);
        track.seconds.push_back(seconds);
        for (double v : values(keys[i].mValue)) {
            checkFinite(v);
            track.values.push_back(v);
        }
    }
    return track;
}

std::array<double, 3> vectorValues(const aiVector3D& v) {
    return {v.x, v.y, v.z};
}

std::array<double, 4> rotationValues(const aiQuaternion& q) {
    return {q.w, q.x, q.y, q.z};
}

// Where t falls: the key at or before it, and how far towards the next.
struct Span {
    std::size_t key = 0;
    double along = 0; // 0 at key, below 1
    double length = 0;
    bool between = false;
};

Span spanAt(const std::vector<double>& seconds, double t) {
    Span span;
    if (t <= seconds.front()) {
        return span;
    }
    if (t >= seconds.back()) {
        span.key = seconds.size() - 1;
        return span;
    }
    span.key = static_cast<std::size_t>(std::upper_bound(seconds.begin(), seconds.end(), t) -
                                        seconds.begin()) -
               1;
    span.length = seconds[span.key + 1] - seconds[span.key];
    span.between = span.length > 0;
    span.along = span.between ? (t - seconds[span.key]) / span.length : 0.0;
    return span;
}

void slerp(const double* a, const double* b, double u, double* out) {
    double cosine = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    double sign = 1;
    if (cosine < 0) {
        // The shorter way round.
        cosine = -cosine;
        sign = -1;
    }
    double wa = 1 - u, wb = u;
    if (cosine < 1 - 1e-9) {
        const double angle = std::acos(std::min(cosine, 1.0));
        wa = std::sin((1 - u) * angle) / std::sin(angle);
        wb = std::sin(u * angle) / std::sin(angle);
    }
    for (int k = 0; k < 4; ++k) {
        out[k] = wa * a[k] + sign * wb * b[k];
    }
}

void valueAt(const ChannelTrack& track, int width, double t, double* out) {
    const Span span = spanAt(track.seconds, t);
    const double* a = &track.values[span.key * width];
    if (!span.between || track.interpolation == Interpolation::step) {
        std::copy(a, a + width, out);
        return;
    }
    const double* b = a + width;
    const double u = span.along;
    if (track.interpolation == Interpolation::cubicSpline) {
        const double u2 = u * u, u3 = u2 * u;
        const double* outTangent = &track.outTangents[span.key * width];
        const double* inTangent = &track.inTangents[(span.key + 1) * width];
        for (int k = 0; k < width; ++k) {
            out[k] = (2 * u3 - 3 * u2 + 1) * a[k] +
                     (u3 - 2 * u2 + u) * span.length * outTangent[k] + (-2 * u3 + 3 * u2) * b[k] +
                     (u3 - u2) * span.length * inTangent[k];
        }
        return;
    }
    if (width == 4) {
        slerp(a, b, u, out);
        return;
    }
    for (int k = 0; k < width; ++k) {
        out[k] = a[k] + (b[k] - a[k]) * u;
    }
}

} // namespace

NodeTracks readNodeTracks(const aiAnimation& animation, double ticksAsFrames,
                          const std::vector<ChannelOverride>& overrides) {
    NodeTracks out;
    if (animation.mNumChannels > 0 && animation.mChannels == nullptr) {
        throw MappingError("an animation counts channels but holds none");
    }
    const double ticks = animation.mTicksPerSecond > 0 && std::isfinite(animation.mTicksPerSecond)
                             ? animation.mTicksPerSecond
                             : ticksAsFrames;
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
        const aiNodeAnim* channel = animation.mChannels[c];
        if (channel == nullptr) {
            throw MappingError("an animation holds an empty channel");
        }
        const std::string name = libraryText(channel->mNodeName);
        if (out.byName.count(name) > 0) {
            continue;
        }
        NodeTrack track;
        track.channels[kTranslation] =
            trackOf(channel->mPositionKeys, channel->mNumPositionKeys, ticks, vectorValues);
        track.channels[kRotation] =
            trackOf(channel->mRotationKeys, channel->mNumRotationKeys, ticks, rotationValues);
        track.channels[kScale] =
            trackOf(channel->mScalingKeys, channel->mNumScalingKeys, ticks, vectorValues);
        out.byName.emplace(name, out.tracks.size());
        out.names.push_back(name);
        out.tracks.push_back(std::move(track));
    }
    for (const ChannelOverride& o : overrides) {
        const auto it = out.byName.find(o.node);
        const std::size_t width = static_cast<std::size_t>(widthOf(o.channel));
        const ChannelTrack& t = o.track;
        if (it != out.byName.end() && t.seconds.empty() && t.interpolation == Interpolation::step) {
            // The library's keys, held from each to the next.
            out.tracks[it->second].channels[o.channel].interpolation = Interpolation::step;
            continue;
        }
        const bool whole =
            !t.seconds.empty() && t.values.size() == width * t.seconds.size() &&
            (t.interpolation != Interpolation::cubicSpline ||
             (t.inTangents.size() == t.values.size() && t.outTangents.size() == t.values.size()));
        if (it == out.byName.end() || !whole) {
            continue;
        }
        for (const auto* part : {&t.seconds, &t.values, &t.inTangents, &t.outTangents}) {
            for (double v : *part) {
                checkFinite(v);
            }
        }
        if (!std::is_sorted(t.seconds.begin(), t.seconds.end())) {
            continue;
        }
        out.tracks[it->second].channels[o.channel] = t;
    }
    return out;
}

RestPlace restPlaceOf(const aiNode& node) {
    aiVector3D scale, position;
    aiQuaternion rotation;
    node.mTransformation.Decompose(scale, rotation, position);
    return RestPlace{{position.x, position.y, position.z},
                     {rotation.w, rotation.x, rotation.y, rotation.z},
                     {scale.x, scale.y, scale.z}};
}

Transform trackTransformAt(const NodeTrack& track, const RestPlace& rest, double seconds) {
    RestPlace now = rest;
    double* const parts[3] = {now.position, now.rotation, now.scale};
    for (int c = 0; c < 3; ++c) {
        const ChannelTrack& channel = track.channels[c];
        if (!channel.seconds.empty()) {
            valueAt(channel, widthOf(static_cast<TrackChannel>(c)), seconds, parts[c]);
        }
    }
    const Rotation q{now.rotation[0], now.rotation[1], now.rotation[2], now.rotation[3]};
    Transform t = rotationOf(q);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            t.m[i][j] *= now.scale[j];
        }
        t.m[i][3] = now.position[i];
    }
    return t;
}

} // namespace kzo

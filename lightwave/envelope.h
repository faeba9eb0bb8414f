// LightWave envelopes: one animated value given by keys, evaluated by
// LightWave's own interpolation rules.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kzo {

// How the span that ends at a key is interpolated (the numbers of the files).
enum class KeyShape : std::uint8_t {
    tcb = 0, // Kochanek-Bartels: tension, continuity, bias
    hermite = 1,
    bezier1d = 2, // obsolete; evaluated as hermite
    linear = 3,
    stepped = 4,
    bezier2d = 5,
};

// What the envelope does before its first key and after its last one.
enum class EndBehavior : std::uint8_t {
    reset = 0,        // value 0
    constant = 1,     // the end key's value
    repeat = 2,       // the keyed interval again and again
    oscillate = 3,    // as repeat, every other copy backwards
    offsetRepeat = 4, // as repeat, each copy shifted by (last - first value)
    linear = 5,       // straight on along the end key's tangent
};

struct EnvelopeKey {
    double time = 0.0;
    double value = 0.0;
    KeyShape shape = KeyShape::tcb;
    double tension = 0.0;
    double continuity = 0.0;
    double bias = 0.0;
    // Hermite and 1D Bezier keys: [0] incoming, [1] outgoing tangent (also
    // used for the first handle when a 2D Bezier span starts at the key).
    // 2D Bezier keys: incoming time and value offsets, outgoing time and
    // value offsets of the handles.
    std::array<double, 4> param{};
};

struct Envelope {
    std::vector<EnvelopeKey> keys; // in increasing time
    EndBehavior pre = EndBehavior::constant;
    EndBehavior post = EndBehavior::constant;
};

// The envelope's value at time: 0 without keys, the key's value with one; at
// a key's time exactly, that key's value. Keys out of time order, equal times
// and values that are not finite give an unspecified number, never a fault or
// a hang.
double evaluateEnvelope(const Envelope& envelope, double time);

} // namespace kzo

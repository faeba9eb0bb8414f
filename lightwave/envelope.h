// LightWave envelopes: one animated value given by keys, evaluated by
// LightWave's own interpolation rules.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kzo {

// How the span that ends at a key is interpolated (the numbers of the files).
enum class KeyShape : std::uint8_t {
    Tcb = 0, // Kochanek-Bartels: tension, continuity, bias
    Hermite = 1,
    Bezier1d = 2, // obsolete; evaluated as Hermite
    Linear = 3,
    Stepped = 4,
    Bezier2d = 5,
};

// What the envelope does before its first key and after its last one.
enum class EndBehavior : std::uint8_t {
    Reset = 0,        // value 0
    Constant = 1,     // the end key's value
    Repeat = 2,       // the keyed interval again and again
    Oscillate = 3,    // as Repeat, every other copy backwards
    OffsetRepeat = 4, // as Repeat, each copy shifted by (last - first value)
    Linear = 5,       // straight on along the end key's tangent
};

struct EnvelopeKey {
    double time = 0.0;
    double value = 0.0;
    KeyShape shape = KeyShape::Tcb;
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
    EndBehavior pre = EndBehavior::Constant;
    EndBehavior post = EndBehavior::Constant;
};

// The envelope's value at time: 0 without keys, the key's value with one; at
// a key's time exactly, that key's value. Keys out of time order, equal times
// and values that are not finite give an unspecified number, never a fault or
// a hang.
double evaluateEnvelope(const Envelope& envelope, double time);

} // namespace kzo

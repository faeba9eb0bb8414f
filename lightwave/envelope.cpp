#include "lightwave/envelope.h"

#include <algorithm>
#include <cmath>

namespace kzo {
namespace {

using Keys = std::vector<EnvelopeKey>;

// Tangent handles of 2D Bezier keys are stored as offsets in time and value;
// as a value difference across the span the slope is value / time, and a
// handle of (almost) no length in time stands for a very steep one.
double handleSlopeTimes(double value, double handleTime, double spanTime) {
    const double scaled = value * spanTime;
    return std::fabs(handleTime) > 1e-5 ? scaled / handleTime : scaled * 1e5;
}

// The tangent leaving keys[i] towards keys[i + 1], as a value difference over
// that span. Keys of unequal spacing are corrected by the span's share of the
// two spans around the key.
double outgoingTangent(const Keys& keys, std::size_t i) {
    const EnvelopeKey& k0 = keys[i];
    const EnvelopeKey& k1 = keys[i + 1];
    const EnvelopeKey* kp = i > 0 ? &keys[i - 1] : nullptr;
    const double d = k1.value - k0.value;
    switch (k0.shape) {
    case KeyShape::tcb: {
        const double a = (1.0 - k0.tension) * (1.0 + k0.continuity) * (1.0 + k0.bias);
        const double b = (1.0 - k0.tension) * (1.0 - k0.continuity) * (1.0 - k0.bias);
        if (!kp) {
            return b * d;
        }
        return (k1.time - k0.time) / (k1.time - kp->time) * (a * (k0.value - kp->value) + b * d);
    }
    case KeyShape::linear:
        if (!kp) {
            return d;
        }
        return (k1.time - k0.time) / (k1.time - kp->time) * ((k0.value - kp->value) + d);
    case KeyShape::hermite:
    case KeyShape::bezier1d:
        if (!kp) {
            return k0.param[1];
        }
        return k0.param[1] * ((k1.time - k0.time) / (k1.time - kp->time));
    case KeyShape::bezier2d:
        return handleSlopeTimes(k0.param[3], k0.param[2], k1.time - k0.time);
    case KeyShape::stepped:
    default:
        return 0.0;
    }
}

// The tangent arriving at keys[i] from keys[i - 1].
double incomingTangent(const Keys& keys, std::size_t i) {
    const EnvelopeKey& k0 = keys[i - 1];
    const EnvelopeKey& k1 = keys[i];
    const EnvelopeKey* kn = i + 1 < keys.size() ? &keys[i + 1] : nullptr;
    const double d = k1.value - k0.value;
    switch (k1.shape) {
    case KeyShape::tcb: {
        const double a = (1.0 - k1.tension) * (1.0 - k1.continuity) * (1.0 + k1.bias);
        const double b = (1.0 - k1.tension) * (1.0 + k1.continuity) * (1.0 - k1.bias);
        if (!kn) {
            return a * d;
        }
        return (k1.time - k0.time) / (kn->time - k0.time) * (b * (kn->value - k1.value) + a * d);
    }
    case KeyShape::linear:
        if (!kn) {
            return d;
        }
        return (k1.time - k0.time) / (kn->time - k0.time) * ((kn->value - k1.value) + d);
    case KeyShape::hermite:
    case KeyShape::bezier1d:
        if (!kn) {
            return k1.param[0];
        }
        return k1.param[0] * ((k1.time - k0.time) / (kn->time - k0.time));
    case KeyShape::bezier2d:
        return handleSlopeTimes(k1.param[1], k1.param[0], k1.time - k0.time);
    case KeyShape::stepped:
    default:
        return 0.0;
    }
}

double hermite(double s, double v0, double v1, double out, double in) {
    const double s2 = s * s;
    const double s3 = s2 * s;
    const double h1 = 2.0 * s3 - 3.0 * s2 + 1.0;
    const double h2 = -2.0 * s3 + 3.0 * s2;
    const double h3 = s3 - 2.0 * s2 + s;
    const double h4 = s3 - s2;
    return h1 * v0 + h2 * v1 + h3 * out + h4 * in;
}

// One coordinate of the cubic Bezier curve with control values x0..x3.
double bezier(double x0, double x1, double x2, double x3, double u) {
    const double c = 3.0 * (x1 - x0);
    const double b = 3.0 * (x2 - x1) - c;
    const double a = x3 - x0 - c - b;
    return a * u * u * u + b * u * u + c * u + x0;
}

// A 2D Bezier span is a curve in the (time, value) plane: find where it
// passes the time, then take its value there.
double bezier2dSpan(const EnvelopeKey& k0, const EnvelopeKey& k1, double t) {
    double t1 = 0.0;
    double v1 = 0.0;
    if (k0.shape == KeyShape::bezier2d) {
        t1 = k0.time + k0.param[2];
        v1 = k0.value + k0.param[3];
    } else {
        t1 = k0.time + (k1.time - k0.time) / 3.0;
        v1 = k0.value + k0.param[1] / 3.0;
    }
    const double t2 = k1.time + k1.param[0];
    const double v2 = k1.value + k1.param[1];

    // Bisection; the step limit ends it also for curves that are not monotone
    // in time or hold values that are not numbers.
    double lo = 0.0;
    double hi = 1.0;
    double u = 0.5;
    for (int step = 0; step < 64; ++step) {
        u = 0.5 * (lo + hi);
        const double x = bezier(k0.time, t1, t2, k1.time, u);
        if (std::fabs(x - t) <= 1e-4) {
            break;
        }
        if (x < t) {
            lo = u;
        } else {
            hi = u;
        }
    }
    return bezier(k0.value, v1, v2, k1.value, u);
}

// Maps t into [first, last] for the repeating behaviours; cycles is the
// number of whole periods it was moved by (negative before the first key).
double intoKeyedRange(const Keys& keys, EndBehavior behavior, double t, double& cycles) {
    const double first = keys.front().time;
    const double last = keys.back().time;
    const double period = last - first;
    cycles = 0.0;
    if (period == 0.0) {
        return first;
    }
    cycles = std::floor((t - first) / period);
    double mapped = t - period * cycles;
    if (behavior == EndBehavior::oscillate && std::fmod(cycles, 2.0) != 0.0) {
        mapped = first + last - mapped;
    }
    return mapped;
}

} // namespace

double evaluateEnvelope(const Envelope& envelope, double time) {
    const Keys& keys = envelope.keys;
    if (keys.empty()) {
        return 0.0;
    }
    const EnvelopeKey& first = keys.front();
    const EnvelopeKey& last = keys.back();
    if (keys.size() == 1 || std::isnan(time)) {
        return keys.size() == 1 ? first.value : time;
    }

    double t = time;
    double offset = 0.0;
    const bool before = t < first.time;
    if (before || t > last.time) {
        const EndBehavior behavior = before ? envelope.pre : envelope.post;
        const EnvelopeKey& end = before ? first : last;
        switch (behavior) {
        case EndBehavior::reset:
            return 0.0;
        case EndBehavior::linear:
            if (before) {
                return first.value +
                       (t - first.time) * outgoingTangent(keys, 0) / (keys[1].time - first.time);
            }
            return last.value + (t - last.time) * incomingTangent(keys, keys.size() - 1) /
                                    (last.time - keys[keys.size() - 2].time);
        case EndBehavior::repeat:
        case EndBehavior::oscillate:
        case EndBehavior::offsetRepeat: {
            double cycles = 0.0;
            t = intoKeyedRange(keys, behavior, t, cycles);
            if (behavior == EndBehavior::offsetRepeat) {
                offset = cycles * (last.value - first.value);
            }
            break;
        }
        case EndBehavior::constant:
        default:
            return end.value;
        }
    }

    // Rounding may leave a mapped time a hair outside the keys.
    if (t <= first.time) {
        return first.value + offset;
    }
    if (t >= last.time) {
        return last.value + offset;
    }
    const auto next = std::upper_bound(keys.begin() + 1, keys.end() - 1, t,
                                       [](double v, const EnvelopeKey& k) { return v < k.time; });
    const std::size_t i1 = static_cast<std::size_t>(next - keys.begin());
    const EnvelopeKey& k0 = keys[i1 - 1];
    const EnvelopeKey& k1 = keys[i1];
    if (t == k0.time) {
        return k0.value + offset;
    }
    const double s = (t - k0.time) / (k1.time - k0.time);
    switch (k1.shape) {
    case KeyShape::stepped:
        return k0.value + offset;
    case KeyShape::linear:
        return k0.value + s * (k1.value - k0.value) + offset;
    case KeyShape::bezier2d:
        return bezier2dSpan(k0, k1, t) + offset;
    default:
        return hermite(s, k0.value, k1.value, outgoingTangent(keys, i1 - 1),
                       incomingTangent(keys, i1)) +
               offset;
    }
}

} // namespace kzo

// Envelope evaluation against values worked out by hand from the Hermite
// basis h1 = 2s^3 - 3s^2 + 1, h2 = -2s^3 + 3s^2, h3 = s^3 - 2s^2 + s,
// h4 = s^3 - s^2 (at s = 0.5: 0.5, 0.5, 0.125, -0.125).
#include "lightwave/envelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using kzo::EndBehavior;
using kzo::Envelope;
using kzo::EnvelopeKey;
using kzo::evaluateEnvelope;
using kzo::KeyShape;

namespace {

EnvelopeKey key(double time, double value, KeyShape shape = KeyShape::tcb) {
    EnvelopeKey k;
    k.time = time;
    k.value = value;
    k.shape = shape;
    return k;
}

} // namespace

TEST(Envelope, tcbSplinesFollowTensionContinuityAndBias) {
    // Keys 0 -> 10 -> 0 at t = 0, 1, 2.
    Envelope e;
    e.keys = {key(0, 0), key(1, 10), key(2, 0)};
    // Span 1..2: leaving the peak the tangent is 1/2 (10 - 10) = 0, arriving
    // at the last key it is d = -10: 0.5*10 + 0.125*0 - 0.125*(-10).
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 1.5), 6.25);
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 1.0), 10.0);

    // Bias 0.5 at the peak: outgoing 1/2 (1.5*10 + 0.5*(-10)) = 5, so
    // 5 + 0.125*5 + 1.25; incoming 1/2 (0.5*(-10) + 1.5*10) = 5 with the
    // first key's outgoing 10: 5 + 0.125*10 - 0.125*5.
    e.keys[1].bias = 0.5;
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 1.5), 6.875);
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 0.5), 5.625);

    // Continuity 0.5 instead: outgoing 1/2 (1.5*10 + 0.5*(-10)) = 5 as
    // before, but incoming 1/2 (1.5*(-10) + 0.5*10) = -5: 5 + 1.25 + 0.625.
    e.keys[1].bias = 0.0;
    e.keys[1].continuity = 0.5;
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 0.5), 6.875);
    // Tension 1 flattens the key: both of its tangents are 0.
    e.keys[1].continuity = 0.0;
    e.keys[1].tension = 1.0;
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 0.5), 5.0 + 0.125 * 10.0);

    // Keys on a line at unequal spacing stay on it: the tangents are scaled
    // by each span's share of the two around the key.
    Envelope line;
    line.keys = {key(0, 0), key(1, 10), key(3, 30)};
    for (double t : {0.5, 2.0, 2.5}) {
        EXPECT_DOUBLE_EQ(evaluateEnvelope(line, t), 10.0 * t);
    }
}

TEST(Envelope, spanShapeIsTheShapeOfTheKeyItEndsAt) {
    Envelope e;
    e.keys = {key(0, 2), key(2, 10, KeyShape::linear), key(4, 0, KeyShape::stepped)};
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 0.5), 4.0);
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 3.9), 10.0);
    EXPECT_DOUBLE_EQ(evaluateEnvelope(e, 4.0), 0.0);

    // Hermite tangents as stored: outgoing 4 at the first key, incoming 0 at
    // the second: 0.5*2 + 0.125*4.
    Envelope h;
    h.keys = {key(0, 0, KeyShape::hermite), key(1, 2, KeyShape::hermite)};
    h.keys[0].param[1] = 4.0;
    EXPECT_DOUBLE_EQ(evaluateEnvelope(h, 0.5), 1.5);
    // A 1D Bezier key is evaluated as a Hermite one.
    h.keys[1].shape = KeyShape::bezier1d;
    EXPECT_DOUBLE_EQ(evaluateEnvelope(h, 0.5), 1.5);

    // 2D Bezier handles a third of the span long and flat: the time follows
    // the curve parameter, the value is smoothstep 3u^2 - 2u^3.
    Envelope b;
    b.keys = {key(0, 0, KeyShape::bezier2d), key(1, 1, KeyShape::bezier2d)};
    b.keys[0].param = {0, 0, 1.0 / 3.0, 0};
    b.keys[1].param = {-1.0 / 3.0, 0, 0, 0};
    EXPECT_DOUBLE_EQ(evaluateEnvelope(b, 0.25), 0.15625);
    EXPECT_NEAR(evaluateEnvelope(b, 0.3), 0.216, 1e-3);
    // From a TCB key the first handle lies a third of the span on, raised by
    // a third of the key's outgoing tangent parameter (3): value control
    // points 0, 1, 1, 1 give u^3 - 3u^2 + 3u, 0.875 at u = 0.5.
    b.keys[0] = key(0, 0);
    b.keys[0].param[1] = 3.0;
    b.keys[1].param = {-1.0 / 3.0, 0, 0, 0};
    EXPECT_DOUBLE_EQ(evaluateEnvelope(b, 0.5), 0.875);
}

TEST(Envelope, behavioursBeforeTheFirstAndAfterTheLastKey) {
    // A straight line from (1, 2) to (3, 10): slope 4.
    Envelope e;
    e.keys = {key(1, 2, KeyShape::linear), key(3, 10, KeyShape::linear)};
    const auto at = [&](EndBehavior b, double t) {
        e.pre = e.post = b;
        return evaluateEnvelope(e, t);
    };
    EXPECT_EQ(at(EndBehavior::reset, 0.5), 0.0);
    EXPECT_EQ(at(EndBehavior::reset, 3.5), 0.0);
    EXPECT_EQ(at(EndBehavior::constant, 0.5), 2.0);
    EXPECT_EQ(at(EndBehavior::constant, 3.5), 10.0);
    EXPECT_EQ(at(EndBehavior::repeat, 3.5), 4.0); // as at 1.5
    EXPECT_EQ(at(EndBehavior::repeat, 0.5), 8.0); // as at 2.5
    // Every other copy runs backwards, whether or not the first key is at 0.
    EXPECT_EQ(at(EndBehavior::oscillate, 3.5), 8.0); // as at 2.5
    EXPECT_EQ(at(EndBehavior::oscillate, 0.5), 4.0); // as at 1.5
    EXPECT_EQ(at(EndBehavior::oscillate, 5.5), 4.0); // forwards again
    EXPECT_EQ(at(EndBehavior::offsetRepeat, 4.0), 14.0);
    EXPECT_EQ(at(EndBehavior::offsetRepeat, 0.0), -2.0);
    EXPECT_EQ(at(EndBehavior::offsetRepeat, 7.0), 26.0);
    EXPECT_EQ(at(EndBehavior::linear, 0.0), -2.0);
    EXPECT_EQ(at(EndBehavior::linear, 4.0), 14.0);

    // Linear behaviour along a TCB end: the tangent of a first key is b*d.
    e.keys[0].shape = e.keys[1].shape = KeyShape::tcb;
    e.keys[0].tension = 0.5;
    EXPECT_EQ(at(EndBehavior::linear, 0.0), 2.0 - 0.5 * 8.0 / 2.0);

    // No keys: 0; one key: its value everywhere, whatever the behaviours.
    Envelope one;
    EXPECT_EQ(evaluateEnvelope(one, 1.0), 0.0);
    one.keys = {key(5, 7)};
    one.pre = one.post = EndBehavior::reset;
    EXPECT_EQ(evaluateEnvelope(one, 0.0), 7.0);
    EXPECT_EQ(evaluateEnvelope(one, 9.0), 7.0);

    // Times that are not numbers give no number, and no hang.
    e.pre = e.post = EndBehavior::repeat;
    EXPECT_TRUE(std::isnan(evaluateEnvelope(e, std::nan(""))));
    EXPECT_FALSE(std::isfinite(evaluateEnvelope(e, std::numeric_limits<double>::infinity())));
}

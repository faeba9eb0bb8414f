// Per-channel motions of scene versions 2 and 3 on: the same motion in both
// layouts gives the same .mot keys, one at every frame where any channel has
// a key, the other channels evaluated there.
#include "converter/import/scene_channels.h"
#include "tests/converter/scene/build_lws.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kzo;
using kzotest::lws;
using kzotest::sceneOf;

namespace {

// x: linear from 1 at 0 s to 3 at 1 s. pitch: one key, a right angle.
// scale y: keys written out of time order (2 at 20/30 s, linear; 1 at 0 s),
// with a modifier block between them whose key is not the channel's.
const kzotest::Lws kVersion3 = lws({
    "ObjectMotion",
    "NumChannels 9",
    "Channel 0",
    "{ Envelope",
    "  2",
    "  Key 1 0 0 0 0 0 0 0 0",
    "  Key 3 1 3 0 0 0 0 0 0",
    "  Behaviors 1 1",
    "}",
    "Channel 4",
    "{ Envelope",
    "  1",
    "  Key 1.5707964 0.5 0 0 0 0 0 0 0",
    "  Behaviors 1 1",
    "}",
    "Channel 7",
    "{ Envelope",
    "  2",
    "  Key 2 0.6666667 3 0 0 0 0 0 0",
    "  { Modifier",
    "    Key 99 0.1 0 0 0 0 0 0 0",
    "  }",
    "  Key 1 0 0 0 0 0 0 0 0",
    "  Behaviors 1 1",
    "}",
    "AddLight",
});

const kzotest::Lws kVersion2 = lws({
    "ObjectMotion (unnamed)",
    "  9",
    "  2",
    "  1 0 3 0 0 0",
    "  3 1 3 0 0 0",
    "  Pre/PostBehavior 1 1",
    "  0",
    "  0",
    "  0",
    "  1",
    "  1.5707964 0.5 0 0 0 0",
    "  0",
    "  0",
    "  2",
    "  2 0.6666667 3 0 0 0",
    "  1 0 0 0 0 0",
    "  0",
    "AddLight",
});

} // namespace

TEST(SceneChannels, motionsOfVersionTwoAndThreeGiveKeysAtEveryKeyedFrame) {
    const SceneText v3 = sceneOf(kVersion3);
    const SceneText v2 = sceneOf(kVersion2);
    std::size_t end3 = 0;
    std::size_t end2 = 0;
    const std::vector<SceneKey> keys = sampleChannels(readChannelMotion(v3, 0, &end3), 30.0);
    const std::vector<SceneKey> keys2 = sampleChannels(readVersion2Motion(v2, 0, &end2), 30.0);
    EXPECT_EQ(v3.lines[end3], "AddLight");
    EXPECT_EQ(v2.lines[end2], "AddLight");

    ASSERT_EQ(keys.size(), 4u);
    const std::int32_t frames[] = {0, 15, 20, 30};
    const float x[] = {1.0f, 2.0f, float(1.0 + 2.0 * (20.0 / 30.0)), 3.0f};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const MotionKey& k = keys[i].key;
        EXPECT_EQ(k.frame, frames[i]);
        EXPECT_FLOAT_EQ(k.position[0], x[i]);
        EXPECT_EQ(k.position[1], 0.0f);
        EXPECT_EQ(k.heading, 0.0f);
        EXPECT_EQ(k.pitch, 90.0f); // radians become degrees
        EXPECT_EQ(k.scale[0], 1.0f);
        ASSERT_EQ(keys2.size(), keys.size());
        EXPECT_EQ(std::memcmp(&keys2[i].key, &k, sizeof k), 0) << i;
    }
    // Scale y: 1 at frame 0, on the straight line at frame 15 (0.5 s of
    // 0.6666667 s), its own key's value 2 at frame 20 and held after it.
    EXPECT_EQ(keys[0].key.scale[1], 1.0f);
    EXPECT_FLOAT_EQ(keys[1].key.scale[1], 1.75f);
    EXPECT_EQ(keys[2].key.scale[1], 2.0f);
    EXPECT_EQ(keys[3].key.scale[1], 2.0f);
    // Each key names a line of a key at its frame.
    EXPECT_EQ(keys[0].line, 6u);
    EXPECT_EQ(keys[1].line, 13u);
}

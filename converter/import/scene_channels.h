// Motions of LightWave scenes of versions 2 to 5: nine channels (position x,
// y, z; heading, pitch, bank in radians; scale x, y, z), each an envelope of
// keys of its own, and their conversion into the keys of a .mot block.
//
// Version 3 on writes a motion as
//     ObjectMotion
//     NumChannels 9
//     Channel 0
//     { Envelope
//       2
//       Key value time shape p1 p2 p3 p4 p5 p6
//       ...
//       Behaviors pre post
//     }
//     Channel 1 ...
// Version 2 as a channel count line, then per channel a key count line and
// one "value time shape tension continuity bias" line per key, optionally
// followed by "Behaviors pre post" or "Pre/PostBehavior pre post". Times are
// seconds in both. Lines inside blocks may be indented.
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/scene_description.h"
#include "lightwave/envelope.h"

#include <array>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kzo {

inline constexpr int kMotionChannels = 9;

struct SceneChannel {
    Envelope envelope;
    std::vector<std::size_t> keyLines; // of each key, from 0
    // Plug-ins that modify the channel (expressions and the like), which no
    // output can hold: the line (from 0) and the server's name.
    std::vector<std::pair<std::size_t, std::string>> modifiers;
};

using ChannelMotion = std::array<SceneChannel, kMotionChannels>;

// The text of line without its leading blanks.
std::string_view trimmedLine(const SceneText& text, std::size_t line);

// Reads the "{ Envelope" block opening on line open. Keys out of time order
// are put in order (stably); nested blocks and "Plugin" to "EndPlugin" runs
// are passed over, the plug-ins named as modifiers. *end receives the index of the first line
// behind the block (the end of the scene when it is not closed).
SceneChannel readEnvelopeBlock(const SceneText& text, std::size_t open, std::size_t* end);

// The NumChannels and Channel lines with their blocks behind a motion keyword
// on line keywordLine (version 3 on). Channels beyond the ninth are read and
// dropped; a channel the motion does not give has no keys.
ChannelMotion readChannelMotion(const SceneText& text, std::size_t keywordLine, std::size_t* end);

// The same for version 2's layout, where only the counts tell where the keys
// end: a count line that is not one whole number, or a count that reaches
// past the keys (into the next item or the end of the scene), throws
// SceneTextError naming the line.
ChannelMotion readVersion2Motion(const SceneText& text, std::size_t keywordLine, std::size_t* end);

// One key at every frame where a channel has a key (time times
// framesPerSecond, rounded to the nearest frame), in frame order; each channel
// at that frame is its key's value when it has one there, else its envelope
// evaluated at frame / framesPerSecond; a channel without keys is the
// identity's (0, scale 1). Angles become degrees. Each key names the line of
// a key at its frame. Key times whose frame does
// not fit 32 bits must have been refused before.
std::vector<SceneKey> sampleChannels(const ChannelMotion& motion, double framesPerSecond);

// The frame of a key time, or false when it is not a number or lies beyond
// the 32-bit frame range.
bool frameOfTime(double seconds, double framesPerSecond, std::int32_t& frame);

} // namespace kzo

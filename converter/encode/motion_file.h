// Motions as MotionBlocks (int32 key count, then that many 40-byte
// MotionKeys), and the .mot file that collects them:
//   int32 lastFrame, int32 motionCount, motionCount x MotionBlock
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/messages.h"
#include "converter/model/scene_description.h"
#include "format/byte_writer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

// Appends the motion's block, positions multiplied by the scale factor. A
// value that is not a finite number (the scene says "nan", or a position
// overflows when scaled) is a fatal error naming the scene and the key's line.
void encodeMotionBlock(ByteWriter& out, const SceneMotion& motion, const SceneDescription& scene,
                       const ConversionSettings& settings, const MessageSink& sink);

// The .mot file: the scene's lastFrame, then the blocks of motionFileBlocks.
// Prints nothing.
std::vector<std::uint8_t> encodeMotionFile(const SceneDescription& scene,
                                           const ConversionSettings& settings,
                                           const MessageSink& sink);

} // namespace kzo

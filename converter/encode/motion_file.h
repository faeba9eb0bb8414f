// Motion envelopes of a scene as MotionBlocks (int32 key count, then that many
// 40-byte MotionKeys), and the .mot file that collects them:
//   int32 lastFrame, int32 motionCount, motionCount x MotionBlock
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/scene_model.h"
#include "format/byte_writer.h"

namespace kzo {

// Reads one envelope from cursor, which stands just behind its keyword line:
// the channel count line (ignored: nine values are read per key), the key
// count line, then per key a line of nine values (position, heading, pitch,
// bank, scale) and a line starting with the frame number. Writes the block
// with positions multiplied by scaleFactor. Values missing from a key line keep
// the identity key's (position 0, rotation 0, scale 1).
//
// The key count written is the number of keys the scene actually holds: a
// count larger than what follows ends at the end of the scene, a negative one
// writes no keys. Returns that count.
//
// A key value that is not a finite number (the scene says "nan", or a position
// overflows when scaled) is a fatal error naming path, the file being written,
// and the scene line.
std::int32_t writeMotionBlock(const SceneModel& model, const std::string& path, LineCursor& cursor,
                              ByteWriter& out);

// The .mot file of the scene: the first LastFrame value (0 without one), then
// one block per ObjectMotion or CameraMotion envelope behind that line, in
// file order. Appended to model.pendingOutputs; prints nothing.
void writeMotFile(SceneModel& model, const SceneText& scene, const std::string& path);

} // namespace kzo

// The motion envelopes of a LightWave scene, its camera links and its frame
// range.
//
// An envelope as a scene writes it: a keyword line ("ObjectMotion",
// "CameraMotion"), a line with the channel count (not used: nine values are
// read per key), a line with the key count, then per key a line of nine
// values (position, heading, pitch, bank, scale) and a line that starts with
// the key's frame number. Values a key line does not give keep the identity
// key's (position 0, rotation 0, scale 1). An envelope holds the keys the
// scene actually gives: a count larger than the lines that follow ends at the
// end of the scene, a negative one gives no keys.
#pragma once

#include "converter/import/scene_text.h"
#include "converter/model/scene_description.h"

namespace kzo {

// The nine values of a key's value line; the values the line does not give
// are the identity key's.
MotionKey readKeyValues(std::string_view valueLine);

// Reads the envelope whose keyword stands on line keywordLine (from 0).
// *end receives the index of the first line behind it.
SceneMotion readEnvelope(const SceneText& text, std::size_t keywordLine, std::size_t* end);

// Fills scene.motions and the references to them, after the object pass:
// - object n's motion is the n-th ObjectMotion envelope, the numbering that
//   ParentObject and TargetObject use, counted over the envelopes met when the
//   scene is read from the top, each envelope's own lines passed over;
// - the camera's motion is the first CameraMotion envelope, and its links the
//   last ParentObject and TargetObject lines behind that envelope's keyword;
// - lastFrame is the value of the first LastFrame line, and the .mot file
//   stores the ObjectMotion and CameraMotion envelopes met when the scene is
//   read on from that line (none without one).
void readSceneMotions(const SceneText& text, SceneDescription& scene);

} // namespace kzo

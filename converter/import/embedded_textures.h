// Textures that a model file holds inside itself (a .glb, many FBX files): the
// engine loads images from files, so each one a material uses is written
// beside the KZO file as an image file of its own, in the format it is stored
// in, and the KZO file names it as it names any other texture.
#pragma once

#include "converter/model/messages.h"
#include "format/file_io.h"
#include "modelimport/imported_model.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kzo {

// Where embedded texture index of the model converted to kzoPath goes: the KZO
// path without its extension, "_tex", the index and the texture's own
// extension ("out/tank.kzo", 0, "png" give "out/tank_tex0.png").
std::string embeddedTexturePath(const std::string& kzoPath, std::size_t index,
                                const std::string& extension);

struct EmbeddedTextures {
    // The image files, in the order of ImportedModel::embeddedImages.
    std::vector<OutputFile> files;
    // Per embedded image, the name the image table stores for it; empty for
    // an image that no material uses, which is not written.
    std::vector<std::string> names;
};

// The embedded textures of imported that its materials use. An extension that
// is not one to eight lower-case letters and digits, or that is one of the
// engine's own file types, would not name an image file (and could name
// another output): a fatal error naming path. So is a material that names an
// embedded image the record does not hold.
EmbeddedTextures embeddedTextures(const ImportedModel& imported, const std::string& path,
                                  const std::string& kzoPath, const MessageSink& sink);

} // namespace kzo

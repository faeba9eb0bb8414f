// Reading the textures of a shaded model: the images its textured materials
// name, found beside the file shown or in the directories the user gave.
#pragma once

#include "viewer/shaded_model.h"

#include <functional>
#include <string>
#include <vector>

namespace kzoview {

// Largest number of texels one model's textures may take together, their
// mipmaps left aside: a file naming many large images stops there.
inline constexpr std::uint64_t kMaxModelTexturePixels = std::uint64_t(1) << 26;

struct TextureSearch {
    std::string shownFile;                // its folder is searched first
    std::vector<std::string> directories; // then these, in order
};

// Receives one line for the user per texture that cannot be used; an empty
// one drops them.
using TextureWarning = std::function<void(const std::string& line)>;

// Reads, decodes and mipmaps the image of every record that a textured
// material of the model uses, each once, into model.textures. An image that
// is missing, unreadable, not an image the viewer decodes, too large or beyond
// the model's budget is one line to warn ("texture 'duckCM.tga' not found
// beside 'out/duck.kzo' or in --textures"), and its materials are drawn
// untextured; nothing here fails the view.
void readModelTextures(ShadedModel& model, const TextureSearch& search, const TextureWarning& warn);

// Whether any material of the model is drawn with a texture.
bool showsTextures(const ShadedModel& model);

} // namespace kzoview

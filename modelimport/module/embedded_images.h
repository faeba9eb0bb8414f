// Textures the model file holds itself, as image files of their own, and the
// names of the textures it names.
#pragma once

#include "modelimport/imported_model.h"

#include <cstdint>
#include <string>
#include <vector>

struct aiScene;
struct aiTexture;

namespace kzo {

// The name the engine loads a texture by: the file name without its folders
// (either slash), with %XX escapes decoded when the name is a URI.
std::string imageFileName(const std::string& path, bool uri);

// The scene's embedded texture that a material's texture name refers to
// ("*N", or the name of one of the scene's textures, whole or without
// folders); -1 when it names none, -2 when it is "*N" past the table.
std::int64_t embeddedTextureIndex(const aiScene& scene, const std::string& name);

// The texture as an image file: a compressed one as stored, with its format
// hint (or the format its first bytes show) as the extension; raw texels as an
// uncompressed 32-bit TGA. Throws MappingError when the texture is damaged.
EmbeddedImage embeddedImageOf(const aiTexture& texture);

// An uncompressed 32-bit TGA of width x height texels, each blue, green, red,
// alpha, rows from the top.
std::vector<std::uint8_t> uncompressedTga(std::uint32_t width, std::uint32_t height,
                                          const std::uint8_t* bgra);

} // namespace kzo

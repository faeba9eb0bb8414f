#include "modelimport/module/embedded_images.h"

#include "format/byte_writer.h"
#include "modelimport/module/library_text.h"
#include "modelimport/module/scene_mapping.h"

#include <assimp/scene.h>
#include <assimp/texture.h>

#include <cctype>
#include <cstring>

namespace kzo {
namespace {

std::string withoutFolders(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::string decodeEscapes(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = hexDigit(text[i + 1]);
            const int low = hexDigit(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// "png", "jpg", ...: the hint when it is a plain word, else what the bytes
// begin with.
std::string extensionOf(const aiTexture& texture, const std::uint8_t* bytes, std::size_t size) {
    std::string hint;
    for (std::size_t i = 0; i < sizeof texture.achFormatHint && texture.achFormatHint[i] != 0;
         ++i) {
        const auto c = static_cast<unsigned char>(texture.achFormatHint[i]);
        if (!std::isalnum(c)) {
            hint.clear();
            break;
        }
        hint += static_cast<char>(std::tolower(c));
    }
    if (hint == "jpeg") {
        hint = "jpg";
    }
    if (!hint.empty()) {
        return hint;
    }
    if (size >= 4 && bytes[0] == 0x89 && std::memcmp(bytes + 1, "PNG", 3) == 0) {
        return "png";
    }
    if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        return "jpg";
    }
    return "bin";
}

} // namespace

std::string imageFileName(const std::string& path, bool uri) {
    return withoutFolders(uri ? decodeEscapes(path) : path);
}

std::int64_t embeddedTextureIndex(const aiScene& scene, const std::string& name) {
    if (!name.empty() && name[0] == '*') {
        std::int64_t index = 0;
        for (std::size_t i = 1; i < name.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(name[i])) || index > 1'000'000'000) {
                return -2;
            }
            index = index * 10 + (name[i] - '0');
        }
        const bool present = name.size() > 1 && index < scene.mNumTextures &&
                             scene.mTextures != nullptr && scene.mTextures[index] != nullptr;
        return present ? index : -2;
    }
    if (scene.mTextures == nullptr) {
        return -1;
    }
    const std::string shortName = withoutFolders(name);
    for (int pass = 0; pass < 2; ++pass) {
        for (unsigned i = 0; i < scene.mNumTextures; ++i) {
            const aiTexture* texture = scene.mTextures[i];
            if (texture == nullptr) {
                continue;
            }
            const std::string stored = libraryText(texture->mFilename);
            if (pass == 0 ? stored == name : withoutFolders(stored) == shortName) {
                return i;
            }
        }
    }
    return -1;
}

EmbeddedImage embeddedImageOf(const aiTexture& texture) {
    EmbeddedImage image;
    if (texture.pcData == nullptr || texture.mWidth == 0) {
        throw MappingError("an embedded texture holds no data");
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(texture.pcData);
    if (texture.mHeight == 0) {
        image.bytes.assign(bytes, bytes + texture.mWidth);
        image.extension = extensionOf(texture, bytes, texture.mWidth);
        return image;
    }
    if (texture.mWidth > 0xFFFF || texture.mHeight > 0xFFFF) {
        throw MappingError("an embedded texture of " + std::to_string(texture.mWidth) + " x " +
                           std::to_string(texture.mHeight) + " texels is too large");
    }
    static_assert(sizeof(aiTexel) == 4);
    image.bytes = uncompressedTga(texture.mWidth, texture.mHeight, bytes);
    image.extension = "tga";
    return image;
}

std::vector<std::uint8_t> uncompressedTga(std::uint32_t width, std::uint32_t height,
                                          const std::uint8_t* bgra) {
    ByteWriter out;
    out.reserve(18 + std::size_t(width) * height * 4);
    out.u8(0); // no image id
    out.u8(0); // no colour map
    out.u8(2); // uncompressed true colour
    out.zeros(5);
    out.u16le(0);
    out.u16le(0);
    out.u16le(static_cast<std::uint16_t>(width));
    out.u16le(static_cast<std::uint16_t>(height));
    out.u8(32);
    out.u8(0x28); // eight bits of alpha, rows from the top
    out.raw(bgra, std::size_t(width) * height * 4);
    return out.take();
}

} // namespace kzo

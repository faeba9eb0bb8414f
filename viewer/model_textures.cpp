#include "viewer/model_textures.h"

#include "format/file_io.h"
#include "viewer/texture.h"
#include "viewer/texture_lookup.h"

#include <filesystem>
#include <new>

namespace kzoview {

namespace {

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// The texture of one image record, held in the model (held not empty) or
// in a file, or null after warning why not.
std::shared_ptr<const Texture> readTexture(const std::string& imageName,
                                           const std::vector<std::uint8_t>& held,
                                           const TextureSearch& search,
                                           const std::vector<std::string>& directories,
                                           std::uint64_t& budget, const TextureWarning& warn) {
    const std::string what = "texture " + quoted(imageName);
    const std::string path =
        held.empty() ? findImageFile(imageName, directories) : search.shownFile;
    if (path.empty()) {
        warn(what + " not found beside " + quoted(search.shownFile) + " or in --textures");
        return nullptr;
    }
    try {
        DecodedImage decoded;
        if (!held.empty()) {
            decoded = decodeTextureImage(held);
        } else {
            std::vector<std::uint8_t> bytes;
            if (const auto failure = kzo::readFile(path, bytes, kMaxTextureFileBytes)) {
                warn(what + ": cannot read " + quoted(path) + ": " + failure->reason);
                return nullptr;
            }
            decoded = decodeTextureImage(bytes);
        }
        if (!decoded.fault.empty()) {
            warn(what + ": " + quoted(path) + " " + decoded.fault);
            return nullptr;
        }
        const std::uint64_t texels =
            std::uint64_t(decoded.image.width) * std::uint64_t(decoded.image.height);
        if (texels > budget) {
            warn(what + ": " + quoted(path) +
                 " left out: the model's textures would take more than " +
                 std::to_string(kMaxModelTexturePixels) + " pixels");
            return nullptr;
        }
        budget -= texels;
        return std::make_shared<const Texture>(makeTexture(std::move(decoded.image)));
    } catch (const std::bad_alloc&) {
        warn(what + ": " + quoted(path) + " needs more memory than there is");
        return nullptr;
    }
}

} // namespace

void readModelTextures(ShadedModel& model, const TextureSearch& search,
                       const TextureWarning& given) {
    const TextureWarning warn = given ? given : [](const std::string&) {};
    model.textures.assign(model.imageNames.size(), nullptr);
    std::vector<bool> used(model.imageNames.size(), false);
    for (const ShadedMaterial& m : model.materials) {
        if (m.image >= 0 && std::size_t(m.image) < used.size()) {
            used[std::size_t(m.image)] = true;
        }
    }
    std::vector<std::string> directories{
        std::filesystem::path(search.shownFile).parent_path().string()};
    directories.insert(directories.end(), search.directories.begin(), search.directories.end());
    std::uint64_t budget = kMaxModelTexturePixels;
    for (std::size_t i = 0; i < model.imageNames.size(); ++i) {
        if (used[i]) {
            const std::vector<std::uint8_t> none;
            const std::vector<std::uint8_t>& held =
                i < model.imageBytes.size() ? model.imageBytes[i] : none;
            model.textures[i] =
                readTexture(model.imageNames[i], held, search, directories, budget, warn);
        }
    }
}

bool showsTextures(const ShadedModel& model) {
    for (const ShadedMaterial& m : model.materials) {
        if (m.image >= 0 && std::size_t(m.image) < model.textures.size() &&
            model.textures[std::size_t(m.image)]) {
            return true;
        }
    }
    return false;
}

} // namespace kzoview

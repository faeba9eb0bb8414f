#include "converter/import/embedded_textures.h"

#include "converter/model/paths.h"

namespace kzo {
namespace {

constexpr std::size_t kMaxExtensionLength = 8;

// Names the other outputs end in: an image of one of these types would take
// the name of a side file or of another input's KZO file.
bool namesImageFile(const std::string& extension) {
    if (extension.empty() || extension.size() > kMaxExtensionLength) {
        return false;
    }
    for (const char c : extension) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    for (const char* own : {"kzo", "mot", "cam", "kzl"}) {
        if (extension == own) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string embeddedTexturePath(const std::string& kzoPath, std::size_t index,
                                const std::string& extension) {
    const std::string stem =
        kzoPath.size() >= 4 && kzoPath.compare(kzoPath.size() - 4, 4, ".kzo") == 0
            ? kzoPath.substr(0, kzoPath.size() - 4)
            : kzoPath;
    return stem + "_tex" + std::to_string(index) + "." + extension;
}

EmbeddedTextures embeddedTextures(const ImportedModel& imported, const std::string& path,
                                  const std::string& kzoPath, const MessageSink& sink) {
    EmbeddedTextures textures;
    textures.names.resize(imported.embeddedImages.size());
    std::vector<bool> used(imported.embeddedImages.size(), false);
    for (const ImportedMaterial& material : imported.materials) {
        if (material.embeddedImage < 0) {
            continue;
        }
        const auto index = static_cast<std::size_t>(material.embeddedImage);
        if (index >= used.size()) {
            fatalError(sink, "'%s': a material names embedded texture %zu of %zu", path.c_str(),
                       index, used.size());
        }
        used[index] = true;
    }
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (!used[i]) {
            continue;
        }
        const EmbeddedImage& image = imported.embeddedImages[i];
        if (!namesImageFile(image.extension)) {
            fatalError(sink,
                       "'%s': embedded texture %zu is of the type '%s', which names no image "
                       "file",
                       path.c_str(), i, image.extension.c_str());
        }
        OutputFile file{embeddedTexturePath(kzoPath, i, image.extension), image.bytes};
        textures.names[i] = fileTitle(file.path);
        textures.files.push_back(std::move(file));
    }
    return textures;
}

} // namespace kzo

#include "modelimport/module/read_model_file.h"

#include "modelimport/module/library_text.h"
#include "modelimport/module/scene_mapping.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/commonMetaData.h>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

namespace kzo {
namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string extensionOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    return lowerCase(path.substr(dot + 1));
}

// Opens for the library only regular files within the size limit, and never
// for writing; notes every file opened.
class BoundedFileSystem : public Assimp::DefaultIOSystem {
public:
    explicit BoundedFileSystem(std::vector<std::string>& opened) : opened_(opened) {}

    bool Exists(const char* file) const override { return isReadable(file); }

    Assimp::IOStream* Open(const char* file, const char* mode) override {
        if (mode == nullptr || std::strchr(mode, 'w') != nullptr ||
            std::strchr(mode, 'a') != nullptr || !isReadable(file)) {
            return nullptr;
        }
        Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
        if (stream != nullptr && std::find(opened_.begin(), opened_.end(), file) == opened_.end()) {
            opened_.emplace_back(file);
        }
        return stream;
    }

private:
    static bool isReadable(const char* file) {
        std::error_code ec;
        if (file == nullptr || !std::filesystem::is_regular_file(file, ec)) {
            return false;
        }
        const std::uintmax_t size = std::filesystem::file_size(file, ec);
        return !ec && size <= kMaxModelFileBytes;
    }

    std::vector<std::string>& opened_;
};

// The axes an FBX file declares (its up, front and right axes with their
// signs), as the change to a y-up space; identity when they are missing or do
// not name three different axes.
SceneAxes declaredAxes(const aiScene& scene) {
    SceneAxes axes;
    const aiMetadata* meta = scene.mMetaData;
    std::int32_t axis[3] = {};
    std::int32_t sign[3] = {};
    if (meta == nullptr || !meta->Get("CoordAxis", axis[0]) ||
        !meta->Get("CoordAxisSign", sign[0]) || !meta->Get("UpAxis", axis[1]) ||
        !meta->Get("UpAxisSign", sign[1]) || !meta->Get("FrontAxis", axis[2]) ||
        !meta->Get("FrontAxisSign", sign[2])) {
        return axes;
    }
    bool taken[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (axis[i] < 0 || axis[i] > 2 || taken[axis[i]] || (sign[i] != 1 && sign[i] != -1)) {
            return SceneAxes{};
        }
        taken[axis[i]] = true;
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            axes.rows[i][j] = j == axis[i] ? static_cast<float>(sign[i]) : 0.0f;
        }
    }
    return axes;
}

std::string sourceFormat(const aiScene& scene) {
    aiString format;
    if (scene.mMetaData == nullptr || !scene.mMetaData->Get(AI_METADATA_SOURCE_FORMAT, format)) {
        return {};
    }
    return libraryText(format);
}

SceneFacts factsOf(const aiScene& scene, const std::string& path) {
    SceneFacts facts;
    if (extensionOf(path) == "fbx") {
        facts.axes = declaredAxes(scene);
    }
    // The glTF 2 reader appends one material, unnamed, after the file's own.
    if (sourceFormat(scene) == "glTF2 Importer" && scene.mNumMaterials > 0) {
        facts.addedMaterial = scene.mNumMaterials - 1;
    }
    return facts;
}

void checkInputFile(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        throw ModelReadError("cannot open the file");
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw ModelReadError("is not a regular file");
    }
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        throw ModelReadError("cannot open the file");
    }
    if (size > kMaxModelFileBytes) {
        throw ModelReadError("is larger than " + std::to_string(kMaxModelFileBytes >> 20) + " MiB");
    }
}

} // namespace

bool libraryReadsExtension(const std::string& extension) {
    if (extension.empty() || extension.find('.') != std::string::npos) {
        return false;
    }
    const Assimp::Importer importer;
    return importer.IsExtensionSupported("." + lowerCase(extension));
}

ImportedModel readModelWithLibrary(const std::string& path, const ModelReadOptions& options) {
    static_cast<void>(options); // the scene options are read by the mapping to come
    checkInputFile(path);
    std::vector<std::string> opened{path};
    Assimp::Importer importer;
    importer.SetIOHandler(new BoundedFileSystem(opened)); // the importer owns it
    importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
    const aiScene* scene =
        importer.ReadFile(path, aiProcess_Triangulate | aiProcess_ValidateDataStructure);
    if (scene == nullptr) {
        const std::string reason = importer.GetErrorString();
        throw ModelReadError(reason.empty() ? "cannot be read as a model" : reason);
    }
    try {
        ImportedModel model = mapScene(*scene, factsOf(*scene, path), MappingLimits{});
        model.filesRead = std::move(opened);
        return model;
    } catch (const MappingError& e) {
        throw ModelReadError(e.what());
    }
}

} // namespace kzo

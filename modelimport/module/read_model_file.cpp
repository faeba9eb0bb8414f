#include "modelimport/module/read_model_file.h"

#include "modelimport/module/gltf_channels.h"
#include "modelimport/module/library_text.h"
#include "modelimport/module/scene_mapping.h"

#include <assimp/DefaultIOSystem.h>
#include <assimp/IOStream.hpp>
#include <assimp/Importer.hpp>
#include <assimp/commonMetaData.h>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

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

std::filesystem::path resolved(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path whole = std::filesystem::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : whole;
}

bool liesBelow(const std::filesystem::path& file, const std::filesystem::path& folder) {
    auto f = file.begin();
    for (auto d = folder.begin(); d != folder.end(); ++d, ++f) {
        // weakly_canonical keeps the empty last part of a trailing slash.
        if (d->empty() && std::next(d) == folder.end()) {
            break;
        }
        if (f == file.end() || *f != *d) {
            return false;
        }
    }
    return f != file.end();
}

// The two folders without the last parts they share: a/b/models and
// c/models give a/b and c.
std::pair<std::filesystem::path, std::filesystem::path> commonRoots(std::filesystem::path a,
                                                                    std::filesystem::path b) {
    while (a.has_relative_path() && b.has_relative_path() && a.filename() == b.filename() &&
           !a.filename().empty()) {
        a = a.parent_path();
        b = b.parent_path();
    }
    return {a, b};
}

// Where the files a model names may lie: its own folder and the search
// paths, all with their links resolved, and what was refused first.
class FileRule {
public:
    FileRule(const std::string& modelPath, const std::vector<std::string>& searchPaths)
        : modelPath_(modelPath) {
        const std::filesystem::path model(modelPath);
        // Where it was named and, for a model that is a link (a build's
        // sandbox makes every file one), where it lies.
        const std::filesystem::path named =
            resolved(std::filesystem::absolute(model).parent_path());
        const std::filesystem::path real = resolved(std::filesystem::absolute(model)).parent_path();
        folders_.push_back(named);
        folders_.push_back(real);
        // A sandbox copies the tree as folders of links: a search path that
        // lies in the copy also stands for its place in the tree the model's
        // link leads into, where its files' links lead.
        const auto [namedRoot, realRoot] = commonRoots(named, real);
        for (const std::string& dir : searchPaths) {
            const std::filesystem::path folder = resolved(std::filesystem::absolute(dir));
            folders_.push_back(folder);
            if (namedRoot != realRoot && (folder == namedRoot || liesBelow(folder, namedRoot))) {
                folders_.push_back(resolved(realRoot / folder.lexically_relative(namedRoot)));
            }
        }
        modelFolderText_ = model.parent_path().string();
    }

    // The model itself, or a file below one of the folders once its links are
    // resolved; anything else is noted as the refusal.
    bool admits(const char* file) {
        if (file == modelPath_) {
            return true;
        }
        std::error_code ec;
        const std::filesystem::path whole = resolved(std::filesystem::absolute(file, ec));
        for (const std::filesystem::path& folder : folders_) {
            if (!ec && liesBelow(whole, folder)) {
                return true;
            }
        }
        if (refused_.empty()) {
            refused_ = referenceOf(file);
        }
        return false;
    }

    // The first file refused, as the model names it; empty when none was.
    const std::string& refused() const { return refused_; }

private:
    // The library joins the model's folder and the name the model gives.
    std::string referenceOf(const std::string& file) const {
        if (!modelFolderText_.empty() && file.starts_with(modelFolderText_ + "/")) {
            return file.substr(modelFolderText_.size() + 1);
        }
        return file;
    }

    std::string modelPath_;
    std::string modelFolderText_;
    std::vector<std::filesystem::path> folders_;
    std::string refused_;
};

// Opens for the library only regular files within the size limit that the
// rule admits, and never for writing; notes every file opened.
class BoundedFileSystem : public Assimp::DefaultIOSystem {
public:
    BoundedFileSystem(FileRule& rule, std::vector<std::string>& opened)
        : rule_(rule), opened_(opened) {}

    bool Exists(const char* file) const override {
        return file != nullptr && rule_.admits(file) && isReadable(file);
    }

    Assimp::IOStream* Open(const char* file, const char* mode) override {
        if (mode == nullptr || std::strchr(mode, 'w') != nullptr ||
            std::strchr(mode, 'a') != nullptr || !Exists(file)) {
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

    FileRule& rule_;
    std::vector<std::string>& opened_;
};

[[noreturn]] void refuse(const std::string& reference) {
    throw ModelReadError("names '" + reference +
                         "' outside its folder: the files a model names are read only from its "
                         "folder or below a --search-path directory");
}

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

// The frame rate an FBX file states: its time mode, as the library turns it
// into its animations' ticks per second; 0 for none.
double fbxFrameRate(const aiScene& scene) {
    std::int32_t mode = 0;
    float custom = 0;
    if (scene.mMetaData == nullptr || !scene.mMetaData->Get("FrameRate", mode)) {
        return 0;
    }
    static constexpr double kRates[] = {0,  120,        100,        60,    50,    48,   30,
                                        30, 29.9700262, 29.9700262, 25,    24,    1000, 23.976,
                                        0,  96,         72,         59.94, 119.88};
    if (mode == 14) {
        return scene.mMetaData->Get("CustomFrameRate", custom) && custom > 0 ? custom : 0;
    }
    return mode >= 0 && mode < std::int32_t(std::size(kRates)) ? kRates[mode] : 0;
}

std::optional<std::vector<std::uint8_t>> readThrough(Assimp::IOSystem& io,
                                                     const std::string& path) {
    Assimp::IOStream* stream = io.Open(path.c_str(), "rb");
    if (stream == nullptr) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(stream->FileSize());
    const std::size_t read = bytes.empty() ? 0 : stream->Read(bytes.data(), 1, bytes.size());
    io.Close(stream);
    if (read != bytes.size()) {
        return std::nullopt;
    }
    return bytes;
}

// The channels of a glTF file's first animation that the library reads as
// linear though they step or follow splines. Its files are opened as the
// library opens them.
void readGltfAnimation(Assimp::IOSystem& io, const std::string& path, SceneFacts& facts,
                       std::vector<std::string>& warnings) {
    const auto file = readThrough(io, path);
    if (!file) {
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    GltfChannels read =
        readGltfChannels(*file, extensionOf(path) == "glb", [&](const std::string& uri) {
            return readThrough(io, (folder / uri).string());
        });
    facts.channels = std::move(read.channels);
    warnings.insert(warnings.end(), read.warnings.begin(), read.warnings.end());
    if (read.animatesProperties) {
        warnings.push_back("the animation of material and camera properties is left out");
    }
}

SceneFacts factsOf(const aiScene& scene, const std::string& path, Assimp::IOSystem& io,
                   std::vector<std::string>& warnings) {
    SceneFacts facts;
    const std::string format = sourceFormat(scene);
    if (extensionOf(path) == "fbx") {
        facts.axes = declaredAxes(scene);
        facts.framesPerSecond = fbxFrameRate(scene);
        aiVector3D ambient;
        if (scene.mMetaData != nullptr && scene.mMetaData->Get("AmbientColor", ambient)) {
            facts.ambient[0] = ambient.x;
            facts.ambient[1] = ambient.y;
            facts.ambient[2] = ambient.z;
        }
    }
    facts.maxCameras = format == "ASE Importer";
    // The glTF 2 reader appends one material, unnamed, after the file's own.
    if (format == "glTF2 Importer") {
        facts.gltf = true;
        if (scene.mNumMaterials > 0) {
            facts.addedMaterial = scene.mNumMaterials - 1;
        }
        if (scene.mNumAnimations > 0) {
            readGltfAnimation(io, path, facts, warnings);
        }
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
    checkInputFile(path);
    std::vector<std::string> opened{path};
    FileRule rule(path, options.searchPaths);
    Assimp::Importer importer;
    importer.SetIOHandler(new BoundedFileSystem(rule, opened)); // the importer owns it
    importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
    const aiScene* scene =
        importer.ReadFile(path, aiProcess_Triangulate | aiProcess_ValidateDataStructure);
    // The library fails with its own words on a file it could not open, or
    // goes on without it.
    if (!rule.refused().empty()) {
        refuse(rule.refused());
    }
    if (scene == nullptr) {
        const std::string reason = importer.GetErrorString();
        throw ModelReadError(reason.empty() ? "cannot be read as a model" : reason);
    }
    try {
        std::vector<std::string> readWarnings;
        const SceneFacts facts = factsOf(*scene, path, *importer.GetIOHandler(), readWarnings);
        // The animation's own reading opens the files a glTF file names again.
        if (!rule.refused().empty()) {
            refuse(rule.refused());
        }
        ImportedModel model = mapScene(*scene, facts, MappingLimits{}, options);
        model.warnings.insert(model.warnings.end(), readWarnings.begin(), readWarnings.end());
        model.filesRead = std::move(opened);
        return model;
    } catch (const MappingError& e) {
        throw ModelReadError(e.what());
    }
}

} // namespace kzo

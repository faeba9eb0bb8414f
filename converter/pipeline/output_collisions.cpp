#include "converter/pipeline/output_collisions.h"

#include "converter/encode/dependency_file.h"
#include "converter/import/import_input.h"
#include "converter/pipeline/convert_file.h"

#include <filesystem>
#include <unordered_map>

namespace kzo {
namespace {

std::string resolved(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec) {
        return path;
    }
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, ec);
    return (ec ? absolute.lexically_normal() : canonical).string();
}

} // namespace

std::vector<std::string> outputPathsFor(const std::string& input, const std::string& proposedOutput,
                                        const ConversionSettings& settings) {
    const InputKind kind = inputKindOf(input);
    if (kind == InputKind::unsupported) {
        return {};
    }
    const std::string kzoPath = kzoPathFor(kind, proposedOutput);
    std::vector<std::string> paths{kzoPath};
    if (isSceneKind(kind)) {
        const SideFilePaths side = sideFilePathsFor(kzoPath, settings);
        for (const std::string* path : {&side.motion, &side.camera, &side.lights}) {
            if (!path->empty()) {
                paths.push_back(*path);
            }
        }
    }
    if (settings.dependencyFile != 0) {
        paths.push_back(dependencyFilePath(kzoPath));
    }
    return paths;
}

std::vector<std::optional<OutputCollision>>
findOutputCollisions(const std::vector<std::string>& inputs,
                     const std::vector<std::string>& proposedOutputs,
                     const ConversionSettings& settings) {
    std::vector<std::optional<OutputCollision>> collisions(inputs.size());
    std::unordered_map<std::string, std::size_t> writers; // resolved path -> input
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::vector<std::string> paths =
            outputPathsFor(inputs[i], proposedOutputs[i], settings);
        std::vector<std::string> keys;
        for (const std::string& path : paths) {
            keys.push_back(resolved(path));
            if (const auto it = writers.find(keys.back()); it != writers.end()) {
                collisions[i] = OutputCollision{it->second, path};
                break;
            }
        }
        if (!collisions[i]) {
            for (std::string& key : keys) {
                writers.emplace(std::move(key), i);
            }
        }
    }
    return collisions;
}

void reportOutputCollision(const MessageSink& sink, const std::string& input,
                           const std::string& earlierInput, const std::string& output) {
    printMessage(sink, "ERROR: '%s' is not converted: '%s' writes '%s' too", input.c_str(),
                 earlierInput.c_str(), output.c_str());
}

} // namespace kzo

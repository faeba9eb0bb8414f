#include "converter/import/list_inputs.h"

#include "converter/import/import_lws_scene.h"
#include "converter/import/import_model_file.h"

#include <algorithm>

namespace kzo {
namespace {

std::vector<std::string> eachOnce(const std::vector<std::string>& files) {
    std::vector<std::string> unique;
    for (const std::string& file : files) {
        if (std::find(unique.begin(), unique.end(), file) == unique.end()) {
            unique.push_back(file);
        }
    }
    return unique;
}

} // namespace

std::vector<std::string> listInputs(InputKind kind, const std::string& path,
                                    const ConversionSettings& settings, const MessageSink& sink) {
    switch (kind) {
    case InputKind::lightWaveScene:
        return eachOnce(listLwsSceneInputs(path, sink));
    case InputKind::otherModel:
        return eachOnce(listModelFileInputs(path, settings, sink));
    case InputKind::threeDStudio:
    case InputKind::lightWaveObject:
        // Read, not only looked at, so that an unreadable file fails as its
        // conversion would.
        readInputFile(sink, path);
        return {path};
    case InputKind::unsupported:
        break;
    }
    return {};
}

} // namespace kzo

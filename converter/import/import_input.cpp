#include "converter/import/import_input.h"

#include "converter/import/import_lws_scene.h"
#include "converter/import/import_model_file.h"
#include "converter/import/load_3ds.h"
#include "converter/import/load_lwo.h"
#include "converter/model/paths.h"
#include "format/file_io.h"
#include "modelimport/model_import.h"

#include <cctype>

namespace kzo {
namespace {

// Where the extension of the path's file name starts (behind its last dot),
// or npos when the file name has no dot.
std::size_t extensionStart(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t separator = path.find_last_of("/\\:");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) {
        return std::string::npos;
    }
    return dot + 1;
}

std::string lowerCaseExtension(const std::string& path) {
    const std::size_t start = extensionStart(path);
    std::string extension = start == std::string::npos ? std::string() : path.substr(start);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension;
}

// The engine's own files and LightWave's, which the import library also
// claims.
bool isOwnExtension(const std::string& extension) {
    for (const char* own : {"kzo", "mot", "cam", "kzl", "lws"}) {
        if (extension == own) {
            return true;
        }
    }
    return false;
}

} // namespace

InputKind inputKindOf(const std::string& path) {
    if (path.size() < 3) {
        return InputKind::unsupported;
    }
    const char* c = path.data() + path.size() - 3;
    if (c[0] == '3' && (c[1] == 'D' || c[1] == 'd') && (c[2] == 'S' || c[2] == 's')) {
        return InputKind::threeDStudio;
    }
    if ((c[0] == 'L' || c[0] == 'l') && (c[1] == 'W' || c[1] == 'w') &&
        (c[2] == 'S' || c[2] == 's')) {
        return InputKind::lightWaveScene;
    }
    const std::string extension = lowerCaseExtension(path);
    if (extension == "lwo") {
        return InputKind::lightWaveObject;
    }
    if (extension.empty() || isOwnExtension(extension)) {
        return InputKind::unsupported;
    }
    return modelExtensionSupported(extension) ? InputKind::otherModel : InputKind::unsupported;
}

std::string kzoPathFor(InputKind kind, const std::string& proposedOutput) {
    const std::size_t start = extensionStart(proposedOutput);
    if (kind != InputKind::otherModel || start == std::string::npos) {
        return replaceExtension(proposedOutput, "kzo");
    }
    return proposedOutput.substr(0, start) + "kzo";
}

ImportedInput importInput(InputKind kind, SceneModel& model, const std::string& path,
                          const std::string& kzoPath, const ConversionSettings& settings) {
    switch (kind) {
    case InputKind::threeDStudio:
        return import3dsFile(model, path);
    case InputKind::lightWaveScene:
        return importLwsScene(model, path);
    case InputKind::lightWaveObject:
        warnOfSideFiles(model.sink, path, settings);
        return importLwoFile(model, path);
    case InputKind::otherModel:
        return importModelFile(model, path, kzoPath, settings);
    case InputKind::unsupported:
        break;
    }
    return ImportedInput{};
}

void warnOfSideFiles(const MessageSink& sink, const std::string& path,
                     const ConversionSettings& settings) {
    if (settings.animation != 0 || settings.cameraFile != 0 || settings.lightFile != 0) {
        printMessage(sink,
                     "'%s' is a LightWave object, not a scene: it has no .mot, .cam or .kzl "
                     "files (the scene that loads it has)",
                     path.c_str());
    }
}

bool isSceneKind(InputKind kind) {
    return kind == InputKind::lightWaveScene || kind == InputKind::otherModel;
}

std::vector<std::uint8_t> readInputFile(const MessageSink& sink, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (const std::optional<ReadFailure> failure = readFile(path, bytes)) {
        if (failure->directory) {
            fatalError(sink, "cannot open '%s': it is a directory", path.c_str());
        }
        if (failure->notRegularFile) {
            fatalError(sink, "cannot open '%s': %s", path.c_str(), failure->reason.c_str());
        }
        fatalError(sink, "cannot open '%s'", path.c_str());
    }
    return bytes;
}

ImportedInput import3dsFile(SceneModel& model, const std::string& path) {
    if (!load3dsFile(model, path)) {
        fatalError(model.sink,
                   "'%s' is not a 3D Studio file: it does not start with the main chunk",
                   path.c_str());
    }
    ImportedInput imported;
    imported.filesRead.push_back(path);
    return imported;
}

ImportedInput importLwoFile(SceneModel& model, const std::string& path) {
    loadLwoFile(model, path, kAllLayers);
    ImportedInput imported;
    imported.filesRead.push_back(path);
    return imported;
}

} // namespace kzo

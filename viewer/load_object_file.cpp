#include "viewer/load_support.h"
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include "modelimport/model_import.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace kzoview {

namespace {

// The last three characters, lower-cased; no dot needed ("shipkzo" is a KZO file).
std::string extensionOf(const std::string& name) {
    if (name.size() < 3) {
        return {};
    }
    std::string ext = name.substr(name.size() - 3);
    for (char& c : ext) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ext;
}

// The extension after the file name's last dot, when the model import library
// reads it.
bool isOtherModel(const std::string& name) {
    const std::size_t dot = name.find_last_of('.');
    const std::size_t separator = name.find_last_of("/\\:");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator) ||
        dot + 1 == name.size()) {
        return false;
    }
    return kzo::modelExtensionSupported(name.substr(dot + 1));
}

} // namespace

void LoadObjectFile(const std::string& name, ViewerDocument& doc, LoadScope scope,
                    const ModelReading& reading) {
    detail::failLoad(doc);
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
        fatalError("'" + name + "' is a directory");
    }
    const std::string ext = extensionOf(name);
    if (ext == "kzo") {
        LoadKZO(name, doc, scope);
    } else if (ext == "kzw") {
        fatalError("'.kzw' is not supported yet");
    } else if (ext == "3ds") {
        Load3DS(name, doc, scope);
    } else if (ext == "lwo") {
        LoadLWO(name, doc, scope);
    } else if (ext != "lws" && ext != "mot" && ext != "cam" && ext != "kzl" && isOtherModel(name)) {
        LoadModel(name, doc, scope, reading);
    } else {
        fatalError("'" + name + "' is not supported file format");
    }
}

} // namespace kzoview

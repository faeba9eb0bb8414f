#include "viewer/load_support.h"
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include <cctype>

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

} // namespace

void LoadObjectFile(const std::string& name, ViewerDocument& doc, LoadScope scope) {
    detail::failLoad(doc);
    const std::string ext = extensionOf(name);
    if (ext == "kzo") {
        LoadKZO(name, doc, scope);
    } else if (ext == "kzw") {
        fatalError("'.kzw' is not supported yet");
    } else if (ext == "3ds") {
        Load3DS(name, doc, scope);
    } else if (ext == "lwo") {
        LoadLWO(name, doc, scope);
    } else {
        fatalError("'" + name + "' is not supported file format");
    }
}

} // namespace kzoview

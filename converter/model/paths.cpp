#include "converter/model/paths.h"

namespace kzo {
namespace {

std::size_t lastSeparator(const std::string& path) {
    return path.find_last_of("/\\:");
}

} // namespace

std::string fileTitle(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string directoryPart(const std::string& path) {
    const std::size_t at = lastSeparator(path);
    if (at == std::string::npos) {
        return {};
    }
    if (path[at] == ':' || at == 0) {
        return path.substr(0, at + 1);
    }
    return path.substr(0, at);
}

std::string exportPrefix(const std::string& exportDirectory) {
    if (exportDirectory.empty() || exportDirectory.back() == '/' ||
        exportDirectory.back() == '\\') {
        return exportDirectory;
    }
    return exportDirectory + "/";
}

std::string replaceExtension(const std::string& path, const std::string& ext) {
    if (path.size() < 3) {
        return path + ext;
    }
    return path.substr(0, path.size() - 3) + ext;
}

} // namespace kzo

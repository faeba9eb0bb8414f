#include "viewer/texture_lookup.h"

#include "format/folder_entry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kzoview {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> componentsOf(const std::string& name) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : name + '/') {
        if (c == '/' || c == '\\' || c == ':') {
            if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += c;
        }
    }
    return parts;
}

std::string walk(fs::path at, const std::vector<std::string>& components) {
    for (const std::string& component : components) {
        at = component == ".." ? at / ".." : kzo::findFolderEntry(at, component);
        if (at.empty()) {
            return {};
        }
    }
    std::error_code ec;
    return fs::is_regular_file(at, ec) ? at.string() : std::string();
}

} // namespace

std::string imageFileName(const std::string& imageName) {
    const std::size_t cut = imageName.find_last_of("/\\:");
    return cut == std::string::npos ? imageName : imageName.substr(cut + 1);
}

std::string findImageFile(const std::string& imageName,
                          const std::vector<std::string>& directories) {
    const std::string file = imageFileName(imageName);
    if (file.empty() || file == "." || file == "..") {
        return {};
    }
    for (const std::string& dir : directories) {
        if (std::string found = walk(dir, {file}); !found.empty()) {
            return found;
        }
    }
    const std::vector<std::string> components = componentsOf(imageName);
    if (components.size() < 2) {
        return {};
    }
    if (imageName.front() == '/' || imageName.front() == '\\') {
        return walk("/", components);
    }
    for (const std::string& dir : directories) {
        if (std::string found = walk(dir, components); !found.empty()) {
            return found;
        }
    }
    return {};
}

} // namespace kzoview

#include "converter/import/object_path.h"

#include "format/folder_entry.h"

#include "converter/model/paths.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace kzo {
namespace fs = std::filesystem;

namespace {

// Follows components from base, each matched by findFolderEntry; the last one must
// be a regular file.
std::string walk(const fs::path& base, const std::vector<std::string>& components,
                 std::size_t first, const std::string& lastName) {
    fs::path at = base;
    for (std::size_t i = first; i + 1 < components.size(); ++i) {
        if (components[i] == ".") {
            continue;
        }
        at = components[i] == ".." ? at / ".." : findFolderEntry(at, components[i]);
        if (at.empty()) {
            return {};
        }
    }
    const fs::path file = findFolderEntry(at, lastName);
    std::error_code ec;
    if (file.empty() || !fs::is_regular_file(file, ec)) {
        return {};
    }
    return file.string();
}

std::vector<std::string> splitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/:", start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            parts.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

} // namespace

std::string objectGeometryName(const std::string& objectPath) {
    return replaceExtension(objectPath, "3ds");
}

namespace {

// The search of findObjectGeometry, with the names tried for the last
// component given by lastNames.
template <class LastNames>
std::string findObject(const std::string& sceneDirectory, const std::string& objectPath,
                       LastNames&& lastNamesOf) {
    std::string path = objectPath;
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::vector<std::string> components = splitComponents(path);
    if (components.empty()) {
        return {};
    }
    const std::vector<std::string> lastNames = lastNamesOf(components.back());
    const bool absolute = path.front() == '/';
    const fs::path sceneDir = sceneDirectory.empty() ? fs::path() : fs::path(sceneDirectory);
    for (std::size_t first = 0; first < components.size(); ++first) {
        const fs::path base = absolute && first == 0 ? fs::path("/") : sceneDir;
        for (const std::string& name : lastNames) {
            std::string found = walk(base, components, first, name);
            if (!found.empty()) {
                return found;
            }
        }
    }
    return {};
}

} // namespace

std::string findObjectGeometry(const std::string& sceneDirectory, const std::string& objectPath) {
    return findObject(sceneDirectory, objectPath, [](const std::string& last) {
        std::vector<std::string> names{replaceExtension(last, "3ds")};
        if (last.find('.') == std::string::npos) {
            names.push_back(last + ".3ds");
        }
        return names;
    });
}

std::string findObjectFile(const std::string& sceneDirectory, const std::string& objectPath) {
    return findObject(sceneDirectory, objectPath, [](const std::string& last) {
        std::vector<std::string> names{last};
        if (last.find('.') == std::string::npos) {
            names.push_back(last + ".lwo");
        }
        return names;
    });
}

} // namespace kzo

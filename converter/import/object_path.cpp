#include "converter/import/object_path.h"

#include "converter/model/paths.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace kzo {
namespace fs = std::filesystem;

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// The entry of dir named name, exactly or else differing only in letter case
// (the first such entry in name order, so the choice does not depend on the
// order the file system lists them). Empty when there is none.
fs::path findEntry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    const fs::path exact = dir / name;
    if (fs::exists(exact, ec)) {
        return exact;
    }
    std::vector<std::string> matches;
    for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (equalIgnoringCase(entry, name)) {
            matches.push_back(entry);
        }
    }
    if (matches.empty()) {
        return {};
    }
    return dir / *std::min_element(matches.begin(), matches.end());
}

// Follows components from base, each matched by findEntry; the last one must
// be a regular file.
std::string walk(const fs::path& base, const std::vector<std::string>& components,
                 std::size_t first, const std::string& lastName) {
    fs::path at = base;
    for (std::size_t i = first; i + 1 < components.size(); ++i) {
        if (components[i] == ".") {
            continue;
        }
        at = components[i] == ".." ? at / ".." : findEntry(at, components[i]);
        if (at.empty()) {
            return {};
        }
    }
    const fs::path file = findEntry(at, lastName);
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

#include "viewer/texture_lookup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kzoview {

namespace fs = std::filesystem;

namespace {

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// The entry of dir named name, exactly or else in another letter case; empty
// when there is none.
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
        at = component == ".." ? at / ".." : findEntry(at, component);
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

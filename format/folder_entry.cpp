#include "format/folder_entry.h"

#include <algorithm>
#include <string_view>
#include <system_error>
#include <vector>

namespace kzo {
namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::filesystem::path findFolderEntry(const std::filesystem::path& dir, const std::string& name) {
    namespace fs = std::filesystem;
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

} // namespace kzo

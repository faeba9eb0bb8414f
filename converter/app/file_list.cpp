#include "converter/app/file_list.h"

#include <algorithm>

namespace kzo {

std::vector<std::string> appendNewPaths(std::vector<std::string>& list,
                                        const std::vector<std::string>& chosen) {
    std::vector<std::string> appended;
    for (const std::string& path : chosen) {
        if (std::find(list.begin(), list.end(), path) == list.end()) {
            list.push_back(path);
            appended.push_back(path);
        }
    }
    return appended;
}

void removeSelected(std::vector<std::string>& list, const std::vector<bool>& selected) {
    std::vector<std::string> kept;
    kept.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i >= selected.size() || !selected[i]) {
            kept.push_back(std::move(list[i]));
        }
    }
    list = std::move(kept);
}

} // namespace kzo

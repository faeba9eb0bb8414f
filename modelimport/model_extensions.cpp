#include "modelimport/model_import.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

namespace kzo {
namespace {

// Sorted, lower case; written from the import library when the programs are
// built.
constexpr std::string_view kModelExtensions[] = {
#include "model_extensions.inc"
};

} // namespace

bool modelExtensionSupported(const std::string& extension) {
    std::string lower = extension;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return std::binary_search(std::begin(kModelExtensions), std::end(kModelExtensions),
                              std::string_view(lower));
}

} // namespace kzo

#include "viewer/file_title.h"

namespace kzoview {

std::string_view FileTitle(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\:");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string cutCaption(std::string text) {
    if (text.size() <= kCaptionLimit) {
        return text;
    }
    std::size_t end = kCaptionLimit;
    // Back off over continuation bytes (10xxxxxx) to the start of the character
    // that the limit would split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
    return text;
}

} // namespace kzoview

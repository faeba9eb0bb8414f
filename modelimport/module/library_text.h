// Text of the import library's fixed strings, read within their buffer even
// when the stored length is damaged.
#pragma once

#include <assimp/types.h>

#include <cstring>
#include <string>

namespace kzo {

inline std::string libraryText(const aiString& text) {
    const std::size_t limit = text.length < MAXLEN ? text.length : MAXLEN - 1;
    const void* end = std::memchr(text.data, '\0', limit);
    const std::size_t size = end != nullptr ? static_cast<const char*>(end) - text.data : limit;
    return std::string(text.data, size);
}

} // namespace kzo

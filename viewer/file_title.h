#pragma once

#include <string>
#include <string_view>

namespace kzoview {

// The part of path after its last '/', '\\' or ':'; the whole path without one.
std::string_view FileTitle(std::string_view path);

inline constexpr std::size_t kCaptionLimit = 255; // bytes, as the caption always held

// text cut to kCaptionLimit bytes, never inside a UTF-8 character.
std::string cutCaption(std::string text);

} // namespace kzoview

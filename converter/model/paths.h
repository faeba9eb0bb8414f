// Path text helpers of the converter. '/', '\' and ':' all separate a
// directory from a file name; extensions are "the last three characters".
#pragma once

#include <string>

namespace kzo {

// The part of the path after its last separator; the whole path without one.
std::string fileTitle(const std::string& path);

// Everything before the last separator; a colon stays part of it ("C:a.lws"
// gives "C:"), a file in the root directory ("/a.lws") gives "/". Empty when the
// path has no separator.
std::string directoryPart(const std::string& path);

// The export directory followed by '/', unless it is empty or already ends in
// '/' or '\'.
std::string exportPrefix(const std::string& exportDirectory);

// The path with its last three characters replaced by ext, without looking for
// a dot. A path shorter than three characters gets ext appended.
std::string replaceExtension(const std::string& path, const std::string& ext);

} // namespace kzo

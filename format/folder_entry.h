// Names written on another system (a scene made on Windows, a model naming
// its texture) may differ from the files in letter case only.
#pragma once

#include <filesystem>
#include <string>

namespace kzo {

// The entry of dir named name, exactly or else differing only in letter case
// (the first such entry in name order, so the choice does not depend on the
// order the file system lists them). Empty when there is none.
std::filesystem::path findFolderEntry(const std::filesystem::path& dir, const std::string& name);

} // namespace kzo

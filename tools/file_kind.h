// Which of the engine's files a path names.
#pragma once

#include "tools/dump_model.h"

#include <optional>
#include <string_view>

namespace kzo::dump {

// By the path's last three characters, without regard to case and without
// looking for a dot, as the rest of the tool chain decides.
std::optional<FileKind> fileKindFromPath(std::string_view path);
// By a kind's name: "kzo", "mot", "cam" or "kzl".
std::optional<FileKind> fileKindFromName(std::string_view name);
const char* fileKindName(FileKind kind);

} // namespace kzo::dump

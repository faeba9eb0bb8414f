// One entry point per output mode for a whole file, used by the program and
// the fuzz target: parse the bytes as the kind and render them.
#pragma once

#include "tools/dump_model.h"

#include <span>
#include <string>
#include <string_view>

namespace kzo::dump {

enum class OutputMode { text, json, summary };

// Throws DumpError when the bytes cannot be read as the kind. The summary of
// a KZO file needs only its header.
std::string renderFile(FileKind kind, std::span<const std::uint8_t> bytes, OutputMode mode,
                       std::string_view path);

} // namespace kzo::dump

// Whole-file reads and all-or-nothing writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

// Reads the whole file into out. Returns false (out untouched) when the file
// cannot be opened or read.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out);

struct OutputFile {
    std::string path;
    std::vector<std::uint8_t> bytes;
};

// Writes every file to a temporary file beside its target, and only when all of
// them are complete renames them over their targets. On failure no target is
// touched and no temporary file is left; the result names the path that failed
// (empty on success).
std::string writeFilesAtomically(const std::vector<OutputFile>& files);

} // namespace kzo

// Whole-file reads and all-or-nothing writes.
#pragma once

#include "format/large_memory.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kzo {

// Reads the whole file into out. Returns false (out untouched) when the file
// cannot be opened or read.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out);

// A whole file in memory meant for large reads (large_memory.h).
struct LargeFileBytes {
    LargeArray<std::uint8_t> data;
    std::size_t size = 0;
    std::span<const std::uint8_t> bytes() const { return {data.get(), size}; }
};

// As readFileBytes, for files of many megabytes: a regular file is read up to
// the size it has when opened, straight into memory that nothing has cleared
// first. Throws std::bad_alloc when the memory is refused.
bool readLargeFile(const std::string& path, LargeFileBytes& out);

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

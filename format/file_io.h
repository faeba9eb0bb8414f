// Whole-file reads and all-or-nothing writes.
#pragma once

#include "format/large_memory.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kzo {

struct ReadFailure {
    bool directory = false;
    bool notRegularFile = false; // a device, FIFO or socket
    std::string reason;          // the system's text, or what kind of file was refused
};

// Reads the whole file into out (untouched on failure). Only a regular file is
// read, and never beyond the size it had when it was opened: a device or a
// FIFO named as a model file is refused at once instead of being read without
// end or waited on.
std::optional<ReadFailure> readFile(const std::string& path, std::vector<std::uint8_t>& out);

// readFile of a file that may hold at most maxBytes: a larger one is refused
// ("is larger than N bytes") before anything is read into memory.
std::optional<ReadFailure> readFile(const std::string& path, std::vector<std::uint8_t>& out,
                                    std::size_t maxBytes);

// readFile for callers that need no reason: false on failure.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out);

// A whole file in memory meant for large arrays (large_memory.h).
struct LargeFileBytes {
    LargeArray<std::uint8_t> data;
    std::size_t size = 0;
    std::span<const std::uint8_t> bytes() const { return {data.get(), size}; }
};

// readFile for files of many megabytes: straight into memory that nothing has
// cleared first. Throws std::bad_alloc when the memory is refused.
std::optional<ReadFailure> readLargeFile(const std::string& path, LargeFileBytes& out);

struct OutputFile {
    std::string path;
    std::vector<std::uint8_t> bytes;
};

// Writes every file to a temporary file beside its target, and only when all of
// them are complete renames them over their targets. On failure no target is
// touched and no temporary file is left; the result names the path that failed
// (empty on success) and reason, when given, receives the system's reason
// ("No space left on device", "Permission denied", "Is a directory").
//
// A replaced target keeps its permission bits; a new one gets the default
// ones. A temporary file is named ".NAME.tmp-HOST-PID-N" after its target
// NAME, the host, the process and a counter; a name that exists already is
// passed over for the next number. It is removed when SIGINT or SIGTERM ends
// the process while it exists. The first write into a directory removes the
// temporary files there that processes of this host left when they ended
// without cleaning up; another host's are never touched.
std::string writeFilesAtomically(const std::vector<OutputFile>& files,
                                 std::string* reason = nullptr);

} // namespace kzo

// The few calls into the operating system that the standard library does not
// offer: bounded reads of regular files, exclusive creation with the system's
// reason for a failure, process identity, a watch for interrupt signals,
// loading shared libraries at run time, and huge pages for large arrays.
// system_calls_posix.cpp implements them for POSIX systems; nothing else in the
// project calls the system directly for these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kzo::sys {

enum class ReadOutcome { read, cannotOpen, directory, notRegularFile, readFailed };

// Reads a regular file, at most the size it had when it was opened. Opening
// never waits (a FIFO is refused, not waited on). A directory is the outcome
// directory ("Is a directory"); any other file that is not regular is refused.
// reason receives the system's text, or "not a regular file".
ReadOutcome readRegularFile(const std::string& path, std::vector<std::uint8_t>& out,
                            std::string& reason);

// readRegularFile into memory the caller makes: room(size) is called once with
// the size at opening and returns where that many bytes go; got receives how
// many were read (fewer when the file shrank meanwhile).
ReadOutcome readRegularFileInto(const std::string& path,
                                const std::function<std::uint8_t*(std::size_t)>& room,
                                std::size_t& got, std::string& reason);

// Creates path, which must not exist yet, for writing: with the permission
// bits mode exactly (the process's umask does not narrow them) when given,
// else with the default ones. Returns the system's reason for a failure,
// empty on success (handle is then open); nameTaken tells a failure because
// path exists.
std::string createNewFile(const std::string& path, std::optional<unsigned> mode, int& handle,
                          bool& nameTaken);
// Writes bytes through the handle and closes it. Returns the system's reason
// for a failure ("No space left on device"), empty on success; the handle is
// closed either way.
std::string writeAndClose(int handle, std::span<const std::uint8_t> bytes);

// The system's text for an error number.
std::string errorText(int errorNumber);

std::string hostName();
long processId();
// False only when no process with that id exists.
bool processExists(long pid);

// From the first call on, SIGINT and SIGTERM run onInterrupt on a thread of
// its own (never inside a signal handler) and then end the process by the
// same signal. A signal the process ignores stays ignored. Later calls in the
// same process do nothing; in a forked child the watch starts anew.
void watchInterrupts(void (*onInterrupt)());

// Asks the system to back the area (of a large array just allocated) with
// huge pages; only advice, which systems without them ignore.
void adviseHugePages(void* area, std::size_t size);

// The path of the running program, empty when the system does not tell.
std::string programPath();

// Loads the shared library at path for the rest of the process, resolving
// every symbol now. Returns nullptr with the system's reason on failure.
void* openLibrary(const std::string& path, std::string& reason);
// The address of an exported name of an open library, or nullptr.
void* librarySymbol(void* library, const std::string& name);

} // namespace kzo::sys

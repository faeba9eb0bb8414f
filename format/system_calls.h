// The few calls into the operating system that the standard library does not
// offer: bounded reads of regular files, exclusive creation with the system's
// reason for a failure, process identity, a watch for interrupt signals,
// loading shared libraries at run time, huge pages for large arrays, and the
// child processes, sockets and limits of the model reader.
// system_calls_posix.cpp implements them for POSIX systems; nothing else in the
// project calls the system directly for these.
#pragma once

#include <chrono>
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

// Processor time, user and system, of this process and of the children it
// has collected (and theirs), in seconds: what a benchmark of work done in
// child processes counts.
double processorSeconds();

// The machine's physical memory in bytes, 0 when the system does not tell.
std::uint64_t physicalMemoryBytes();

// --- Child processes and their channels (the model reader) ---------------

using Deadline = std::chrono::steady_clock::time_point;

// Two connected local sockets, both closed on exec. A stream carries bytes;
// messages keep each send whole and can carry a descriptor. Returns the
// system's reason for a failure, empty on success.
enum class SocketKind { stream, messages };
std::string socketPair(SocketKind kind, int ends[2]);
void closeDescriptor(int fd);
// Reads and writes on the descriptor return at once instead of waiting.
void setNonBlocking(int fd);

// Starts program with args after its name, its descriptor 3 being channel
// and its standard input and outputs /dev/null; nothing else of this process
// stays open in it, whichever thread starts it. Returns the process id, or 0
// with the system's reason.
long startProgram(const std::string& program, const std::vector<std::string>& args, int channel,
                  std::string& reason);
// A copy of this process, which must have a single thread: 0 in the copy, the
// copy's id in this process, -1 with the system's error number.
long forkProcess(int& errorNumber);

struct ProcessEnd {
    bool signaled = false; // code is then the signal's number, else the exit status
    int code = 0;
};
// Waits for the child to end and collects it.
ProcessEnd waitForProcess(long pid);
// Ends the child at once (it cannot catch or ignore this).
void killProcess(long pid);

// One descriptor of a wait: what is wanted, and after it what is ready. A
// closed or failed peer counts as readable and as writable, so that the next
// read or write tells.
struct WaitItem {
    int fd = -1;
    bool wantRead = false;
    bool wantWrite = false;
    bool readable = false;
    bool writable = false;
};
// Waits until one of the items is ready or the deadline passes (false then).
bool waitUntil(std::span<WaitItem> items, Deadline deadline);

enum class TransferOutcome { done, ended, wouldWait, failed };
// Reads what is there, at most room.size() bytes, into room; got receives how
// many. ended: the peer closed and everything has been read.
TransferOutcome readSome(int fd, std::span<std::uint8_t> room, std::size_t& got);
// Writes as much of bytes as the socket takes now; sent receives how many. A
// closed peer is failed (never a signal).
TransferOutcome sendSome(int fd, std::span<const std::uint8_t> bytes, std::size_t& sent);
// Blocking: the whole buffer through a stream socket; false when the peer is
// gone.
bool sendAll(int fd, std::span<const std::uint8_t> bytes);

// One message through a message socket, with a descriptor to pass along (-1:
// none). False when the peer is gone.
bool sendMessage(int fd, std::span<const std::uint8_t> bytes, int passed);
// Waits for one message: its bytes (at most room.size(), longer ones are cut)
// and the descriptor that came with it (-1: none). Returns the message's
// length, 0 when the peer has closed, -1 on a failure.
long receiveMessage(int fd, std::span<std::uint8_t> room, int& passed);

// --- Limits a process sets on itself ----------------------------------------

// Writable memory of the whole process (heap, anonymous mappings, thread
// stacks) beyond which allocations fail. Builds with the address sanitizer
// set none: its shadow memory alone is far larger than any such limit.
void limitWritableMemory(std::uint64_t bytes);
// False where limitWritableMemory sets no limit.
bool writableMemoryLimited();
// Processor seconds after which the system ends the process.
void limitProcessorSeconds(unsigned seconds);
// The process is ended as soon as the thread that started it ends, where the
// system offers that; one already orphaned (its parent no longer parentPid)
// ends at once.
void endWithParent(long parentPid);
// Raises the soft limit of the main thread's stack to bytes, at most to the
// hard limit. True when it raised it: the system lays out a program's memory
// by the limit it starts with, so the room is there only once the program is
// started anew (replaceProgram).
bool raiseStackLimit(std::size_t bytes);
// Asks the C library to back the heap with huge pages where the system
// offers them: a process that starts with an empty heap then takes one page
// fault per 2 MiB of a large buffer instead of one per 4 KiB. True when it
// asked anew: like the stack, it holds only for a program started after the
// call (replaceProgram).
bool askHugePageHeap();
// Runs program with args after its name in place of this process; returns
// only when it cannot.
void replaceProgram(const std::string& program, const std::vector<std::string>& args);
std::string changeDirectory(const std::string& path);
// Ends the process now: no destructor, no exit handler, no buffer flushed.
[[noreturn]] void exitNow(int status);

} // namespace kzo::sys

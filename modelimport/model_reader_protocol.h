// What the programs and the model reader (the program kzo-model-reader,
// installed beside the model import module) send each other.
//
// A program starts one reader for each of its threads that reads models. The
// reader alone loads the module, then talks over its descriptor 3, a message
// socket:
//   hello  reader to program: the protocol's version, and whether the module
//          loaded (if not, why)
//   start  program to reader: the limits of one read, with a new stream socket
//   ended  reader to program: how the process that made that read ended
// For a start the reader hands the stream to a read process: it takes the
// request (a length, then the request's bytes) from the stream socket and
// writes the reply into it. A read process forked for the read is fresh; one
// that has read a model cleanly (the library gave a model, nothing failed)
// and has used little processor time waits for the next start with the same
// limits, and is handed it unless the start asks for a fresh process. So the
// import library never runs in the programs, a read never inherits a failed
// one's process, and a program that sees a fault in a process that had read
// before asks for the same read again in a fresh one: a fault is never
// charged to the wrong file.
//
// Every message is versioned and bounded; the decoders read their bytes as
// they would a hostile file (imported_model_codec.h) and throw RecordError.
#pragma once

#include "modelimport/imported_model.h"
#include "modelimport/model_module_api.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kzo {

inline constexpr std::uint32_t kReaderProtocolVersion = 2;
inline constexpr const char* kModelReaderProgram = "kzo-model-reader";

// Exit statuses of a read process besides 0 (it replied).
inline constexpr int kReadExitOutOfMemory = 3; // an allocation failed: the memory limit
inline constexpr int kReadExitBadRequest = 4;  // the request could not be decoded

// Largest request a read process takes (a path, a folder, the search paths).
inline constexpr std::uint32_t kMaxRequestBytes = 16u << 20;

struct ModelReadRequest {
    // The requester's current directory, against which a relative path and
    // relative search paths are taken (a program may change it between reads;
    // the reader stays where it was started).
    std::string workingDirectory;
    std::string path;
    ModelReadOptions options;
};

struct ModelReadReply {
    // True: model is the model read. False: error says why (without the
    // file's name), stage says at which step, and model.warnings keeps the
    // reading's warnings of a model that could not be fitted.
    bool read = false;
    ModelErrorStage stage = ModelErrorStage::read;
    std::string error;
    ImportedModel model;
};

struct ReaderHello {
    std::uint32_t version = kReaderProtocolVersion;
    bool moduleLoaded = false;
    std::string failure; // why the module did not load
};

struct ReadLimits {
    std::uint32_t memoryMiB = 0;
    std::uint32_t timeoutSeconds = 0;
    bool fresh = false; // the read must have a process that has read nothing before

    bool operator==(const ReadLimits&) const = default;
};

struct ReadEnded {
    // How the read process ended (sys::ProcessEnd); startFailed: it could not
    // be made, code is then the system's error number.
    bool startFailed = false;
    bool signaled = false;
    std::int32_t code = 0;
    // The process had read a model before this read.
    bool reused = false;
};

// The request with its length in front, as the stream carries it.
std::vector<std::uint8_t> encodeRequestFrame(const ModelReadRequest& request);
// The request's bytes after the length.
ModelReadRequest decodeRequest(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> encodeReply(const ModelReadReply& reply);
ModelReadReply decodeReply(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> encodeHello(const ReaderHello& hello);
// Any version is returned; the caller compares it.
ReaderHello decodeHello(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> encodeLimits(const ReadLimits& limits);
ReadLimits decodeLimits(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> encodeEnded(const ReadEnded& ended);
ReadEnded decodeEnded(std::span<const std::uint8_t> bytes);

} // namespace kzo

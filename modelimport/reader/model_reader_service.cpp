#include "modelimport/reader/model_reader_service.h"

#include "format/byte_reader.h"
#include "format/module_loader.h"
#include "format/system_calls.h"
#include "modelimport/imported_model_codec.h"
#include "modelimport/model_module_api.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>

namespace kzo {
namespace {

constexpr int kControl = 3;

// Fills out from the stream; false when it ends or fails first.
bool readExactly(int fd, std::uint8_t* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        std::size_t got = 0;
        if (sys::readSome(fd, {out + done, n - done}, got) != sys::TransferOutcome::done) {
            return false;
        }
        done += got;
    }
    return true;
}

ModelReadRequest receiveRequest(int stream) {
    std::uint8_t length[4];
    if (!readExactly(stream, length, sizeof length)) {
        sys::exitNow(kReadExitBadRequest);
    }
    const std::uint32_t size = loadU32le(length);
    if (size > kMaxRequestBytes) {
        sys::exitNow(kReadExitBadRequest);
    }
    std::vector<std::uint8_t> bytes(size);
    if (!readExactly(stream, bytes.data(), size)) {
        sys::exitNow(kReadExitBadRequest);
    }
    try {
        return decodeRequest(bytes);
    } catch (const RecordError&) {
        sys::exitNow(kReadExitBadRequest);
    }
}

void outOfMemory() {
    sys::exitNow(kReadExitOutOfMemory);
}

ModelReadReply readModel(const ModelModuleApi& api, const ModelReadRequest& request,
                         const std::string& folderFailure) {
    ModelReadReply reply;
    if (!folderFailure.empty()) {
        reply.error =
            "cannot enter the folder '" + request.workingDirectory + "': " + folderFailure;
        return reply;
    }
    reply.read = api.readModel(request.path.c_str(), &request.options, &reply.model, &reply.error,
                               &reply.stage);
    return reply;
}

// Processor seconds a read process may have used and still take another
// read: its limit, set once, then leaves every read its whole time.
constexpr double kReuseSeconds = 1.0;

// One read on the stream. True when the library gave a model and the reply
// went out: the process is then as sound as a fresh one.
bool serveRead(int stream, const ModelModuleApi& api, const ReaderHooks& hooks) {
    const ModelReadRequest request = receiveRequest(stream);
    const std::string folderFailure = sys::changeDirectory(request.workingDirectory);
    if (hooks.beforeRead) {
        if (const std::optional<std::vector<std::uint8_t>> reply = hooks.beforeRead(request)) {
            sys::sendAll(stream, *reply);
            return false;
        }
    }
    const ModelReadReply reply = readModel(api, request, folderFailure);
    return sys::sendAll(stream, encodeReply(reply)) && reply.read;
}

// A read process: the first read's stream, then, while its reads go well,
// the next ones' streams from the reader over channel. Never returns; its
// end (rather than a word on channel) tells the reader that it takes no more.
[[noreturn]] void serveReads(int channel, int stream, const ReadLimits& limits,
                             const ModelModuleApi& api, const ReaderHooks& hooks, long reader) {
    sys::endWithParent(reader);
    // A backstop for a reader whose program is gone before it could end it:
    // the program's own deadline comes first.
    sys::limitProcessorSeconds(limits.timeoutSeconds + 1 + unsigned(kReuseSeconds));
    sys::limitWritableMemory(std::uint64_t(limits.memoryMiB) << 20);
    // Every allocation that fails is the memory limit; nothing may go on
    // half-built after it.
    std::set_new_handler(outOfMemory);
    for (;;) {
        const bool sound = serveRead(stream, api, hooks);
        sys::closeDescriptor(stream);
        const std::uint8_t ready = 1;
        if (!sound || sys::processorSeconds() > kReuseSeconds ||
            !sys::sendMessage(channel, {&ready, 1}, -1)) {
            sys::exitNow(0);
        }
        std::uint8_t room[64];
        stream = -1;
        if (sys::receiveMessage(channel, room, stream) <= 0 || stream < 0) {
            sys::exitNow(0);
        }
    }
}

// The read process waiting for the next read, if one is.
struct ReadProcess {
    long pid = 0;
    int channel = -1;
    ReadLimits limits;
};

// Closing the channel ends a waiting read process.
void retire(ReadProcess& process) {
    if (process.pid != 0) {
        sys::closeDescriptor(process.channel);
        sys::waitForProcess(process.pid);
    }
    process = {};
}

// The read process waiting for a read ends with the reader, so that its
// end is collected (and its processor time counted) as the reader's is.
struct WaitingProcess {
    ReadProcess process;
    WaitingProcess() = default;
    WaitingProcess(const WaitingProcess&) = delete;
    WaitingProcess& operator=(const WaitingProcess&) = delete;
    ~WaitingProcess() { retire(process); }
};

// A read process forked for the read on stream; 0 with the system's error
// number when none could be made.
ReadProcess forkReadProcess(int stream, const ReadLimits& limits, const ModelModuleApi& api,
                            const ReaderHooks& hooks, long self, int& errorNumber) {
    int ends[2];
    if (!sys::socketPair(sys::SocketKind::messages, ends).empty()) {
        errorNumber = EMFILE;
        return {};
    }
    const long pid = sys::forkProcess(errorNumber);
    if (pid == 0) {
        sys::closeDescriptor(kControl);
        sys::closeDescriptor(ends[0]);
        serveReads(ends[1], stream, limits, api, hooks, self);
    }
    sys::closeDescriptor(ends[1]);
    if (pid < 0) {
        sys::closeDescriptor(ends[0]);
        return {};
    }
    return {pid, ends[0], limits};
}

bool sendHello(bool loaded, const std::string& failure) {
    return sys::sendMessage(kControl, encodeHello({kReaderProtocolVersion, loaded, failure}), -1);
}

std::optional<long> parentArgument(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "--serve") != 0) {
        return std::nullopt;
    }
    long pid = 0;
    const char* end = argv[2] + std::strlen(argv[2]);
    const auto [ptr, ec] = std::from_chars(argv[2], end, pid);
    if (ec != std::errc() || ptr != end || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

const ModelModuleApi* loadModule(std::string& failure) {
    // The module sits beside this program.
    const std::string directory = std::filesystem::path(sys::programPath()).parent_path().string();
    try {
        return &moduleEntries<ModelModuleApi>(kModelModuleFile, kModelModuleSymbol,
                                              kModelModuleVersion, {directory});
    } catch (const ModuleError& e) {
        failure = e.what();
        return nullptr;
    }
}

} // namespace

int runModelReader(int argc, char** argv, const ReaderHooks& hooks) {
    const std::optional<long> parent = parentArgument(argc, argv);
    if (!parent) {
        std::cerr << kModelReaderProgram
                  << ": reads models for kzomaker and kzoview, which start it; it is not run by "
                     "hand\n";
        return 2;
    }
    // The reads run on the main thread, whose stack can grow to the limit
    // only in a program started with it. A fresh read process starts with an
    // empty heap, whose first touch is most of what its read costs beyond the
    // reading itself (the OBJ reader clears a 16 MiB buffer): in huge pages,
    // a fraction of it.
    const bool stackRaised = sys::raiseStackLimit(kReadStackBytes);
    if (sys::askHugePageHeap() || stackRaised) {
        sys::replaceProgram(sys::programPath(), {argv[1], argv[2]});
    }
    sys::endWithParent(*parent);
    std::string failure;
    const ModelModuleApi* api = loadModule(failure);
    if (!sendHello(api != nullptr, failure) || api == nullptr) {
        return 1;
    }
    const long self = sys::processId();
    std::vector<std::uint8_t> room(256);
    WaitingProcess idle;
    ReadProcess& waiting = idle.process;
    for (;;) {
        int stream = -1;
        const long n = sys::receiveMessage(kControl, room, stream);
        if (n <= 0) {
            sys::closeDescriptor(stream);
            return n == 0 ? 0 : 1;
        }
        ReadLimits limits;
        try {
            limits = decodeLimits({room.data(), static_cast<std::size_t>(n)});
        } catch (const RecordError&) {
            sys::closeDescriptor(stream);
            return 1;
        }
        if (stream < 0) {
            return 1;
        }
        ReadEnded ended;
        // The waiting process takes the read if it was set up for these
        // limits and is still there to take it.
        if (waiting.pid != 0 && limits == waiting.limits) {
            const std::uint8_t take = 1;
            ended.reused = sys::sendMessage(waiting.channel, {&take, 1}, stream);
        }
        if (!ended.reused) {
            retire(waiting);
            int forkError = 0;
            waiting = forkReadProcess(stream, {limits.memoryMiB, limits.timeoutSeconds, false},
                                      *api, hooks, self, forkError);
            if (waiting.pid == 0) {
                ended.startFailed = true;
                ended.code = forkError;
            }
        }
        sys::closeDescriptor(stream);
        if (waiting.pid != 0) {
            std::uint8_t word[64];
            int passed = -1;
            const long said = sys::receiveMessage(waiting.channel, word, passed);
            sys::closeDescriptor(passed);
            if (said <= 0) {
                const sys::ProcessEnd end = sys::waitForProcess(waiting.pid);
                sys::closeDescriptor(waiting.channel);
                waiting = {};
                ended.signaled = end.signaled;
                ended.code = end.code;
            }
        }
        if (!sys::sendMessage(kControl, encodeEnded(ended), -1)) {
            return 0;
        }
    }
}

} // namespace kzo

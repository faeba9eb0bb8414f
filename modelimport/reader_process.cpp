#include "modelimport/reader_process.h"

#include "format/module_loader.h"
#include "format/system_calls.h"
#include "modelimport/imported_model_codec.h"

#include <csignal>
#include <optional>

namespace kzo {
namespace {

using Clock = std::chrono::steady_clock;

// Longest message the reader sends on its message socket (a greeting with
// the module's failure, which names directories).
constexpr std::size_t kMaxMessageBytes = 64 * 1024;

[[noreturn]] void fail(const std::string& why) {
    throw ModelImportError(why);
}

std::string signalText(int signal) {
    const std::string number = " (signal " + std::to_string(signal) + ")";
    switch (signal) {
    case SIGABRT:
        return "the model reader aborted" + number;
    case SIGSEGV:
    case SIGBUS:
    case SIGILL:
    case SIGFPE:
    case SIGSYS:
    case SIGTRAP:
        return "the model reader crashed" + number;
    case SIGKILL:
        return "the model reader was killed" + number;
    default:
        return "the model reader was ended by a signal" + number;
    }
}

std::string longerThan(const ModelReaderLimits& limits) {
    return "the model reader took longer than " + std::to_string(limits.timeoutSeconds) + " s";
}

// The reader of this thread. Idle between reads, so ending it at any time
// loses nothing.
class Reader {
public:
    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    // Between reads the reader only waits for the next start: closing its
    // socket ends it, with its waiting read process, and both are collected.
    ~Reader() {
        if (pid_ != 0) {
            sys::closeDescriptor(control_);
            sys::waitForProcess(pid_);
        }
    }

    int control() const { return control_; }

    // Started from program, unless it already runs from there.
    void ensure(const std::string& program, const ModelReaderLimits& limits) {
        if (pid_ != 0 && program == program_) {
            return;
        }
        stop();
        start(program, limits);
    }

    void start(const std::string& program, const ModelReaderLimits& limits) {
        program_ = program;
        int ends[2];
        if (const std::string reason = sys::socketPair(sys::SocketKind::messages, ends);
            !reason.empty()) {
            fail("cannot start the model reader: " + reason);
        }
        std::string reason;
        pid_ = sys::startProgram(program, {"--serve", std::to_string(sys::processId())}, ends[1],
                                 reason);
        sys::closeDescriptor(ends[1]);
        control_ = ends[0];
        if (pid_ == 0) {
            sys::closeDescriptor(control_);
            control_ = -1;
            fail("cannot start the model reader '" + program + "': " + reason);
        }
        greet(program, Clock::now() + std::chrono::seconds(limits.timeoutSeconds), limits);
    }

    void stop() {
        if (pid_ != 0) {
            sys::closeDescriptor(control_);
            sys::killProcess(pid_);
            sys::waitForProcess(pid_);
        }
        pid_ = 0;
        control_ = -1;
    }

    // Stops the reader, then throws.
    [[noreturn]] void abandon(const std::string& why) {
        stop();
        fail(why);
    }

private:
    void greet(const std::string& program, sys::Deadline deadline,
               const ModelReaderLimits& limits) {
        sys::WaitItem item{control_, true, false};
        if (!sys::waitUntil({&item, 1}, deadline)) {
            abandon(longerThan(limits) + " to start");
        }
        std::vector<std::uint8_t> room(kMaxMessageBytes);
        int passed = -1;
        const long n = sys::receiveMessage(control_, room, passed);
        sys::closeDescriptor(passed);
        if (n <= 0) {
            abandon("the model reader '" + program + "' ended as it started");
        }
        ReaderHello hello;
        try {
            hello = decodeHello({room.data(), static_cast<std::size_t>(n)});
        } catch (const RecordError& e) {
            abandon("the model reader '" + program + "' sent a malformed greeting: " + e.what());
        }
        if (hello.version != kReaderProtocolVersion) {
            abandon("the model reader '" + program +
                    "' belongs to another version of the programs");
        }
        if (!hello.moduleLoaded) {
            abandon(hello.failure);
        }
    }

    long pid_ = 0;
    int control_ = -1;
    std::string program_;
};

thread_local Reader tReader;

// What came back from one read: the reply's bytes and how its process ended.
struct ReadResult {
    std::vector<std::uint8_t> reply;
    ReadEnded ended;
};

// Hands one read to the reader: the limits and a new stream socket. False
// when the reader is gone.
bool handOver(int control, const ModelReaderLimits& limits, bool fresh, int& stream) {
    int ends[2];
    if (const std::string reason = sys::socketPair(sys::SocketKind::stream, ends);
        !reason.empty()) {
        fail("cannot start the model reader: " + reason);
    }
    const bool sent = sys::sendMessage(
        control, encodeLimits({limits.memoryMiB, limits.timeoutSeconds, fresh}), ends[1]);
    sys::closeDescriptor(ends[1]);
    if (!sent) {
        sys::closeDescriptor(ends[0]);
        return false;
    }
    stream = ends[0];
    sys::setNonBlocking(stream);
    return true;
}

// Sends the request and collects the reply and the read's end, until the
// deadline. The stream ends when the read process has ended.
ReadResult exchange(int stream, const std::vector<std::uint8_t>& request,
                    const ModelReaderLimits& limits, sys::Deadline deadline) {
    const std::size_t maxReply = std::size_t(limits.memoryMiB) << 20;
    ReadResult result;
    std::size_t sent = 0;
    bool streamEnded = false;
    std::optional<ReadEnded> ended;
    std::vector<std::uint8_t> room(kMaxMessageBytes);
    while (!streamEnded || !ended) {
        sys::WaitItem items[2];
        std::size_t count = 0;
        if (!streamEnded) {
            items[count++] = {stream, true, sent < request.size()};
        }
        const std::size_t controlItem = count;
        if (!ended) {
            items[count++] = {tReader.control(), true, false};
        }
        if (!sys::waitUntil({items, count}, deadline)) {
            tReader.abandon(longerThan(limits));
        }
        if (!streamEnded && items[0].writable) {
            std::size_t n = 0;
            const sys::TransferOutcome outcome =
                sys::sendSome(stream, {request.data() + sent, request.size() - sent}, n);
            // A read process that is gone before it took the request: its end
            // tells why.
            sent = outcome == sys::TransferOutcome::failed ? request.size() : sent + n;
        }
        if (!streamEnded && items[0].readable) {
            std::size_t got = 0;
            result.reply.resize(result.reply.size() + room.size());
            const sys::TransferOutcome outcome = sys::readSome(
                stream, {result.reply.data() + result.reply.size() - room.size(), room.size()},
                got);
            result.reply.resize(result.reply.size() - room.size() + got);
            streamEnded =
                outcome == sys::TransferOutcome::ended || outcome == sys::TransferOutcome::failed;
            if (result.reply.size() > maxReply) {
                tReader.abandon("the model reader sent a reply larger than " +
                                std::to_string(limits.memoryMiB) + " MiB");
            }
        }
        if (!ended && items[controlItem].readable) {
            int passed = -1;
            const long n = sys::receiveMessage(tReader.control(), room, passed);
            sys::closeDescriptor(passed);
            if (n <= 0) {
                tReader.abandon("the model reader ended during the read");
            }
            try {
                ended = decodeEnded({room.data(), static_cast<std::size_t>(n)});
            } catch (const RecordError& e) {
                tReader.abandon(std::string("the model reader sent a malformed message: ") +
                                e.what());
            }
        }
    }
    result.ended = *ended;
    return result;
}

// The reply of a read whose process ended as it should, or why not.
ModelReadReply replyOf(const ReadResult& result, const ModelReaderLimits& limits) {
    const ReadEnded& ended = result.ended;
    if (ended.startFailed) {
        fail("the model reader could not start a read: " + sys::errorText(ended.code));
    }
    if (ended.signaled) {
        if (ended.code == SIGXCPU) {
            fail(longerThan(limits));
        }
        fail(signalText(ended.code));
    }
    if (ended.code == kReadExitOutOfMemory) {
        fail("the model reader needed more than " + std::to_string(limits.memoryMiB) + " MiB");
    }
    if (ended.code != 0) {
        fail("the model reader ended with status " + std::to_string(ended.code));
    }
    try {
        return decodeReply(result.reply);
    } catch (const RecordError& e) {
        fail(std::string("the model reader sent a malformed reply: ") + e.what());
    }
}

// One read of the request's frame by a read process (a fresh one if asked),
// with whether that process had read before.
ModelReadReply readOnce(const std::vector<std::uint8_t>& frame, const std::string& program,
                        const ModelReaderLimits& limits, bool fresh, bool& reused) {
    int stream = -1;
    // A reader ended meanwhile (by whatever killed it) is replaced once.
    for (int attempt = 0; attempt < 2 && stream < 0; ++attempt) {
        tReader.ensure(program, limits);
        if (!handOver(tReader.control(), limits, fresh, stream)) {
            tReader.stop();
        }
    }
    if (stream < 0) {
        fail("the model reader ended before the read");
    }
    ReadResult result;
    try {
        result = exchange(stream, frame, limits,
                          Clock::now() + std::chrono::seconds(limits.timeoutSeconds));
    } catch (...) {
        sys::closeDescriptor(stream);
        throw;
    }
    sys::closeDescriptor(stream);
    reused = result.ended.reused;
    return replyOf(result, limits);
}

} // namespace

ModelReadReply readThroughReader(const ModelReadRequest& request, const ModelReaderLimits& limits) {
    const std::vector<std::uint8_t> frame = encodeRequestFrame(request);
    if (frame.size() - 4 > kMaxRequestBytes) {
        fail("the paths of the request are too long for the model reader");
    }
    // Looked for at every read, as a module is: where the programs find it
    // may change (KZO_MODULE_DIR).
    std::string program;
    try {
        program = findModuleFile(kModelReaderProgram);
    } catch (const ModuleError& e) {
        fail(e.what());
    }
    bool reused = false;
    try {
        ModelReadReply reply = readOnce(frame, program, limits, false, reused);
        if (reply.read || !reused) {
            return reply;
        }
    } catch (const ModelImportError&) {
        if (!reused) {
            throw;
        }
    }
    // The process had read another model before: whatever failed may be that
    // model's doing, so the read is made again, in a fresh process, and its
    // outcome is this file's.
    return readOnce(frame, program, limits, true, reused);
}

} // namespace kzo

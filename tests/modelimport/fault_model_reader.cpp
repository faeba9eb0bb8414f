// A stand-in for kzo-model-reader that misbehaves on request: a model file
// whose text starts with "kzo-test-fault: KIND" makes its read process do
// KIND instead of reading; any other file is read as the real reader reads
// it, through the module beside this program. The tests point
// KZO_MODULE_DIR at its folder.
//
//   crash     dies of a segmentation fault     abort     aborts
//   loop      never ends                      allocate  allocates without end
//   garbage   replies with bytes that are no reply
//   truncated replies with half of a good reply
//   bad-index replies with a model whose triangle names a missing vertex
//   status    ends with exit status 7
//   echo      replies with kzotest::fullRecord of the request
//   crash-if-reused   crashes in a process that has read before, else echo
//   only-if-reused    echo in a process that has read before, else a failed
//                     reply "a fresh process"
#include "modelimport/reader/model_reader_service.h"
#include "tests/modelimport/full_record.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

namespace {

volatile unsigned gSpin = 0; // a loop the compiler must keep
int gReads = 0;              // reads this process has begun

std::string faultOf(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    const std::string marker = "kzo-test-fault: ";
    return line.starts_with(marker) ? line.substr(marker.size()) : std::string();
}

std::vector<std::uint8_t> replyWith(const kzo::ImportedModel& model) {
    kzo::ModelReadReply reply;
    reply.read = true;
    reply.model = model;
    return kzo::encodeReply(reply);
}

std::optional<std::vector<std::uint8_t>> misbehave(const kzo::ModelReadRequest& request) {
    const bool reused = ++gReads > 1;
    const std::string fault = faultOf(request.path);
    if (fault == "crash-if-reused" || fault == "only-if-reused") {
        if (reused && fault == "crash-if-reused") {
            std::signal(SIGSEGV, SIG_DFL);
            std::raise(SIGSEGV);
        }
        if (!reused && fault == "only-if-reused") {
            kzo::ModelReadReply reply;
            reply.error = "a fresh process";
            return kzo::encodeReply(reply);
        }
        return replyWith(kzotest::fullRecord(request));
    }
    if (fault == "crash") {
        // As the library would crash: the address sanitizer's handler of a
        // sanitized build would end the process with a status instead.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    } else if (fault == "abort") {
        std::abort();
    } else if (fault == "loop") {
        for (;;) {
            gSpin = gSpin + 1;
        }
    } else if (fault == "allocate") {
        // Bounded, for builds without the memory limit; the limit ends the
        // process long before.
        for (int mib = 0; mib < 16384; ++mib) {
            char* block = new char[1 << 20];
            std::memset(block, mib, 1 << 20);
        }
    } else if (fault == "garbage") {
        const std::string text = "this is not a reply at all";
        return std::vector<std::uint8_t>(text.begin(), text.end());
    } else if (fault == "truncated") {
        std::vector<std::uint8_t> reply = replyWith(kzotest::fullRecord(request));
        reply.resize(reply.size() / 2);
        return reply;
    } else if (fault == "bad-index") {
        kzo::ImportedModel model = kzotest::fullRecord(request);
        model.triangles[4] = 99;
        return replyWith(model);
    } else if (fault == "status") {
        std::exit(7);
    } else if (fault == "echo") {
        return replyWith(kzotest::fullRecord(request));
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    return kzo::runModelReader(argc, argv, {misbehave});
}

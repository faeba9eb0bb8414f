#include "modelimport/model_import.h"

#include "format/system_calls.h"
#include "modelimport/reader_process.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace kzo {

std::uint32_t defaultReaderMemoryMiB() {
    const std::uint64_t machine = sys::physicalMemoryBytes() >> 20;
    return machine == 0 ? kDefaultReaderMemoryMiB
                        : static_cast<std::uint32_t>(
                              std::min<std::uint64_t>(kDefaultReaderMemoryMiB, machine));
}

ImportedModel readModelFile(const std::string& path, const ModelReadOptions& options,
                            const ModelReaderLimits& limits) {
    // The library opens the file itself: a device would be read without end,
    // a FIFO waited on.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status) &&
        !std::filesystem::is_regular_file(status)) {
        throw ModelImportError("not a regular file");
    }
    ModelReaderLimits whole = limits;
    if (whole.memoryMiB == 0) {
        whole.memoryMiB = defaultReaderMemoryMiB();
    }
    if (whole.timeoutSeconds == 0) {
        whole.timeoutSeconds = kDefaultReaderTimeoutSeconds;
    }
    ModelReadRequest request;
    request.workingDirectory = std::filesystem::current_path(ec).string();
    request.path = path;
    request.options = options;
    ModelReadReply reply = readThroughReader(request, whole);
    if (!reply.read) {
        throw ModelImportError(reply.error, reply.stage, std::move(reply.model.warnings));
    }
    return std::move(reply.model);
}

} // namespace kzo

// The model reader's side of model_reader_protocol.h: the program
// kzo-model-reader is this with no hooks; the tests' stand-in readers add
// theirs.
#pragma once

#include "modelimport/model_reader_protocol.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kzo {

// Stack of a read: the import library recurses once per level of a node
// tree, and a file of a few megabytes can nest its nodes hundreds of
// thousands deep. The stack is not counted in the read's memory limit.
inline constexpr std::size_t kReadStackBytes = std::size_t(256) << 20;

struct ReaderHooks {
    // Called in the read process once the request is decoded and the limits
    // are set, before the model is read. It may end the process, or return the
    // bytes to reply with instead of reading.
    std::function<std::optional<std::vector<std::uint8_t>>(const ModelReadRequest&)> beforeRead;
};

// The reader's main: argv is "--serve PARENT_PID" from the program that
// started it. Returns the exit status.
int runModelReader(int argc, char** argv, const ReaderHooks& hooks = {});

} // namespace kzo

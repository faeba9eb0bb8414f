// Two inputs of one run must not write the same file: the later one would
// silently replace the earlier one's output (and with several jobs, which one
// survives would change from run to run). The run finds such inputs before it
// converts anything and refuses them.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/messages.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kzo {

// Every path the conversion of input would write with these settings, in the
// order written: the KZO file named by its kind's rule from the proposed
// output path, for a scene the side files the settings ask for, then the
// dependency file. Nothing for an input that is rejected by its name.
std::vector<std::string> outputPathsFor(const std::string& input, const std::string& proposedOutput,
                                        const ConversionSettings& settings);

struct OutputCollision {
    std::size_t earlier; // the input that keeps the output
    std::string output;  // the first of its paths the refused input would write too
};

// For every input (with its proposed output path), the earlier input whose
// outputs it would overwrite, or nothing. Paths are compared once resolved:
// made absolute, with "." and ".." and the symbolic links of directories that
// exist followed. Only inputs that are not refused keep their outputs for the
// inputs after them; a file named twice collides with itself.
std::vector<std::optional<OutputCollision>>
findOutputCollisions(const std::vector<std::string>& inputs,
                     const std::vector<std::string>& proposedOutputs,
                     const ConversionSettings& settings);

// The error line of an input refused for a collision, naming both inputs and
// the output.
void reportOutputCollision(const MessageSink& sink, const std::string& input,
                           const std::string& earlierInput, const std::string& output);

} // namespace kzo

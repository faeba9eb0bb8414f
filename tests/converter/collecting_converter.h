// One converter (scene model, settings) whose message lines the test collects.
#pragma once

#include "converter/pipeline/convert_file.h"

#include <string>
#include <vector>

namespace kzotest {

struct Converter {
    Converter() {
        model.sink = [this](const std::string& line) { lines.push_back(line); };
    }
    kzo::SceneModel model;
    kzo::ConversionSettings settings;
    std::vector<std::string> lines;

    // Converts input into outputDirectory as the Convert run does.
    kzo::ConversionOutcome convert(const std::string& input, const std::string& outputDirectory,
                                   std::string* outputPath = nullptr) {
        std::string output = outputDirectory + "/" + input.substr(input.find_last_of('/') + 1);
        const kzo::ConversionOutcome outcome = kzo::convertFile(model, input, output, settings);
        if (outputPath != nullptr) {
            *outputPath = output;
        }
        return outcome;
    }
};

} // namespace kzotest

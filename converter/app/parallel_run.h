// The command line's conversion run: a list of files, optionally converted by
// several workers at once.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/pipeline/convert_file.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace kzo {

struct FileConversion {
    std::vector<std::string> lines; // the file's messages, in order
    ConversionOutcome outcome = ConversionOutcome::failed;
    std::exception_ptr error; // an exception other than the fatal-error signal
};

// Converts every input as the Convert button does: the output path is the
// export prefix followed by the input's file name. With jobs > 1 the files are
// converted by that many workers, each with its own scene model; report still
// receives the files one at a time and in list order, on the calling thread.
// An exception other than the fatal-error signal ends the run after the file
// that raised it is reported (FileConversion::error); later files are not
// reported.
void runParallelConversions(
    const std::vector<std::string>& inputs, const std::string& exportDirectory,
    const ConversionSettings& settings, int jobs,
    const std::function<void(std::size_t index, const FileConversion&)>& report);

} // namespace kzo

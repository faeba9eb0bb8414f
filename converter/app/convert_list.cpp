#include "converter/app/convert_list.h"

#include "converter/model/paths.h"
#include "converter/pipeline/convert_file.h"

#include <filesystem>
#include <system_error>

namespace kzo {

std::string outputPathFor(const std::string& exportDirectory, const std::string& input) {
    return exportPrefix(exportDirectory) + fileTitle(input);
}

void changeToFileDirectory(const std::string& input) {
    const std::string directory = directoryPart(input);
    if (directory.empty()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::current_path(directory, ignored);
}

void convertListedFile(SceneModel& model, const std::string& input, std::string& output,
                       const ConversionSettings& settings) {
    convertFile(model, input, output, settings);
}

void convertFileList(SceneModel& model, const std::vector<std::string>& files,
                     const std::string& exportDirectory, const ConversionSettings& settings,
                     const FileConverter& convert, const std::function<void()>& afterEachFile) {
    for (const std::string& input : files) {
        changeToFileDirectory(input);
        std::string output = outputPathFor(exportDirectory, input);
        convert(model, input, output, settings);
        if (afterEachFile) {
            afterEachFile();
        }
    }
}

} // namespace kzo

#include "converter/app/convert_list.h"

#include "converter/model/messages.h"
#include "converter/model/paths.h"
#include "converter/pipeline/convert_file.h"
#include "converter/pipeline/output_collisions.h"

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

std::vector<std::optional<OutputCollision>>
findListCollisions(const std::vector<std::string>& files, const std::string& exportDirectory,
                   const ConversionSettings& settings) {
    std::vector<std::string> outputs;
    for (const std::string& input : files) {
        outputs.push_back(outputPathFor(exportDirectory, input));
    }
    return findOutputCollisions(files, outputs, settings);
}

std::size_t convertFileList(SceneModel& model, const std::vector<std::string>& files,
                            const std::string& exportDirectory, const ConversionSettings& settings,
                            const FileConverter& convert, const ListRunHooks& hooks) {
    const auto collisions = findListCollisions(files, exportDirectory, settings);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (hooks.cancelled && hooks.cancelled()) {
            printMessage(model.sink, "Run cancelled: %zu of %zu files not converted",
                         files.size() - i, files.size());
            return i;
        }
        const std::string& input = files[i];
        if (hooks.beforeFile) {
            hooks.beforeFile(i, input);
        }
        if (const auto& collision = collisions[i]) {
            reportOutputCollision(model.sink, input, files[collision->earlier], collision->output);
        } else {
            changeToFileDirectory(input);
            std::string output = outputPathFor(exportDirectory, input);
            convert(model, input, output, settings);
        }
        if (hooks.afterFile) {
            hooks.afterFile(i);
        }
    }
    return files.size();
}

} // namespace kzo

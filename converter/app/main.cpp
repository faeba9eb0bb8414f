// kzomaker: with file arguments (or options) the command line converts them;
// without any argument, or with --gui and the files to list, the window
// opens. The window's forms and Qt live in a module loaded only then, so that
// the command line never loads Qt and works without a display.
#include "converter/app/command_line.h"
#include "converter/app/command_line_options.h"
#include "converter/app/window_module_api.h"
#include "format/display_check.h"
#include "format/module_loader.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

int openWindow(int& argc, char** argv, const std::vector<std::string>& files) {
    if (!kzo::displayNamed()) {
        std::cerr << kzo::kConverterNoDisplay;
        return kzo::kExitUsage;
    }
    const kzo::ConverterWindowApi* window = nullptr;
    try {
        window = &kzo::moduleEntries<kzo::ConverterWindowApi>(
            kzo::kConverterWindowFile, kzo::kConverterWindowSymbol, kzo::kConverterWindowVersion);
    } catch (const kzo::ModuleError& e) {
        std::cerr << "ERROR: cannot open the window: " << e.what() << '\n';
        return kzo::kExitUsage;
    }
    // A run of the window changes the current directory to each input's own,
    // so the list holds whole paths.
    std::vector<std::string> paths;
    std::vector<const char*> pointers;
    for (const std::string& file : files) {
        std::error_code ignored;
        const std::filesystem::path whole = std::filesystem::absolute(file, ignored);
        paths.push_back(whole.empty() ? file : whole.lexically_normal().string());
    }
    for (const std::string& path : paths) {
        pointers.push_back(path.c_str());
    }
    return window->run(&argc, argv, pointers.data(), static_cast<int>(pointers.size()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return openWindow(argc, argv, {});
    }
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const kzo::ParsedCommandLine parsed = kzo::parseCommandLine(args);
    const kzo::CommandLineOptions& options = parsed.options;
    if (!parsed.error && options.window && !options.help && !options.version) {
        // Qt is given the program's name alone: the other arguments are ours.
        int qtArgc = 1;
        return openWindow(qtArgc, argv, options.files);
    }
    return kzo::runCommandLine(args, std::cout, std::cerr);
}

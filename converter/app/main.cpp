// kzomaker: with file arguments (or options) the command line converts them;
// without any argument the window opens. The window's forms and Qt live in a
// module loaded only then, so that the command line never loads Qt and works
// without a display.
#include "converter/app/command_line.h"
#include "converter/app/window_module_api.h"
#include "format/display_check.h"
#include "format/module_loader.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

int openWindow(int& argc, char** argv) {
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
    return window->run(&argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return openWindow(argc, argv);
    }
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return kzo::runCommandLine(args, std::cout, std::cerr);
}

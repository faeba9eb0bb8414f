// kzomaker: with file arguments (or options) the command line converts them;
// without any argument the GUI starts. The command line works without a
// display, so Qt's application object is made only for the GUI.
#include "converter/app/command_line.h"
#ifdef KZO_WITH_GUI
#include "converter/app/converter_gui.h"
#endif

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
#ifdef KZO_WITH_GUI
    if (argc < 2) {
        return kzo::runConverterGui(argc, argv);
    }
#endif
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return kzo::runCommandLine(args, std::cout, std::cerr);
}

// The entry of the converter's window module (window_module_api.h): the forms
// and Qt, apart from the program so that its command line never loads them.
#include "converter/app/converter_gui.h"
#include "converter/app/window_module_api.h"

#include <iostream>
#include <string>
#include <vector>

namespace kzo {
namespace {

int run(int* argc, char** argv, const char* const* files, int fileCount) {
    try {
        return runConverterGui(*argc, argv, std::vector<std::string>(files, files + fileCount));
    } catch (...) {
        // runConverterGui shows every failure of the forms itself; this is Qt
        // failing before there is anything to show it on.
        std::cerr << "ERROR: the window failed to start\n";
    }
    return 1;
}

} // namespace
} // namespace kzo

extern "C" {
__attribute__((visibility("default"))) extern const kzo::ConverterWindowApi kzomakerWindowApi;
const kzo::ConverterWindowApi kzomakerWindowApi = {kzo::kConverterWindowVersion, &kzo::run};
}

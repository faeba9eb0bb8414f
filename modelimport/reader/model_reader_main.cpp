// kzo-model-reader: reads models of other formats for kzomaker and kzoview,
// in a process of its own (modelimport/model_reader_protocol.h).
#include "modelimport/reader/model_reader_service.h"

int main(int argc, char** argv) {
    return kzo::runModelReader(argc, argv);
}

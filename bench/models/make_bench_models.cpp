// Writes the inputs the measuring scripts time the programs on
// (bench_models.h): make_bench_models tori|grid OUT.3ds
#include "bench/models/bench_models.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const std::string kind = argc == 3 ? argv[1] : "";
    if (kind != "tori" && kind != "grid") {
        std::cerr << "usage: make_bench_models tori|grid OUT.3ds\n";
        return 2;
    }
    const kzotest::Bytes file = kind == "tori" ? kzobench::toriFile() : kzobench::gridFile();
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data.data()), std::streamsize(file.size()));
    if (!out.flush()) {
        std::cerr << "make_bench_models: cannot write '" << argv[2] << "'\n";
        return 1;
    }
    return 0;
}

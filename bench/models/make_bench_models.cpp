// Writes the inputs the measuring scripts time the programs on
// (bench_models.h): make_bench_models tori|grid OUT.3ds, or
// make_bench_models sphere|textured-sphere OUT.kzo, or
// make_bench_models sphere-texture sphere.tga
#include "bench/models/bench_models.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const std::string kind = argc == 3 ? argv[1] : "";
    kzotest::Bytes file;
    if (kind == "tori") {
        file = kzobench::toriFile();
    } else if (kind == "grid") {
        file = kzobench::gridFile();
    } else if (kind == "sphere" || kind == "textured-sphere") {
        file.data = kzobench::sphereKzo(100, 100, kind == "textured-sphere");
    } else if (kind == "sphere-texture") {
        file = kzobench::sphereTexture(1024);
    } else {
        std::cerr << "usage: make_bench_models tori|grid OUT.3ds\n"
                     "       make_bench_models sphere|textured-sphere OUT.kzo\n"
                     "       make_bench_models sphere-texture sphere.tga\n";
        return 2;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data.data()), std::streamsize(file.size()));
    if (!out.flush()) {
        std::cerr << "make_bench_models: cannot write '" << argv[2] << "'\n";
        return 1;
    }
    return 0;
}

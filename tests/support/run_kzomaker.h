// kzomaker's command line run inside the test, with what it printed on each
// stream and its exit status.
#pragma once

#include "converter/app/command_line.h"

#include <sstream>
#include <string>
#include <vector>

namespace kzotest {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliRun kzomaker(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CliRun r;
    r.status = kzo::runCommandLine(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace kzotest

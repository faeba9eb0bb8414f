// Make-style dependency files, so that make and ninja rebuild a conversion's
// outputs when its input or any geometry file it read changes.
#pragma once

#include "format/file_io.h"

#include <string>
#include <vector>

namespace kzo {

// A path as make and ninja read it in a rule: blanks escaped with a backslash
// (and the backslashes in front of them doubled), '#' as "\#", ':' as "\:"
// (else the name would end a target list), '$' as "$$".
std::string escapeForMake(const std::string& path);

// "target...: prerequisite...", then an empty rule for every prerequisite but
// the first (the input), so that a deleted object file does not stop make.
// Repeated prerequisites are listed once.
std::string makeDependencyRule(const std::vector<std::string>& targets,
                               const std::vector<std::string>& prerequisites);

// The dependency file kzoPath + ".d": the outputs as targets, the input and
// every file its conversion read as prerequisites.
OutputFile dependencyFile(const std::vector<OutputFile>& outputs, const std::string& input,
                          const std::vector<std::string>& filesRead, const std::string& kzoPath);

} // namespace kzo

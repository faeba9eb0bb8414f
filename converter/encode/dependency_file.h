// Make-style dependency files, so that make and ninja rebuild a conversion's
// outputs when its input or any geometry file it read changes.
#pragma once

#include "converter/model/messages.h"
#include "format/file_io.h"

#include <string>
#include <vector>

namespace kzo {

// A path as make and ninja read it in a rule: blanks escaped with a backslash,
// '#' as "\#", ':' as "\:" (else the name would end a target list), the
// backslashes in front of each of those doubled, '$' as "$$".
std::string escapeForMake(const std::string& path);

// Why make cannot read path back from a rule, whatever the escapes (a line
// break, a tab, ';', '=', '|', '%', a backslash at its end); empty when it can.
std::string whyMakeCannotName(const std::string& path);

// "target...: prerequisite...", then an empty rule for every prerequisite but
// the first (the input), so that a deleted object file does not stop make.
// Repeated prerequisites are listed once.
std::string makeDependencyRule(const std::vector<std::string>& targets,
                               const std::vector<std::string>& prerequisites);

// The name of the dependency file beside the KZO file: kzoPath + ".d".
std::string dependencyFilePath(const std::string& kzoPath);

// The dependency file of kzoPath: the outputs as targets, the input and every
// file its conversion read as prerequisites. A path that make cannot read is
// a fatal error naming it and the input.
OutputFile dependencyFile(const std::vector<OutputFile>& outputs, const std::string& input,
                          const std::vector<std::string>& filesRead, const std::string& kzoPath,
                          const MessageSink& sink);

} // namespace kzo

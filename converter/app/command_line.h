// kzomaker's command-line mode, without Qt: parses the arguments, converts the
// files and prints the message lines.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kzo {

inline constexpr int kExitConverted = 0;
inline constexpr int kExitSomeFileFailed = 1;
inline constexpr int kExitUsage = 2;

// args are the arguments after the program name. "ERROR: " lines and the line
// that says why a file was rejected go to err, -q or not; all other lines to
// out, in the order the run produced them. After two or more files, a closing
// line with the counts goes to out (not with -q). Returns the exit status: 0
// when every file converted, 1 when any failed or was rejected, 2 for a usage
// error (including no file at all). With --list-inputs nothing is converted:
// out gets the files the conversions would read, one per line (the exit
// status 1 when any file could not be listed).
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kzo

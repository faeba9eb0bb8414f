// The entry table of the converter's window module (kzomaker-window.so),
// shared by the module and kzomaker. The program loads the module, and with it
// Qt, only when the window is to open; it checks the version before it uses
// any other entry, so a module of another build is refused, not run.
#pragma once

namespace kzo {

inline constexpr int kConverterWindowVersion = 1;
inline constexpr const char* kConverterWindowFile = "kzomaker-window.so";
// Name of the exported ConverterWindowApi object.
inline constexpr const char* kConverterWindowSymbol = "kzomakerWindowApi";

inline constexpr const char* kConverterNoDisplay =
    "no display: give files to convert, or see --help\n";

struct ConverterWindowApi {
    int version;
    // Runs the window until the main form closes; returns the exit status.
    // argc and argv are the program's own (Qt keeps referring to them). A
    // window system that does not answer ends the program with
    // kConverterNoDisplay and exit status 2. Throws nothing.
    int (*run)(int* argc, char** argv);
};

} // namespace kzo

// Progress, summaries and errors of a conversion go to a message sink, one line
// at a time: the GUI appends to its message window, the command line prints,
// tests collect.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace kzo {

using MessageSink = std::function<void(const std::string& line)>;

// The fatal-error signal: abandons the file being converted. convertFile
// catches this type only; its text is never shown.
class FatalErrorSignal : public std::exception {
public:
    const char* what() const noexcept override { return "Eception occured!\n"; }
};

// printf-style; the line has no length limit. A null sink drops the line.
void printMessage(const MessageSink& sink, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Prints "ERROR: " followed by the formatted text, then throws FatalErrorSignal.
[[noreturn]] void fatalError(const MessageSink& sink, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

} // namespace kzo

#include "converter/model/messages.h"

#include <cstdarg>
#include <cstdio>

namespace kzo {
namespace {

std::string formatV(const char* format, std::va_list args) {
    std::va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

} // namespace

void printMessage(const MessageSink& sink, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string line = formatV(format, args);
    va_end(args);
    if (sink) {
        sink(line);
    }
}

void fatalError(const MessageSink& sink, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::string text = formatV(format, args);
    va_end(args);
    printMessage(sink, "ERROR: %s", text.c_str());
    throw FatalErrorSignal();
}

} // namespace kzo

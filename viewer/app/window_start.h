// Starting Qt on a window system that is named but does not answer (a stale
// DISPLAY, say): Qt reports that as a fatal message and aborts the program.
// Both windows turn it into their own "no display" line and exit status.
#pragma once

#include <QtGlobal>

namespace kzo {

// While it lives, Qt's failure to start any platform ends the program with
// exitStatus and, when given, the line on standard error, instead of aborting
// it. Made just before the application object and dropped right after it, so
// that a later fatal message is not mistaken for a missing display.
class PlatformFailureExit {
public:
    PlatformFailureExit(int exitStatus, const char* line);
    ~PlatformFailureExit();
    PlatformFailureExit(const PlatformFailureExit&) = delete;
    PlatformFailureExit& operator=(const PlatformFailureExit&) = delete;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);
    static inline int exitStatus_ = 0;
    static inline const char* line_ = nullptr;
    static inline QtMessageHandler previous_ = nullptr;
};

} // namespace kzo

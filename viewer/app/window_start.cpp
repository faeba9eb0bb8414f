#include "viewer/app/window_start.h"

#include <cstdlib>
#include <iostream>

namespace kzo {

PlatformFailureExit::PlatformFailureExit(int exitStatus, const char* line) {
    exitStatus_ = exitStatus;
    line_ = line;
    previous_ = qInstallMessageHandler(handle);
}

PlatformFailureExit::~PlatformFailureExit() {
    qInstallMessageHandler(previous_);
}

void PlatformFailureExit::handle(QtMsgType type, const QMessageLogContext& context,
                                 const QString& text) {
    if (type == QtFatalMsg) {
        if (line_ != nullptr) {
            std::cerr << line_ << std::flush;
        }
        std::_Exit(exitStatus_);
    }
    if (previous_ != nullptr) {
        previous_(type, context, text);
    }
}

} // namespace kzo

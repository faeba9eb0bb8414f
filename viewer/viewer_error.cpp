#include "viewer/viewer_error.h"

namespace kzoview {

void fatalError(const std::string& message) {
    throw FatalError(message);
}

} // namespace kzoview

// The viewer's fatal-error signal: a failed load ends with one of these.
#pragma once

#include <stdexcept>
#include <string>

namespace kzoview {

// Carries the message exactly as the user is to read it after "ERROR: ".
// Thrown only after the mesh that was being loaded has been released.
class FatalError : public std::runtime_error {
public:
    explicit FatalError(const std::string& message) : std::runtime_error(message) {}
};

[[noreturn]] void fatalError(const std::string& message);

} // namespace kzoview

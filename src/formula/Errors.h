// Failures end the current command; one handler at the event loop shows their message.
#pragma once

#include <stdexcept>
#include <string>

namespace zelm {

/// An error whose message is shown to the user as it stands (e.g. "Foutje").
class ZelmError : public std::runtime_error {
public:
    explicit ZelmError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace zelm

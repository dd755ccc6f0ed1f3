// The signals that end the process, taken into the event loop.
#pragma once

#include <functional>

namespace zelm {

/// Calls `handler` from the event loop when the process receives SIGTERM, SIGINT or SIGHUP
/// (the session ends, Ctrl+C, the terminal closes); an empty handler restores their defaults.
void OnTerminationSignal(std::function<void()> handler);

} // namespace zelm

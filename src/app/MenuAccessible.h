// The main menu on the accessibility bus: the wrapping bar shows its items in several rows, and a
// screen reader finds them all, in order, as the items of one menu bar.
#pragma once

namespace zelm {

/// Registers the main menu's accessibility factory with Qt; once per process.
void InstallMenuAccessibility();

} // namespace zelm

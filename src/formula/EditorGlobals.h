// Process-wide state shared by all formula lines.
#pragma once

#include <array>

#include "formula/Canvas.h"

namespace zelm {

/// Shared by all lines; `Reset` restores the program-start values (for tests).
struct EditorGlobals {
    bool eraseBackground = true;  ///< the next paint of any line clears its background first
    bool rawSymbolArmed = false;  ///< Scroll Lock pressed: the next typed character is a symbol
    bool plainTextDefault = true; ///< mode given to new lines
    bool pointerMarkerShown = false;
    std::array<Point, 6> pointerMarker{};     ///< three two-point segments
    const void* pointerMarkerOwner = nullptr; ///< the line whose window shows the marker
    void Reset() { *this = EditorGlobals{}; }
};
EditorGlobals& EditorState();

} // namespace zelm

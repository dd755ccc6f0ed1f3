// Lays a formula line out into positioned parts, repairing malformed structure on the way.
#pragma once

#include "formula/Canvas.h"
#include "formula/Parts.h"

namespace zelm {

/// The points in which the function-list grid's cell layout differs from a line's layout.
struct LayoutVariant {
    bool cell = false; ///< italic spacing (-height) div 20, no stacked power over an index,
                       ///< the colour switch 400 -> 0 and else -> 400
    bool fontSmoothing = false; ///< widen measured parts (never in the cell variant)
};

/// Lays `cursief` (Cursieftext) with its `codes` out on `canvas`, starting from the canvas's
/// selected font, which is selected again at the end. Repairs edit `cursief` and `codes` and
/// set the header's repair flag.
TTextdelen LayoutFormula(Bytes& cursief, Bytes& codes, Canvas& canvas,
                         const LayoutVariant& variant);

} // namespace zelm

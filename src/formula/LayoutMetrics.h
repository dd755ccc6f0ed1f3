// The font metrics the layout reads, with substitutes for fonts that have no outline metrics.
#pragma once

#include "formula/Canvas.h"

namespace zelm {

/// The metrics of the selected font as the layout uses them.
struct LayoutMetrics {
    bool outline = true; ///< false: the values below the basic ones are substitutes
    int textHeight = 0;  ///< tmHeight
    int aveCharWidth = 0;
    int ascent = 0;
    int descent = 0; ///< negative for outline fonts
    int superSize = 0, superOffsetX = 0, superOffsetY = 0;
    int subSize = 0, subOffsetX = 0, subOffsetY = 0;
    int strikeoutSize = 0;
    int underlineSize = 0;
    int underlinePosition = 0; ///< negative: below the baseline
};

/// Reads the metrics of the font selected in `canvas`.
LayoutMetrics ReadLayoutMetrics(Canvas& canvas);

} // namespace zelm

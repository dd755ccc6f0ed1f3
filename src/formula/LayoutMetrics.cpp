#include "formula/LayoutMetrics.h"

namespace zelm {

LayoutMetrics ReadLayoutMetrics(Canvas& canvas) {
    const FontMetrics f = canvas.Metrics();
    LayoutMetrics m;
    m.outline = f.hasOutline;
    m.textHeight = f.tmHeight;
    m.aveCharWidth = f.tmAveCharWidth;
    if (f.hasOutline) {
        m.ascent = f.otmAscent;
        m.descent = f.otmDescent;
        m.superSize = f.superscriptSizeY;
        m.superOffsetX = f.superscriptOffsetX;
        m.superOffsetY = f.superscriptOffsetY;
        m.subSize = f.subscriptSizeY;
        m.subOffsetX = f.subscriptOffsetX;
        m.subOffsetY = f.subscriptOffsetY;
        m.strikeoutSize = f.strikeoutSize;
        m.underlineSize = f.underscoreSize;
        m.underlinePosition = f.underscorePosition;
        return m;
    }
    // A bitmap or device font: derive what the basic text metrics cannot tell. The signs of
    // ascent and descent follow the outline convention's use of the basic values.
    const int half = -canvas.Font().height / 2;
    m.ascent = -f.tmAscent;
    m.descent = -f.tmDescent;
    m.superSize = half;
    m.superOffsetX = 0;
    m.superOffsetY = half;
    // Nothing defines a subscript for such fonts; take the superscript's size and lower it
    // by half as much as the superscript is raised.
    m.subSize = half;
    m.subOffsetX = 0;
    m.subOffsetY = half / 2;
    m.strikeoutSize = 1;
    m.underlineSize = 1;
    m.underlinePosition = -2;
    return m;
}

} // namespace zelm

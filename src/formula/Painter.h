// Paints a laid-out formula line into its line editor's window: text runs, bold names and
// signs, "Symbol" characters and the drawn shapes, with the selection highlighted and the
// pointer marker kept intact. The shape drawing is shared with the renderers for other canvases.
#pragma once

#include "formula/Canvas.h"
#include "formula/Parts.h"

namespace zelm {

/// Where a part stands relative to the selection while a line is painted.
enum class SelState {
    Before, ///< in front of the selection (or no selection at all)
    Inside, ///< inside it: highlight background
    After,  ///< behind it: the line's own colours again
};

/// What the painter reads from a line editor for one paint.
struct LinePaintInput {
    const TTextdelen* parts = nullptr; ///< the last layout; element 0 is the header
    int partCount = 0;
    const Bytes* cursief = nullptr; ///< the Cursieftext the parts refer to
    FontDesc baseFont;              ///< height, italic, underline, weight and face are per part
    ColorRef textColor = 0;
    ColorRef bkColor = 0xFFFFFF;
    int dispSelStart = 0; ///< 0-based display positions; equal values mean no selection
    int dispSelEnd = 0;
    Rect client; ///< cleared with the background colour when the erase flag is set
};

class MathLine;

/// What the painter reads from `line` for a paint of its window's `client` area.
LinePaintInput PaintInputOf(const MathLine& line, Rect client);

/// Paints the line: clears the background (erase flag) or removes the pointer marker, draws
/// every part with the selection colours, then draws the pointer marker again. Showing and
/// hiding the caret is left to the caller.
void PaintLine(Canvas& canvas, const LinePaintInput& in);

/// Draws a part of kind 14 to 18 or 20 (root sign, fraction bar, brackets, dot, slash) in the
/// canvas's current text colour; `Inside` also fills its box with the highlight colour.
void DrawShapePart(Canvas& canvas, const TTextdeel& part, SelState state);

/// True for the part kinds that DrawShapePart draws.
bool IsShapeKind(PartKind kind);

/// Whether the "d" sign (kind 12) is bold: it is in the line editor, not on other canvases.
enum class DWeight { Bold, Normal };

/// The font of a text or sign part, made from `base` with the part's height, italic and
/// underline; the "Symbol" face for kind 10, bold for names and the bold signs.
FontDesc PartFont(const FontDesc& base, const TTextdeel& part, DWeight d);

/// The text colour of a part: `base` plus 200 for coloured text, added to the whole 32-bit
/// value so that a red component above 55 carries into green.
ColorRef PartTextColor(ColorRef base, const TTextdeel& part);

/// What a text or sign part shows: its run of `cursief`, its name or its one character;
/// nothing for the other kinds and for the empty switch parts.
Bytes PartText(const TTextdeel& part, const Bytes& cursief);

} // namespace zelm

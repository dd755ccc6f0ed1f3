#include "formula/Renderers.h"

#include "formula/Layout.h"
#include "formula/Painter.h"

namespace zelm {

namespace {

/// Italic text on another canvas gets wider spacing than in the line editor.
constexpr int ItalicSpacing = 2;

TTextdeel MovedBy(TTextdeel part, Point origin) {
    part.Left += origin.x;
    part.Right += origin.x;
    part.Top += origin.y;
    part.Bottom += origin.y;
    return part;
}

void DrawTextPart(Canvas& canvas, const FontDesc& own, const TTextdeel& part, const Bytes& cursief,
                  ColorRef textColor) {
    canvas.SetTextColor(PartTextColor(textColor, part));
    canvas.SetTextCharacterExtra(ItalicSpacing * part.Italic);
    canvas.SelectFont(PartFont(own, part, DWeight::Normal));
    const Bytes text = PartText(part, cursief);
    if (!text.empty()) canvas.TextOut(text);
}

/// Splits a formula string at its first byte 0 into text and code string; the code string
/// ends at the next byte 0, so a parameter byte 0 cuts it short.
void SplitFormula(const Bytes& formula, Bytes& text, Bytes& codes) {
    const std::size_t end = formula.find('\0');
    text = formula.substr(0, end);
    codes.clear();
    if (end == Bytes::npos) return;
    const Bytes rest = formula.substr(end + 1);
    codes = rest.substr(0, rest.find('\0'));
}

/// Moves the origin so that the laid-out line stands as the alignment flags ask.
Point AlignedOrigin(int alignFlags, Point origin, Size size) {
    const int horizontal = alignFlags & TextAlign::Center;
    if (horizontal == TextAlign::Center)
        origin.x -= size.cx / 2;
    else if (horizontal == TextAlign::Right)
        origin.x -= size.cx;
    if ((alignFlags & TextAlign::Baseline) == TextAlign::Bottom) origin.y -= size.cy;
    return origin;
}

} // namespace

void DrawLineParts(Canvas& canvas, Point origin, const TTextdelen& parts, int count,
                   const Bytes& cursief, ColorRef textColor) {
    const bool ownAlignment = canvas.SetBaselineUpdateCP(true);
    // Nothing is cleared: text goes straight over whatever the picture has under it.
    const BkMode ownBkMode = canvas.SetBkMode(BkMode::Transparent);
    const FontDesc own = canvas.Font();
    const int ownExtra = canvas.TextCharacterExtra();
    for (int i = 1; i <= count; ++i) {
        const TTextdeel& part = parts[i];
        canvas.MoveTo(part.Left + origin.x, part.Baseline + origin.y);
        if (IsShapeKind(part.Kind))
            DrawShapePart(canvas, MovedBy(part, origin), SelState::Before);
        else if (part.Len > 0)
            DrawTextPart(canvas, own, part, cursief, textColor);
    }
    canvas.SelectFont(own);
    canvas.SetTextCharacterExtra(ownExtra);
    canvas.SetBaselineUpdateCP(ownAlignment);
    canvas.SetBkMode(ownBkMode);
}

void DrawCellParts(Canvas& canvas, Point origin, const TTextdelen& parts, int count,
                   const Bytes& cursief) {
    constexpr ColorRef black = 0x000000;
    DrawLineParts(canvas, origin, parts, count, cursief, black);
}

Size DrawFormulaCell(Canvas& canvas, int alignFlags, Point origin, const Bytes& formula) {
    Bytes text;
    Bytes codes;
    SplitFormula(formula, text, codes);
    // The copies take the repairs; a cell is laid out once, whatever the repair flag says.
    const TTextdelen parts = LayoutFormula(text, codes, canvas, LayoutVariant{.cell = true});
    const Size size{parts.Width(), parts.Height()};
    DrawCellParts(canvas, AlignedOrigin(alignFlags, origin, size), parts, parts.Count(), text);
    return size;
}

} // namespace zelm

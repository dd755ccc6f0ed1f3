#include "formula/Painter.h"

#include "formula/EditorGlobals.h"
#include "formula/MathLine.h"

#include <array>

namespace zelm {

LinePaintInput PaintInputOf(const MathLine& line, Rect client) {
    LinePaintInput in;
    in.parts = &line.PartList();
    in.partCount = line.PartCount();
    in.cursief = &line.Cursieftext();
    in.baseFont = line.LayoutFont();
    in.textColor = line.fontColor;
    in.bkColor = line.bkColor;
    in.dispSelStart = line.DispSelStart;
    in.dispSelEnd = line.DispSelEnd;
    in.client = client;
    return in;
}

namespace {

constexpr ColorRef Black = 0x000000;
constexpr int Bold = 700;
/// What coloured text adds to the line's text colour.
constexpr ColorRef ColouredTextOffset = 200;

/// Each value is halved toward zero before adding; when both are odd this differs by one from
/// (u + v) / 2, and the shapes are designed with this rounding.
int Mid(int u, int v) {
    return u / 2 + v / 2;
}

/// Selects a pen for the lifetime of the object and selects the previous one again afterwards.
class ScopedPen {
public:
    ScopedPen(Canvas& canvas, PenStyle style, int width)
        : canvas_(canvas), previous_(canvas.SelectPen(Pen{style, width, canvas.TextColor()})) {}
    ~ScopedPen() { canvas_.SelectPen(previous_); }
    ScopedPen(const ScopedPen&) = delete;
    ScopedPen& operator=(const ScopedPen&) = delete;

private:
    Canvas& canvas_;
    Pen previous_;
};

Rect BoxOf(const TTextdeel& p) {
    return {p.Left, p.Top, p.Right, p.Bottom};
}

void DrawRootSign(Canvas& canvas, const TTextdeel& p, SelState state) {
    const int a = p.LineWidth;
    const Point p0{p.Left + 2 * a, Mid(p.Top, p.Bottom)};
    const Point p1{p.Left + 5 * a, p0.y - a};
    const Point p2{Mid(p.Right, p1.x), p.Bottom};
    const Point p3{p.Right - a, p.Top};
    const Point p4{p.Right + p.Extra + a, p.Top};
    const Point p5{p4.x, p.Top + 2 * a};
    canvas.Polyline({p0, p1, p2, p3, p4, p5});
    {
        // The long down-stroke of a handwritten root is the heavy one.
        ScopedPen thick(canvas, PenStyle::Solid, 2 * a);
        canvas.Polyline({{p1.x + a / 2, p1.y + a / 2}, {p2.x - a / 2, p2.y - a / 2}});
    }
    if (state == SelState::Inside) {
        // The highlight fill covers only the sign's box; the dotted overline shows that the
        // radicand under it is selected too.
        ScopedPen dotted(canvas, PenStyle::Dot, 1);
        canvas.Polyline({p3, p4, p5});
    }
}

/// Fraction bar (Top = Bottom) and slash alike: from the upper right to the lower left.
void DrawStroke(Canvas& canvas, const TTextdeel& p) {
    canvas.Polyline({{p.Right, p.Top}, {p.Left, p.Bottom}});
}

void DrawBracket(Canvas& canvas, const TTextdeel& p, bool opening) {
    const int a = p.LineWidth;
    ScopedPen thin(canvas, PenStyle::Solid, a / 2);
    const int x0 = opening ? p.Right : p.Left;
    int x1 = opening ? p.Left + a : p.Right - a;
    const int bulge = opening ? 1 : -1;
    const int y0 = p.Top + 2 * a;
    const int y3 = p.Bottom;
    const int d = (y3 - y0) / 5;
    auto curve = [&] { canvas.PolyBezier({{x0, y0}, {x1, y0 + d}, {x1, y3 - d}, {x0, y3}}); };
    curve();
    // Drawing the curve again with its control points pushed outwards thickens the middle
    // and leaves the thin ends, the way a typeset bracket looks.
    const int k = (5 * a) / 4;
    if (k > 1) {
        for (int pass = 0; pass < k; ++pass) {
            x1 += bulge;
            curve();
        }
    }
}

void DrawDot(Canvas& canvas, const TTextdeel& p) {
    const int a = p.LineWidth;
    const Brush previous = canvas.SelectBrush(Brush{false, Black});
    const int x = Mid(p.Left, p.Right) - (a + 1) / 2;
    // FontHeight is negative: the dot sits two thirds of the font height above the bottom.
    const int y = p.Bottom + (2 * p.FontHeight) / 3;
    canvas.Ellipse({x, y, x + a + 2, y + a + 2});
    canvas.SelectBrush(previous);
}

void DrawPointerMarker(Canvas& canvas) {
    const auto& m = EditorState().pointerMarker;
    canvas.PolyPolyline({{m[0], m[1]}, {m[2], m[3]}, {m[4], m[5]}});
}

ColorRef Inverse(ColorRef c) {
    return Rgb(255 - RedOf(c), 255 - GreenOf(c), 255 - BlueOf(c));
}

/// Paints one line; lives for one call of PaintLine.
class LinePainter {
public:
    LinePainter(Canvas& canvas, const LinePaintInput& in) : canvas_(canvas), in_(in) {}

    void Paint() {
        Prepare();
        ClearBackgroundOrRemoveMarker();
        canvas_.SetRop2(RasterOp::CopyPen);
        for (int i = 1; i <= in_.partCount; ++i)
            PaintPart((*in_.parts)[i]);
        RedrawMarker();
    }

private:
    void Prepare() {
        // Lines are drawn in invert mode first, so that the marker left by the previous paint
        // can be removed by drawing it once more.
        canvas_.SetRop2(RasterOp::Not);
        canvas_.SetBaselineUpdateCP(true);
        canvas_.SetTextColor(in_.textColor);
        canvas_.SetBkColor(in_.bkColor);
        state_ = SelState::Before;
        ownFont_ = canvas_.FontIdOf(canvas_.Font());
    }

    void ClearBackgroundOrRemoveMarker() {
        EditorGlobals& globals = EditorState();
        if (globals.eraseBackground) {
            canvas_.FillRect(in_.client, in_.bkColor);
            globals.eraseBackground = false;
        } else if (globals.pointerMarkerShown) {
            DrawPointerMarker(canvas_);
        }
    }

    void RedrawMarker() {
        canvas_.SetRop2(RasterOp::Not);
        if (EditorState().pointerMarkerShown) DrawPointerMarker(canvas_);
    }

    bool HasSelection() const { return in_.dispSelStart != in_.dispSelEnd; }

    /// Notes where the selection starts or ends relative to this part. A selection starting
    /// or ending inside a text run is switched to while the run is drawn; one starting at a
    /// one-character part or ending at the start of a part is switched to right away.
    void MarkSelection(const TTextdeel& part) {
        startsInside_ = endsInside_ = false;
        if (!HasSelection()) return;
        const int s = in_.dispSelStart;
        const int e = in_.dispSelEnd;
        const int p = part.TextPos;
        const int n = part.Len;
        if (p <= s && s < p + n) {
            startsInside_ = true;
            state_ = SelState::Inside;
        }
        if (p < e && e < p + n) {
            endsInside_ = true;
            state_ = SelState::After;
        }
        if (s == p && n <= 1) SwitchColours(SelState::Inside);
        if (e == p) SwitchColours(SelState::After);
    }

    void SwitchColours(SelState to) {
        state_ = to;
        startsInside_ = endsInside_ = false;
        if (to == SelState::Inside) {
            canvas_.SetBkColor(SystemHighlight);
            canvas_.SetTextColor(Inverse(in_.textColor));
        } else {
            canvas_.SetBkColor(in_.bkColor);
            canvas_.SetTextColor(in_.textColor);
        }
    }

    void PaintPart(const TTextdeel& part) {
        MarkSelection(part);
        if (IsShapeKind(part.Kind)) {
            DrawShapePart(canvas_, part, state_);
            return;
        }
        canvas_.SelectFontId(PartFontId(part));
        canvas_.SetTextColor(PartTextColor(in_.textColor, part));
        canvas_.SetTextCharacterExtra(part.Italic);
        canvas_.MoveTo(part.Left, part.Baseline);
        DrawPartText(part);
        canvas_.SetTextCharacterExtra(0);
        canvas_.SelectFontId(ownFont_);
    }

    /// What makes a part's font, besides the line's own: its height, slant and underline, and
    /// for the kinds with a face or weight of their own, the kind.
    struct PartFontKey {
        int height = 0, italic = 0, underline = 0;
        PartKind kind = PartKind::Text;
        bool operator==(const PartFontKey&) const = default;
    };

    /// The canvas's id of a text or sign part's font. A line has a few dozen part fonts and
    /// far more parts; the ids met in this paint are kept in a small table by what makes them.
    FontId PartFontId(const TTextdeel& part) {
        const bool ownFace = part.Kind == PartKind::Symbol || part.Kind == PartKind::Name ||
                             part.Kind == PartKind::BoldSign || part.Kind == PartKind::BoldD;
        const PartFontKey key{part.FontHeight, part.Italic, part.Underline,
                              ownFace ? part.Kind : PartKind::Text};
        const auto mix = [](unsigned h, int v) { return h * 31u + unsigned(v); };
        const unsigned hash =
            mix(mix(mix(0, key.height), key.italic), key.underline) * 31u + unsigned(key.kind);
        PartFontSlot& slot = partFonts_[hash % partFonts_.size()];
        if (slot.id < 0 || !(slot.key == key)) {
            slot.key = key;
            slot.id = canvas_.FontIdOf(PartFont(in_.baseFont, part, DWeight::Bold));
        }
        return slot.id;
    }

    void DrawPartText(const TTextdeel& part) {
        if (part.Kind == PartKind::Text) {
            DrawTextRun(part);
            return;
        }
        const Bytes text = PartText(part, *in_.cursief);
        if (!text.empty()) canvas_.TextOut(text);
    }

    /// Draws a text run, switching colours where the selection starts or ends inside it.
    void DrawTextRun(const TTextdeel& part) {
        const int s = in_.dispSelStart;
        const int e = in_.dispSelEnd;
        const int from = part.TextPos;
        const int to = part.TextPos + part.Len;
        const bool starts = startsInside_;
        const bool ends = endsInside_;
        if (starts && ends) {
            DrawChars(from, s);
            SwitchColours(SelState::Inside);
            DrawChars(s, e);
            SwitchColours(SelState::After);
            DrawChars(e, to);
        } else if (starts) {
            DrawChars(from, s);
            SwitchColours(SelState::Inside);
            DrawChars(s, to);
        } else if (ends) {
            DrawChars(from, e);
            SwitchColours(SelState::After);
            DrawChars(e, to);
        } else {
            DrawChars(from, to);
        }
    }

    /// Draws Cursieftext characters [from, to) at the current position, which advances.
    void DrawChars(int from, int to) {
        if (to <= from) return; // nothing to draw, and the position would not move
        canvas_.TextOut(in_.cursief->substr(std::size_t(from), std::size_t(to - from)));
    }

    Canvas& canvas_;
    const LinePaintInput& in_;
    SelState state_ = SelState::Before;
    FontId ownFont_ = 0; // the canvas's font when the paint began, selected after each part
    struct PartFontSlot {
        PartFontKey key;
        FontId id = -1; // -1: empty
    };
    std::array<PartFontSlot, 61> partFonts_{}; // a prime number of slots
    bool startsInside_ = false;
    bool endsInside_ = false;
};

} // namespace

bool IsShapeKind(PartKind kind) {
    switch (kind) {
    case PartKind::RootSign:
    case PartKind::FractionBar:
    case PartKind::BracketOpen:
    case PartKind::BracketClose:
    case PartKind::Dot:
    case PartKind::Slash:
        return true;
    case PartKind::Text:
    case PartKind::Name:
    case PartKind::FractionOpen:
    case PartKind::FractionBarCode:
    case PartKind::FractionClose:
    case PartKind::RootClose:
    case PartKind::PowerOpen:
    case PartKind::PowerClose:
    case PartKind::IndexOpen:
    case PartKind::IndexClose:
    case PartKind::Symbol:
    case PartKind::BoldSign:
    case PartKind::BoldD:
    case PartKind::Separator:
    case PartKind::SlantedOpen:
    case PartKind::SlantedClose:
        return false;
    }
    return false;
}

FontDesc PartFont(const FontDesc& base, const TTextdeel& part, DWeight d) {
    FontDesc f = base;
    f.height = part.FontHeight;
    f.italic = part.Italic;
    f.underline = part.Underline;
    switch (part.Kind) {
    case PartKind::Symbol:
        f.face = "Symbol";
        break;
    case PartKind::Name:
    case PartKind::BoldSign:
        f.weight = Bold;
        break;
    case PartKind::BoldD:
        if (d == DWeight::Bold) f.weight = Bold;
        break;
    case PartKind::Text:
    case PartKind::FractionOpen:
    case PartKind::FractionBarCode:
    case PartKind::FractionClose:
    case PartKind::RootClose:
    case PartKind::PowerOpen:
    case PartKind::PowerClose:
    case PartKind::IndexOpen:
    case PartKind::IndexClose:
    case PartKind::Separator:
    case PartKind::RootSign:
    case PartKind::FractionBar:
    case PartKind::BracketOpen:
    case PartKind::BracketClose:
    case PartKind::Dot:
    case PartKind::SlantedOpen:
    case PartKind::Slash:
    case PartKind::SlantedClose:
        break;
    }
    return f;
}

ColorRef PartTextColor(ColorRef base, const TTextdeel& part) {
    return base + ColouredTextOffset * ColorRef(part.Coloured);
}

Bytes PartText(const TTextdeel& part, const Bytes& cursief) {
    switch (part.Kind) {
    case PartKind::Text:
        return cursief.substr(std::size_t(part.TextPos), std::size_t(part.Len));
    case PartKind::Name:
        return part.Name;
    case PartKind::Symbol:
    case PartKind::BoldSign:
    case PartKind::BoldD:
        // The underline and colour switches are empty sign parts and show nothing.
        return part.Len > 0 ? Bytes(1, part.FirstChar) : Bytes();
    case PartKind::FractionOpen:
    case PartKind::FractionBarCode:
    case PartKind::FractionClose:
    case PartKind::RootClose:
    case PartKind::PowerOpen:
    case PartKind::PowerClose:
    case PartKind::IndexOpen:
    case PartKind::IndexClose:
    case PartKind::Separator:
    case PartKind::RootSign:
    case PartKind::FractionBar:
    case PartKind::BracketOpen:
    case PartKind::BracketClose:
    case PartKind::Dot:
    case PartKind::SlantedOpen:
    case PartKind::Slash:
    case PartKind::SlantedClose:
        break;
    }
    return {};
}

void DrawShapePart(Canvas& canvas, const TTextdeel& part, SelState state) {
    ScopedPen pen(canvas, PenStyle::Solid, part.LineWidth);
    if (state == SelState::Inside) canvas.FillRect(BoxOf(part), SystemHighlight);
    switch (part.Kind) {
    case PartKind::RootSign:
        DrawRootSign(canvas, part, state);
        break;
    case PartKind::FractionBar:
    case PartKind::Slash:
        DrawStroke(canvas, part);
        break;
    case PartKind::BracketOpen:
        DrawBracket(canvas, part, true);
        break;
    case PartKind::BracketClose:
        DrawBracket(canvas, part, false);
        break;
    case PartKind::Dot:
        DrawDot(canvas, part);
        break;
    case PartKind::Text:
    case PartKind::Name:
    case PartKind::FractionOpen:
    case PartKind::FractionBarCode:
    case PartKind::FractionClose:
    case PartKind::RootClose:
    case PartKind::PowerOpen:
    case PartKind::PowerClose:
    case PartKind::IndexOpen:
    case PartKind::IndexClose:
    case PartKind::Symbol:
    case PartKind::BoldSign:
    case PartKind::BoldD:
    case PartKind::Separator:
    case PartKind::SlantedOpen:
    case PartKind::SlantedClose:
        break; // not shapes: nothing to draw
    }
}

void PaintLine(Canvas& canvas, const LinePaintInput& in) {
    LinePainter(canvas, in).Paint();
}

} // namespace zelm

// A deterministic canvas for tests. Its metrics follow simple formulas, so that every layout
// coordinate can be worked out by hand, and it records every drawing call as one text line.
//
// For a font of height h, the character height is c = -h when h < 0, and c = (4 * h) / 5 for a
// cell height h > 0. Then:
//   tmHeight = c + c / 4          tmAscent = c          tmDescent = c / 4
//   otmAscent = c - c / 8         otmDescent = -(c / 4)
//   tmAveCharWidth = c / 2
//   superscript size = c / 2 (x and y), offset x = c / 8, offset y = c / 2
//   subscript size   = c / 2 (x and y), offset x = c / 8, offset y = c / 4
//   underline position = -(c / 8), underline and strike-out thickness = max(1, c / 16)
// Character widths (no extra spacing): ' ' c/4; 'W' 'M' 'm' c; 'i' 'l' '1' '|' '.' c/4;
// every other character c/2; a bold font (weight >= 600) adds 1 to each character. In the
// "Symbol" face every character is c/2 wide and the space c/3.
// Text extent: the sum of the character widths plus extra spacing times the length, and
// tmHeight. A face named "NoOutline" reports hasOutline = false.
#pragma once

#include <string>
#include <vector>

#include "formula/Canvas.h"

namespace zelm::test {

/// Character height of a font height in the fixed metrics.
int CharHeight(int height);
/// The fixed metrics of a font description.
FontMetrics FixedMetrics(const FontDesc& f);
/// The fixed advance width of a character.
int FixedCharWidth(const FontDesc& f, unsigned char ch);

class FixedCanvas : public Canvas {
public:
    explicit FixedCanvas(FontDesc start = FontDesc{});

    FontDesc Font() const override { return font_; }
    FontDesc SelectFont(const FontDesc& f) override;
    FontMetrics Metrics() override { return FixedMetrics(font_); }
    Size TextExtent(const Bytes& s) override;
    int CharWidth(unsigned char c) override { return FixedCharWidth(font_, c); }

    void TextOut(const Bytes& s) override;

    void FillRect(const Rect& r, ColorRef c) override;
    void Polyline(const std::vector<Point>& pts) override;
    void PolyPolyline(const std::vector<std::vector<Point>>& lines) override;
    void PolyBezier(const std::vector<Point>& pts) override;
    void Ellipse(const Rect& box) override;

    /// The drawing calls so far, one line each, e.g. `text 10,20 "sin" Tahoma h-16 w700 i0 u0
    /// x0 c000000 bkffffff` (`bkhighlight` for the system highlight colour) or `polyline 1,2
    /// 3,4 solid1 c000000` (` not` in invert mode). State changes that draw nothing (colour, pen,
    /// font selection) are not logged: they show in the calls that use them.
    std::vector<std::string> log;
    /// Number of SelectFont calls (fonts created) since construction.
    int fontsSelected = 0;

private:
    std::string PenText() const;
    FontDesc font_;
};

/// A colour as six hex digits RRGGBB for the log.
std::string HexColor(ColorRef c);

} // namespace zelm::test

// Outline text metrics worked out from a font's own tables, the way the program's original
// platform reports them (the byte-to-character maps of the canvas's two encodings are in
// formula/Charset.h, included here). Plain C++: the Qt canvas hands in the raw table bytes.
//
// Rounding rule, used for every scaled value: a value v in font units becomes
// round-half-away-from-zero(v × num / den) pixels, where num / den is
//   -h / unitsPerEm                      for a negative height h (em = -h pixels), and
//   h / (usWinAscent + usWinDescent)     for a positive (cell) height h,
// so that the em of a cell height, h × unitsPerEm / (usWinAscent + usWinDescent), is never
// rounded on the way.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "formula/Canvas.h"
#include "formula/Charset.h"

namespace zelm {

/// The height a font description of height 0 stands for: the program's own 12 points at 96
/// pixels per inch.
constexpr int DefaultFontHeight = -16;

/// The raw values, in font units, that the outline text metrics are scaled from.
struct FontTables {
    int unitsPerEm = 0; // head
    // OS/2
    int xAvgCharWidth = 0;
    int weightClass = 400;
    int subscriptXSize = 0, subscriptYSize = 0, subscriptXOffset = 0, subscriptYOffset = 0;
    int superscriptXSize = 0, superscriptYSize = 0, superscriptXOffset = 0, superscriptYOffset = 0;
    int strikeoutSize = 0, strikeoutPosition = 0;
    int typoAscender = 0, typoDescender = 0;
    int winAscent = 0, winDescent = 0;
    // post
    int underlinePosition = 0, underlineThickness = 0;
    /// hmtx advance widths; glyphs past the last one take its advance. Empty without hmtx.
    std::vector<int> advances;

    /// The advance width of `glyph` in font units, or nullopt when the font has no hmtx.
    std::optional<int> AdvanceOf(unsigned glyph) const;
};

/// Reads the tables' raw bytes (big-endian, as stored in the font file). Returns nullopt when a
/// table the metrics need is missing or too short; `hmtx` may be empty.
std::optional<FontTables> ReadFontTables(std::string_view os2, std::string_view hhea,
                                         std::string_view head, std::string_view post,
                                         std::string_view hmtx);

/// round-half-away-from-zero(num / den) for den > 0.
int RoundDiv(std::int64_t num, std::int64_t den);

/// The scale from font units to pixels for one font height (see the rounding rule above).
class FontScale {
public:
    FontScale(const FontTables& t, int height);
    /// `units` font units in pixels, rounded by the documented rule.
    int operator()(int units) const { return RoundDiv(std::int64_t(units) * num_, den_); }
    /// The em in pixels, rounded by the same rule; at least 1.
    int Em() const;

private:
    std::int64_t num_ = 1;
    std::int64_t den_ = 1;
    int unitsPerEm_ = 1;
};

/// The outline text metrics of a font with these tables at `height` (platform convention).
FontMetrics ScaledMetrics(const FontTables& t, int height);

} // namespace zelm

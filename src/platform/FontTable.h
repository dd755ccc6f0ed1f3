// The process-wide table of resolved fonts: a description is resolved once, whichever line
// editor, printer or picture asks for it, into the font that draws it with its metrics from
// the font's own tables (see FontMetricsTables.h) and its per-byte glyphs and advances. An id is
// an index into the table, valid for the whole process.
#pragma once

#include <QFont>
#include <QRawFont>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "formula/Canvas.h"

namespace zelm {

/// The font a description stands for, as drawn and measured.
struct ResolvedFont {
    FontDesc desc;  ///< the description it was resolved from
    QFont font;     ///< draws it; pixel size = its em, no underline or strike-out
    QString family; ///< the family that actually draws it (after fontconfig's substitution)
    FontMetrics metrics;
    std::array<char32_t, 256> chars{}; ///< the character each byte is drawn as
    std::array<bool, 256> mapped{};    ///< whether the font has a glyph for that character
    std::array<quint32, 256> glyphs{}; ///< the glyph of Raw() each mapped byte is drawn with
    std::array<int, 256> widths{};     ///< the advance of each byte in pixels
    /// Drawn a second time one pixel to the right: bold asked of a face whose bold outlines
    /// are no heavier than its regular ones, made to look bold as the original platform does.
    bool doubleStrike = false;

    /// The same font file and size for drawing glyph runs, made when first drawn with: a font
    /// engine kept alive for every size merely measured would swell Qt's own font cache.
    const QRawFont& Raw() const {
        if (!rawMade_) {
            raw_ = QRawFont::fromFont(font);
            rawMade_ = true;
        }
        return raw_;
    }

private:
    mutable QRawFont raw_;
    mutable bool rawMade_ = false;
};

/// The font a description stands for, with its metrics and per-byte advances; created once per
/// description and shared by every canvas.
std::shared_ptr<const ResolvedFont> ResolveFont(const FontDesc& f);
/// The id of a description in the table, resolving it when first asked for.
FontId ResolveFontId(const FontDesc& f);
/// Windows-1252 bytes (a face name, a line's text) as Unicode.
QString FromCp1252(const std::string& bytes);
/// Forgets every resolved font, e.g. after fonts were registered. Canvases that live on
/// resolve their fonts again.
void ClearFontCache();

namespace detail {
// Read at every font selection: inline, and hidden so that they are reached directly.
extern int fontCacheGeneration __attribute__((visibility("hidden")));
// The fonts of the table, which lives (and goes) as a function's static object.
extern std::vector<std::shared_ptr<const ResolvedFont>>* resolvedFonts
    __attribute__((visibility("hidden")));
} // namespace detail

/// Counts the clearings of the table: an id given before the count changed may stand for
/// another font when asked for again.
inline int FontCacheGeneration() {
    return detail::fontCacheGeneration;
}

/// The font of an id that ResolveFontId gave; it stays put also after the table was cleared.
inline const ResolvedFont& ResolvedFontOf(FontId id) {
    return *detail::resolvedFonts->at(std::size_t(id));
}

} // namespace zelm

#include "platform/FontMetricsTables.h"

#include <algorithm>
#include <array>

namespace zelm {

namespace {

int U16(std::string_view t, std::size_t at) {
    return (int(static_cast<unsigned char>(t[at])) << 8) | static_cast<unsigned char>(t[at + 1]);
}
int S16(std::string_view t, std::size_t at) {
    return int(std::int16_t(U16(t, at)));
}

// Offsets of the fields read, in bytes from the start of each table.
namespace os2 {
constexpr std::size_t xAvgCharWidth = 2, usWeightClass = 4, ySubscriptXSize = 10,
                      ySubscriptYSize = 12, ySubscriptXOffset = 14, ySubscriptYOffset = 16,
                      ySuperscriptXSize = 18, ySuperscriptYSize = 20, ySuperscriptXOffset = 22,
                      ySuperscriptYOffset = 24, yStrikeoutSize = 26, yStrikeoutPosition = 28,
                      sTypoAscender = 68, sTypoDescender = 70, usWinAscent = 74, usWinDescent = 76,
                      size = 78;
}
constexpr std::size_t headUnitsPerEm = 18, headSize = 20;
constexpr std::size_t hheaNumberOfHMetrics = 34, hheaSize = 36;
constexpr std::size_t postUnderlinePosition = 8, postUnderlineThickness = 10, postSize = 12;

std::vector<int> ReadAdvances(std::string_view hhea, std::string_view hmtx) {
    const std::size_t count = std::size_t(U16(hhea, hheaNumberOfHMetrics));
    std::vector<int> advances;
    if (hmtx.size() < count * 4) return advances;
    advances.reserve(count);
    for (std::size_t g = 0; g < count; ++g)
        advances.push_back(U16(hmtx, g * 4));
    return advances;
}

} // namespace

std::optional<int> FontTables::AdvanceOf(unsigned glyph) const {
    if (advances.empty()) return std::nullopt;
    return advances[std::min<std::size_t>(glyph, advances.size() - 1)];
}

std::optional<FontTables> ReadFontTables(std::string_view os2, std::string_view hhea,
                                         std::string_view head, std::string_view post,
                                         std::string_view hmtx) {
    if (os2.size() < os2::size || hhea.size() < hheaSize || head.size() < headSize ||
        post.size() < postSize)
        return std::nullopt;
    FontTables t;
    t.unitsPerEm = U16(head, headUnitsPerEm);
    t.xAvgCharWidth = S16(os2, os2::xAvgCharWidth);
    t.weightClass = U16(os2, os2::usWeightClass);
    t.subscriptXSize = S16(os2, os2::ySubscriptXSize);
    t.subscriptYSize = S16(os2, os2::ySubscriptYSize);
    t.subscriptXOffset = S16(os2, os2::ySubscriptXOffset);
    t.subscriptYOffset = S16(os2, os2::ySubscriptYOffset);
    t.superscriptXSize = S16(os2, os2::ySuperscriptXSize);
    t.superscriptYSize = S16(os2, os2::ySuperscriptYSize);
    t.superscriptXOffset = S16(os2, os2::ySuperscriptXOffset);
    t.superscriptYOffset = S16(os2, os2::ySuperscriptYOffset);
    t.strikeoutSize = S16(os2, os2::yStrikeoutSize);
    t.strikeoutPosition = S16(os2, os2::yStrikeoutPosition);
    t.typoAscender = S16(os2, os2::sTypoAscender);
    t.typoDescender = S16(os2, os2::sTypoDescender);
    t.winAscent = U16(os2, os2::usWinAscent);
    t.winDescent = U16(os2, os2::usWinDescent);
    t.underlinePosition = S16(post, postUnderlinePosition);
    t.underlineThickness = S16(post, postUnderlineThickness);
    // Without a unit size or a cell there is nothing to scale by.
    if (t.unitsPerEm <= 0 || t.winAscent + t.winDescent <= 0) return std::nullopt;
    t.advances = ReadAdvances(hhea, hmtx);
    return t;
}

int RoundDiv(std::int64_t num, std::int64_t den) {
    const std::int64_t magnitude = ((num < 0 ? -num : num) * 2 + den) / (2 * den);
    return int(num < 0 ? -magnitude : magnitude);
}

FontScale::FontScale(const FontTables& t, int height) : unitsPerEm_(t.unitsPerEm) {
    if (height == 0) height = DefaultFontHeight;
    if (height < 0) {
        num_ = -std::int64_t(height);
        den_ = t.unitsPerEm;
    } else {
        num_ = height;
        den_ = std::int64_t(t.winAscent) + t.winDescent;
    }
}

int FontScale::Em() const {
    return std::max(1, (*this)(unitsPerEm_));
}

FontMetrics ScaledMetrics(const FontTables& t, int height) {
    const FontScale px(t, height);
    FontMetrics m;
    m.hasOutline = true;
    m.tmAscent = px(t.winAscent);
    m.tmDescent = px(t.winDescent);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmAveCharWidth = px(t.xAvgCharWidth);
    m.otmAscent = px(t.typoAscender);
    m.otmDescent = px(t.typoDescender);
    m.superscriptSizeX = px(t.superscriptXSize);
    m.superscriptSizeY = px(t.superscriptYSize);
    m.superscriptOffsetX = px(t.superscriptXOffset);
    m.superscriptOffsetY = px(t.superscriptYOffset);
    m.subscriptSizeX = px(t.subscriptXSize);
    m.subscriptSizeY = px(t.subscriptYSize);
    m.subscriptOffsetX = px(t.subscriptXOffset);
    // Both the OS/2 table and the platform's metrics count the subscript offset downwards.
    m.subscriptOffsetY = px(t.subscriptYOffset);
    m.strikeoutSize = px(t.strikeoutSize);
    m.strikeoutPosition = px(t.strikeoutPosition);
    m.underscoreSize = px(t.underlineThickness);
    m.underscorePosition = px(t.underlinePosition);
    return m;
}

} // namespace zelm

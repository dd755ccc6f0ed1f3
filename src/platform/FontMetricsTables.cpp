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

char32_t Cp1252ToUnicode(unsigned char b) {
    // 0x80 to 0x9F; 0 marks the five bytes the code page leaves unassigned.
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (b < 0x80 || b >= 0xA0) return b;
    const char16_t u = high[b - 0x80];
    return u == 0 ? char32_t(b) : char32_t(u);
}

char32_t SymbolToUnicode(unsigned char b) {
    // 0x20 to 0x7F: digits and most punctuation are themselves; letters are Greek.
    static constexpr std::array<char16_t, 96> low = {
        0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217,
        0x002B, 0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035,
        0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245,
        0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A,
        0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2,
        0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1,
        0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB,
        0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,
        0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x007F};
    // 0xA0 to 0xFF; 0 where the encoding has no character of its own.
    static constexpr std::array<char16_t, 96> high = {
        0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660,
        0x2194, 0x2190, 0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D,
        0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135,
        0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284,
        0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A,
        0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329,
        0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7,
        0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
        0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0};
    char16_t u = 0;
    if (b >= 0x20 && b < 0x80) u = low[b - 0x20];
    if (b >= 0xA0) u = high[b - 0xA0];
    return u == 0 ? char32_t(b) : char32_t(u);
}

} // namespace zelm

// Windows-1252 and the classic Symbol encoding, byte by byte to Unicode and back.
#include "formula/Charset.h"

#include <array>
#include <utility>

namespace zelm {

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

std::optional<unsigned char> UnicodeToCp1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<unsigned char>(u);
    for (int b = 0x80; b < 0xA0; ++b)
        if (Cp1252ToUnicode(static_cast<unsigned char>(b)) == u)
            return static_cast<unsigned char>(b);
    return std::nullopt;
}

std::optional<unsigned char> UnicodeToSymbol(char32_t u) {
    for (int b = 0x20; b <= 0xFF; ++b) {
        const char32_t own = SymbolToUnicode(static_cast<unsigned char>(b));
        if (own == u && own != char32_t(b)) return static_cast<unsigned char>(b);
    }
    return std::nullopt;
}

namespace {

/// Other code points of the "Symbol" font's glyphs than the encoding's own.
constexpr std::array<std::pair<char32_t, unsigned char>, 5> SymbolAliases = {{
    {0x2206, 0x44}, // increment, the Delta of the original table
    {0x2126, 0x57}, // ohm sign, its Omega
    {0x03F5, 0x65}, // lunate epsilon
    {0x27E8, 0xE1}, // mathematical angle brackets
    {0x27E9, 0xF1},
}};

} // namespace

char32_t NextCodePoint(std::string_view s, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    int more = 0;
    char32_t u = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        u = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        u = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        u = lead & 0x07;
    } else {
        ++pos;
        return 0xFFFD;
    }
    if (pos + std::size_t(more) >= s.size()) { // cut short
        ++pos;
        return 0xFFFD;
    }
    for (int i = 1; i <= more; ++i) {
        const unsigned char c = byte(pos + std::size_t(i));
        if ((c & 0xC0) != 0x80) {
            ++pos;
            return 0xFFFD;
        }
        u = u << 6 | (c & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are malformed.
    const bool overlong = (more == 2 && u < 0x800) || (more == 3 && u < 0x10000);
    if (overlong || (u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF) {
        ++pos;
        return 0xFFFD;
    }
    pos += std::size_t(more) + 1;
    return u;
}

std::optional<unsigned char> SymbolCodeOf(char32_t u) {
    if (const auto own = UnicodeToSymbol(u)) return own;
    for (const auto& [alias, code] : SymbolAliases)
        if (alias == u) return code;
    return std::nullopt;
}

} // namespace zelm

// The two byte encodings of a formula line: Windows-1252 for its text and the classic Symbol
// encoding for its "Symbol" characters, to and from Unicode.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelm {

/// The Unicode character of a Windows-1252 byte (the five unassigned bytes map to themselves).
char32_t Cp1252ToUnicode(unsigned char b);

/// The Unicode character the classic Symbol encoding puts at byte `b`; `b` itself where the
/// encoding has nothing of its own.
char32_t SymbolToUnicode(unsigned char b);

/// The Windows-1252 byte of `u`, or nothing when the code page lacks it.
std::optional<unsigned char> UnicodeToCp1252(char32_t u);

/// Unicode's control characters, C1 included: no key types them into a line.
constexpr bool IsControlCharacter(char32_t u) {
    return u < 0x20 || (u >= 0x7F && u < 0xA0);
}

/// The Symbol byte whose own character is `u` (the lowest where two bytes share one), or
/// nothing when `u` is not one of the encoding's own characters (digits, "+" and the other
/// bytes that stand for themselves are not).
std::optional<unsigned char> UnicodeToSymbol(char32_t u);

/// An ASCII letter, A-Z or a-z.
constexpr bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

/// Appends `u` to `out` as UTF-8.
inline void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xF0 | (u >> 18));
        out += char(0x80 | ((u >> 12) & 0x3F));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

/// The code point at `pos` of UTF-8 `s`, advancing `pos`; a malformed sequence gives U+FFFD
/// and advances one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& pos);

/// The "Symbol" font's character code of `u` (also under the other code points some of its
/// glyphs have), or nothing when the font lacks it.
std::optional<unsigned char> SymbolCodeOf(char32_t u);

} // namespace zelm

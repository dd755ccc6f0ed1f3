// What the writers of the structure model share: the Unicode character of each byte of a line
// and of each sign, and UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/MathTree.h"
#include "formula/Charset.h"
#include "formula/DeclMath.h"
#include "formula/FormulaText.h"

namespace zelm::writer {

/// True for control characters, which draw nothing in a line and which XML cannot hold: they
/// are left out of every written form.
inline bool IsControl(char32_t u) {
    return u < 0x20 || (u >= 0x7F && u < 0xA0);
}

/// The character a Text byte shows, or 0 for a control character.
inline char32_t TextChar(unsigned char b) {
    const char32_t u = Cp1252ToUnicode(b);
    return IsControl(u) ? 0 : u;
}

/// Windows-1252 bytes (a name, a run of text) as UTF-8, control characters left out.
inline std::string TextUtf8(std::string_view bytes) {
    std::string out;
    for (const char c : bytes)
        if (const char32_t u = TextChar(static_cast<unsigned char>(c))) AppendUtf8(out, u);
    return out;
}

/// The character a "Symbol" character shows, or 0 for a control character.
inline char32_t SymbolChar(unsigned char b) {
    const char32_t u = SymbolToUnicode(b);
    return IsControl(u) ? 0 : u;
}

/// A letter of the Latin, Greek or Windows-1252 repertoire (what maths sets as an identifier).
inline bool IsLetter(char32_t u) {
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) return true;
    if (u >= 0xC0 && u <= 0x24F) return u != 0xD7 && u != 0xF7;
    if (u >= 0x391 && u <= 0x3F6) return true;
    return u == 0xAA || u == 0xB5 || u == 0xBA;
}

/// The character a sign (`NumeratorD` to `Bar`) stands for in maths: the upright d and e as
/// the differential and exponential, the bold x as the times sign.
inline char32_t SignChar(unsigned char kind) {
    switch (StructKind(kind)) {
    case StructKind::NumeratorD:
    case StructKind::DenominatorD:
    case StructKind::IntegralD:
        return U'd';
    case StructKind::Pi:
        return U'\u03C0';
    case StructKind::BoldE:
        return U'e';
    case StructKind::BoldX:
        return U'\u00D7';
    case StructKind::Dot:
        return U'\u22C5';
    case StructKind::Bar:
        return U'|';
    case StructKind::Power:
    case StructKind::PowerEnd:
    case StructKind::Root:
    case StructKind::RootEnd:
    case StructKind::Fraction:
    case StructKind::FractionBar:
    case StructKind::FractionEnd:
    case StructKind::Integral:
    case StructKind::Sum:
    case StructKind::Bracket:
    case StructKind::BracketEnd:
    case StructKind::Separator:
    case StructKind::Slanted:
    case StructKind::Slash:
    case StructKind::SlantedEnd:
    case StructKind::Index:
    case StructKind::IndexEnd:
    case StructKind::Underline:
    case StructKind::Colour:
        return 0;
    }
    return 0;
}

/// Where a row's content starts: behind the blank that starts every line (at Text position 0),
/// which is no content of the line.
inline std::size_t FirstContent(const MathNode& row) {
    const bool blank = !row.children.empty() && row.children[0].kind == NodeKind::Char &&
                       row.children[0].value == ' ' && row.children[0].begin == 0;
    return blank ? 1 : 0;
}

inline bool IsDigitChar(const MathNode& n) {
    return n.kind == NodeKind::Char && n.value >= '0' && n.value <= '9';
}

/// True for a comma between two digits of `row`: the Dutch decimal comma, part of the number.
inline bool IsDecimalComma(const MathNode& row, std::size_t i) {
    return i > 0 && i + 1 < row.children.size() && row.children[i].kind == NodeKind::Char &&
           row.children[i].value == ',' && IsDigitChar(row.children[i - 1]) &&
           IsDigitChar(row.children[i + 1]);
}

/// The bracket an item shows when it is a bracket that does not grow: the characters ( ) [ ]
/// { } | (of the text or the Symbol font) and the bar sign (as '|'); 0 for anything else.
inline char FenceOf(const MathNode& n) {
    if (n.kind == NodeKind::Sign) return StructKind(n.value) == StructKind::Bar ? '|' : 0;
    const char32_t u = n.kind == NodeKind::Char     ? TextChar(n.value)
                       : n.kind == NodeKind::Symbol ? SymbolChar(n.value)
                                                    : 0;
    switch (u) {
    case '(':
    case ')':
    case '[':
    case ']':
    case '{':
    case '}':
    case '|':
        return char(u);
    default:
        return 0;
    }
}

/// For each item of `row`, the index of the bracket it pairs with (-1 for none): an opening
/// bracket with the next closing one of its kind, a bar with the next bar at the same depth.
/// Empty when the row holds no bracket.
inline std::vector<int> FencePartners(const MathNode& row) {
    std::vector<int> partners, open;
    const int n = int(row.children.size());
    for (int i = 0; i < n; ++i) {
        const char f = FenceOf(row.children[std::size_t(i)]);
        if (f == 0) continue;
        if (partners.empty()) partners.assign(std::size_t(n), -1);
        const auto pair = [&](std::size_t depth) {
            partners[std::size_t(open[depth])] = i;
            partners[std::size_t(i)] = open[depth];
            open.resize(depth); // brackets left open inside stay alone
        };
        const char opener = f == ')' ? '(' : f == ']' ? '[' : f == '}' ? '{' : 0;
        if (f == '|' && !open.empty() && FenceOf(row.children[std::size_t(open.back())]) == '|') {
            pair(open.size() - 1);
        } else if (opener != 0) {
            for (std::size_t d = open.size(); d-- > 0;)
                if (FenceOf(row.children[std::size_t(open[d])]) == opener) {
                    pair(d);
                    break;
                }
        } else {
            open.push_back(i);
        }
    }
    return partners;
}

/// Child `i` of a structure node; an empty row when the structure lacks it.
inline const MathNode& Child(const MathNode& n, std::size_t i) {
    static const MathNode empty;
    return i < n.children.size() ? n.children[i] : empty;
}

/// The name a Name or Reference node shows.
inline std::string NodeName(const MathNode& node) {
    if (node.kind == NodeKind::Name) return std::string(NameOfNode(node));
    return NameForCode(Code::Reference, node.value);
}

/// Appends byte `c` of UTF-8 text to LaTeX text mode, its special characters escaped.
inline void AppendLatexText(std::string& out, char c) {
    switch (c) {
    case '\\':
        out += "\\textbackslash{}";
        return;
    case '^':
        out += "\\textasciicircum{}";
        return;
    case '~':
        out += "\\textasciitilde{}";
        return;
    case '#':
    case '$':
    case '%':
    case '&':
    case '_':
    case '{':
    case '}':
        out += '\\';
        out += c;
        return;
    default:
        out += c;
    }
}

/// Appends `u` to `out` as UTF-8, escaped for XML text and attribute values.
inline void AppendXmlEscaped(std::string& out, char32_t u) {
    switch (u) {
    case '&':
        out += "&amp;";
        return;
    case '<':
        out += "&lt;";
        return;
    case '>':
        out += "&gt;";
        return;
    case '"':
        out += "&quot;";
        return;
    default:
        AppendUtf8(out, u);
    }
}

/// UTF-8 text escaped for XML text and attribute values.
inline std::string XmlEscaped(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        if (c == '&' || c == '<' || c == '>' || c == '"')
            AppendXmlEscaped(out, char32_t(c));
        else
            out += c;
    }
    return out;
}

} // namespace zelm::writer

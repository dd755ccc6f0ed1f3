#include "formula/MathReading.h"

#include <array>
#include <utility>

#include "formula/Charset.h"
#include "formula/DeclMath.h"

namespace zelm::reading {

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

MathNode Leaf(NodeKind kind, unsigned char value) {
    MathNode n;
    n.kind = kind;
    n.value = value;
    return n;
}

MathNode Node(NodeKind kind, std::vector<MathNode> children) {
    MathNode n;
    n.kind = kind;
    n.children = std::move(children);
    return n;
}

void Splice(MathNode& row, MathNode&& from) {
    for (MathNode& item : from.children)
        row.children.push_back(std::move(item));
}

void AppendCharacter(MathNode& row, char32_t u, bool& lossy) {
    if (u == 0xA0) u = ' ';
    if (u < 0x20 || u == 0x7F) {
        lossy = true;
        return;
    }
    if (const auto b = UnicodeToCp1252(u)) {
        row.children.push_back(Leaf(NodeKind::Char, *b));
    } else if (const auto s = SymbolCodeOf(u)) {
        row.children.push_back(Leaf(NodeKind::Symbol, *s));
    } else {
        row.children.push_back(Leaf(NodeKind::Char, '?'));
        lossy = true;
    }
}

void AppendMathCharacter(MathNode& row, char32_t u, bool& lossy) {
    const auto sign = [&](StructKind k) {
        row.children.push_back(Leaf(NodeKind::Sign, static_cast<unsigned char>(k)));
    };
    switch (u) {
    case 0x03C0:
        return sign(StructKind::Pi);
    case 0x00D7:
        return sign(StructKind::BoldX);
    case 0x22C5:
        return sign(StructKind::Dot);
    case '|':
    case 0x2223:
        return sign(StructKind::Bar);
    case 0x2061: // function application, invisible times, separator and plus
    case 0x2062:
    case 0x2063:
    case 0x2064:
    case 0x200B:
        return;
    default:
        AppendCharacter(row, u, lossy);
    }
}

void AppendText(MathNode& row, std::string_view text, bool& lossy) {
    std::size_t pos = 0;
    while (pos < text.size())
        AppendCharacter(row, NextCodePoint(text, pos), lossy);
}

MathNode DSign(DPlace place) {
    const StructKind kind = place == DPlace::Numerator     ? StructKind::NumeratorD
                            : place == DPlace::Denominator ? StructKind::DenominatorD
                                                           : StructKind::IntegralD;
    return Leaf(NodeKind::Sign, static_cast<unsigned char>(kind));
}

std::optional<unsigned char> NameIndexOf(std::string_view name) {
    for (std::size_t i = 0; i < NameTable.size(); ++i)
        if (NameTable[i] == name) return static_cast<unsigned char>(i);
    return std::nullopt;
}

MathNode LogNode(MathNode base) {
    MathNode log = Node(NodeKind::Log, {});
    log.value = NameLog;
    log.children.push_back(std::move(base));
    return log;
}

MathNode NameNode(unsigned char index) {
    if (index == NameLog) return LogNode(Node(NodeKind::Row, {}));
    return Leaf(NodeKind::Name, index);
}

} // namespace zelm::reading

#include "exchange/ReaderNodes.h"

#include <algorithm>
#include <array>
#include <utility>

#include "formula/Charset.h"
#include "formula/DeclMath.h"

namespace zelm::reading {

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
    case 0x2212: // the minus sign that maths writes for the hyphen
        return AppendCharacter(row, '-', lossy);
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

namespace {

/// Greek of the alphanumeric block in its order: capitals (theta symbol at 17), nabla, small
/// letters, then the variants.
constexpr char32_t GreekOrder(int i) {
    constexpr char32_t variants[] = {0x2202, 0x3F5, 0x3D1, 0x3F0, 0x3D5, 0x3F1, 0x3D6};
    if (i == 17) return 0x398;
    if (i < 25) return 0x391 + char32_t(i);
    if (i == 25) return 0x2207;
    if (i < 51) return 0x3B1 + char32_t(i - 26);
    return variants[i - 51];
}

struct Letterlike {
    char32_t u;
    char plain;
};

/// The holes of the alphanumeric block, filled from the letterlike symbols.
constexpr Letterlike Letterlikes[] = {
    {0x210E, 'h'}, {0x212C, 'B'}, {0x2130, 'E'}, {0x2131, 'F'}, {0x210B, 'H'}, {0x2110, 'I'},
    {0x2112, 'L'}, {0x2133, 'M'}, {0x211B, 'R'}, {0x212F, 'e'}, {0x210A, 'g'}, {0x2134, 'o'},
    {0x212D, 'C'}, {0x210C, 'H'}, {0x2111, 'I'}, {0x211C, 'R'}, {0x2128, 'Z'}, {0x2102, 'C'},
    {0x210D, 'H'}, {0x2115, 'N'}, {0x2119, 'P'}, {0x211A, 'Q'}, {0x211D, 'R'}, {0x2124, 'Z'},
};

} // namespace

char32_t PlainLetterOf(char32_t u, bool& styled) {
    constexpr int ItalicStyle = 1; // of the Latin and the Greek alphabets alike
    if (u >= 0x1D400 && u < 0x1D6A4) {
        const int i = int(u - 0x1D400);
        styled = styled || i / 52 != ItalicStyle;
        return i % 52 < 26 ? char32_t('A' + i % 52) : char32_t('a' + i % 52 - 26);
    }
    if (u == 0x1D6A4 || u == 0x1D6A5) return u == 0x1D6A4 ? 'i' : 'j';
    if (u >= 0x1D6A8 && u < 0x1D7CA) {
        const int i = int(u - 0x1D6A8);
        styled = styled || i / 58 != ItalicStyle;
        return GreekOrder(i % 58);
    }
    if (u >= 0x1D7CE && u <= 0x1D7FF) {
        styled = true;
        return char32_t('0' + (u - 0x1D7CE) % 10);
    }
    for (const Letterlike& l : Letterlikes) {
        if (l.u != u) continue;
        styled = styled || u != 0x210E;
        return char32_t(l.plain);
    }
    return 0;
}

bool IsThinSpace(char32_t u) {
    return (u >= 0x2004 && u <= 0x200A && u != 0x2007) || u == 0x205F;
}

/// The writer's space (a quarter em) and wider ones are spaces; thinner ones only space.
bool IsWordSpace(std::string_view width) {
    if (width == "0.25em") return true;
    if (width.size() < 3 || width.substr(width.size() - 2) != "em") return false;
    double em = 0;
    for (char c : width.substr(0, width.size() - 2)) {
        if (c == '.') break;
        if (c < '0' || c > '9') return false;
        em = em * 10 + (c - '0');
    }
    return em >= 1;
}

bool LineHolds(char32_t u) {
    return UnicodeToCp1252(u) || SymbolCodeOf(u);
}

MathNode DSign(DPlace place) {
    const StructKind kind = place == DPlace::Numerator     ? StructKind::NumeratorD
                            : place == DPlace::Denominator ? StructKind::DenominatorD
                                                           : StructKind::IntegralD;
    return Leaf(NodeKind::Sign, static_cast<unsigned char>(kind));
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

bool HasAsciiLetter(const MathNode& row) {
    return std::any_of(row.children.begin(), row.children.end(), [](const MathNode& c) {
        return c.kind == NodeKind::Char && IsAsciiLetter(char(c.value));
    });
}

namespace {

// True when `node` held an underline inside an underline; their content is spliced in place.
bool FlattenNestedUnderlines(MathNode& node, bool underlined) {
    bool flattened = false;
    std::vector<MathNode> kept;
    for (MathNode& c : node.children) {
        const bool inner = c.kind == NodeKind::Underline;
        flattened |= FlattenNestedUnderlines(c, underlined || inner);
        if (!(inner && underlined)) {
            kept.push_back(std::move(c));
            continue;
        }
        flattened = true;
        for (MathNode& region : c.children)
            for (MathNode& item : region.children)
                kept.push_back(std::move(item));
    }
    node.children = std::move(kept);
    return flattened;
}

} // namespace

std::optional<ReadResult> Finished(std::optional<ReadResult> read) {
    if (read && FlattenNestedUnderlines(read->row, false))
        NoteChange(*read, "dubbel onderstreept als enkel");
    return read;
}

} // namespace zelm::reading

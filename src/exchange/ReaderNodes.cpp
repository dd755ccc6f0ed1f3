#include "exchange/ReaderNodes.h"

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

} // namespace zelm::reading

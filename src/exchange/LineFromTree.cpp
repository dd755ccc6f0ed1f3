// A tree written back as the Text and code string that make it: the inverse of BuildTree.
#include "exchange/MathTree.h"

#include <initializer_list>

namespace zelm {
namespace {

void Emit(const MathNode& node, LineBytes& out);

void EmitCode(char c, unsigned char parameter, LineBytes& out) {
    out.text += c;
    out.codes += char(parameter);
}
void EmitStructure(StructKind k, LineBytes& out) {
    EmitCode(Code::Structure, static_cast<unsigned char>(k), out);
}

/// The children of `node` with `between[i]` after child i.
void EmitRegions(const MathNode& node, std::initializer_list<StructKind> between, LineBytes& out) {
    std::size_t i = 0;
    for (StructKind k : between) {
        if (i < node.children.size()) Emit(node.children[i], out);
        EmitStructure(k, out);
        ++i;
    }
}

void Emit(const MathNode& node, LineBytes& out) {
    switch (node.kind) {
    case NodeKind::Row:
        for (const MathNode& child : node.children)
            Emit(child, out);
        return;
    case NodeKind::Char:
        out.text += char(node.value);
        return;
    case NodeKind::Name:
        EmitCode(Code::Name, node.value, out);
        return;
    case NodeKind::Reference:
        EmitCode(Code::Reference, node.value, out);
        return;
    case NodeKind::Symbol:
        EmitCode(Code::Symbol, node.value, out);
        return;
    case NodeKind::Sign:
    case NodeKind::Switch:
        EmitCode(Code::Structure, node.value, out);
        return;
    case NodeKind::Power:
        EmitStructure(StructKind::Power, out);
        EmitRegions(node, {StructKind::PowerEnd}, out);
        return;
    case NodeKind::Index:
        EmitStructure(StructKind::Index, out);
        EmitRegions(node, {StructKind::IndexEnd}, out);
        return;
    case NodeKind::Fraction:
        EmitStructure(StructKind::Fraction, out);
        EmitRegions(node, {StructKind::FractionBar, StructKind::FractionEnd}, out);
        return;
    case NodeKind::Slanted:
        EmitStructure(StructKind::Slanted, out);
        EmitRegions(node, {StructKind::Slash, StructKind::SlantedEnd}, out);
        return;
    case NodeKind::Root:
        EmitStructure(StructKind::Root, out);
        EmitRegions(node, {StructKind::Separator, StructKind::RootEnd}, out);
        return;
    case NodeKind::Bracket:
        EmitStructure(StructKind::Bracket, out);
        EmitRegions(node, {StructKind::BracketEnd}, out);
        return;
    case NodeKind::Integral:
    case NodeKind::Sum:
        EmitStructure(node.kind == NodeKind::Integral ? StructKind::Integral : StructKind::Sum,
                      out);
        EmitRegions(node, {StructKind::Separator, StructKind::Separator}, out);
        return;
    case NodeKind::Log:
        EmitCode(Code::Name, (node.value & 0x7F) == NameLog ? node.value : NameLog, out);
        EmitRegions(node, {StructKind::Separator}, out);
        return;
    case NodeKind::Underline:
        EmitStructure(StructKind::Underline, out);
        EmitRegions(node, {StructKind::Underline}, out);
        return;
    case NodeKind::Colour:
        EmitStructure(StructKind::Colour, out);
        EmitRegions(node, {StructKind::Colour}, out);
        return;
    }
}

} // namespace

std::string_view NameOfNode(const MathNode& node) {
    const std::size_t i = node.value & 0x7F;
    return i < NameTable.size() ? NameTable[i] : std::string_view();
}

LineBytes LineFromTree(const MathNode& node) {
    LineBytes out;
    Emit(node, out);
    return out;
}

} // namespace zelm

// The structure model of a formula line: the tree of its structures, read from Text and the
// code string by the same family rules as the layout, and written back to a Text and code string.
// Every exchange format (LaTeX, MathML, UnicodeMath) and the spoken form start from this tree.
#pragma once

#include <string_view>
#include <vector>

#include "formula/DeclMath.h"
#include "formula/Types.h"

namespace zelm {

enum class NodeKind : unsigned char {
    Row,       ///< a sequence of items; children are the items in order
    Char,      ///< one ordinary Text byte (`value`): a letter, digit, operator or space
    Name,      ///< a function name (code 1); `value` is its parameter: the index in NameTable
               ///< is its low 7 bits (NameOfNode gives the name)
    Reference, ///< a formula reference (code 2); `value` is its place in the reference list
    Symbol,    ///< one "Symbol" character (code 4); `value` is its Symbol-font code
    Sign,     ///< a structure code that makes one sign (18, 19, 21, 32-35, 37); `value` is the kind
    Power,    ///< children: {content}; raised after the item before it in the row
    Index,    ///< children: {content}; lowered after the item before it in the row
    Fraction, ///< children: {numerator, denominator}
    Slanted,  ///< children: {numerator, denominator}
    Root,     ///< children: {index, radicand}; an empty index row is a square root
    Bracket,  ///< children: {content}
    Integral, ///< children: {lower, upper}; the integrand follows in the row
    Sum,      ///< children: {lower, upper}; the summand follows in the row
    Log,      ///< "log" (name 23; `value` its parameter) with children: {base}
    Underline, ///< children: {content}: the text between two underline switches (38) in one row
    Colour,    ///< children: {content}: the text between two colour switches (39) in one row
    Switch,    ///< a lone structure code (`value` = its kind): a switch (38, 39) without a
               ///< partner in its row, or a code of a structure that crosses another family's
               ///< (the layout allows that; no tree holds it); it makes nothing of its own
};

/// One node. `begin`/`end` are the Text positions it covers (0-based: from the caret position
/// in front of its first character to the one behind its last), so that a place in any
/// written form can be traced back to a caret position in the line.
struct MathNode {
    NodeKind kind = NodeKind::Row;
    unsigned char value = 0;
    int begin = 0, end = 0;
    std::vector<MathNode> children;
};

/// A whole line: its root row, and whether the line is a plain-text line.
struct MathTree {
    MathNode root;
    bool plainText = false;
};

/// The tree of a line's `text` (Text, without italic markers) and `codes` (its code string),
/// built by the layout's family rules: closers match per family, structures left open at the
/// end are closed as the layout closes them, codes without a part are left out. A line that
/// lays out without repair and its tree describe the same structures.
MathTree BuildTree(const Bytes& text, const Bytes& codes, bool plainText);

/// A Text and code string, as a line holds them.
struct LineBytes {
    Bytes text;
    Bytes codes;
    bool operator==(const LineBytes&) const = default;
};

/// The name a Name node stands for (empty for a parameter past the name table).
std::string_view NameOfNode(const MathNode& node);

/// The Text and code string that make `node` (usually a Row): the inverse of BuildTree for
/// every tree BuildTree makes.
LineBytes LineFromTree(const MathNode& node);

} // namespace zelm

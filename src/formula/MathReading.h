// What the LaTeX and MathML readers share: UTF-8 input, Unicode characters turned into the
// line's character sets (Windows-1252 and the "Symbol" font), and rows under construction.
#pragma once

#include <optional>
#include <string_view>

#include "formula/MathTree.h"

namespace zelm::reading {

/// The code point at `pos` of UTF-8 `s`, advancing `pos`; a malformed sequence gives U+FFFD
/// and advances one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& pos);

/// The "Symbol" font's character code of `u` (also under the other code points some of its
/// glyphs have), or nothing when the font lacks it.
std::optional<unsigned char> SymbolCodeOf(char32_t u);

/// A node without children.
MathNode Leaf(NodeKind kind, unsigned char value);
/// A node with the given children.
MathNode Node(NodeKind kind, std::vector<MathNode> children);

/// Appends the items of `from` (a Row) to `row`.
void Splice(MathNode& row, MathNode&& from);

/// Appends `u` as the line holds it: a Windows-1252 character, else a "Symbol" character,
/// else "?" (lossy). Control characters are dropped (lossy): bytes 1 to 6 are code characters.
void AppendCharacter(MathNode& row, char32_t u, bool& lossy);
/// Appends `u` met in mathematics: the characters of the line's signs (pi, the cross, the
/// dot, the bar) become those signs, invisible operators are dropped, the rest as above.
void AppendMathCharacter(MathNode& row, char32_t u, bool& lossy);
/// Appends every character of UTF-8 `text`.
void AppendText(MathNode& row, std::string_view text, bool& lossy);

/// The upright "d" sign a place in the tree takes: over a fraction bar the numerator's,
/// under it the denominator's, elsewhere the integral's (as the templates place them).
enum class DPlace : unsigned char { Elsewhere, Numerator, Denominator };
MathNode DSign(DPlace place);

/// The name-table index of `name`, or nothing.
std::optional<unsigned char> NameIndexOf(std::string_view name);
/// "log" with its base.
MathNode LogNode(MathNode base);
/// The node a function name makes: "log" owns its (empty) base region.
MathNode NameNode(unsigned char index);

} // namespace zelm::reading

// The nodes the LaTeX and MathML readers build: rows under construction, and Unicode characters
// appended as the line holds them (Windows-1252, else the "Symbol" font).
#pragma once

#include <optional>
#include <string_view>

#include "exchange/MathReaders.h"
#include "exchange/MathTree.h"
#include "formula/Charset.h"

namespace zelm::reading {

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
/// The plain letter or digit of a mathematical alphanumeric (𝑥, 𝐱, ℝ, 𝟏, ℎ), or 0; `styled`
/// is set when its style is other than the line's own (italic letters, upright digits).
char32_t PlainLetterOf(char32_t u, bool& styled);
/// Whether `u` is a space that only spaces maths (thin, medium, hair); wide ones are spaces.
bool IsThinSpace(char32_t u);
/// The "Symbol" byte of `u` beyond ASCII, its own bytes (±, °) included.
inline std::optional<unsigned char> SymbolByteOf(char32_t u) {
    if (u >= 0x80 && u <= 0xFF && SymbolToUnicode(static_cast<unsigned char>(u)) == u)
        return static_cast<unsigned char>(u);
    return u >= 0x80 ? UnicodeToSymbol(u) : std::nullopt;
}
/// Whether an `mspace` of `width` is a space (the writer's quarter em, or an em or wider).
bool IsWordSpace(std::string_view width);
/// Whether the line holds `u` (as a Windows-1252 or a "Symbol" character).
bool LineHolds(char32_t u);

/// Whether `row` holds an ASCII letter of its own (not inside a structure).
bool HasAsciiLetter(const MathNode& row);

/// Appends every character of UTF-8 `text`.
void AppendText(MathNode& row, std::string_view text, bool& lossy);

/// The upright "d" sign a place in the tree takes: over a fraction bar the numerator's,
/// under it the denominator's, elsewhere the integral's (as the templates place them).
enum class DPlace : unsigned char { Elsewhere, Numerator, Denominator };
MathNode DSign(DPlace place);

/// "log" with its base.
MathNode LogNode(MathNode base);
/// The node a function name makes: "log" owns its (empty) base region.
MathNode NameNode(unsigned char index);

/// A read formula as a line holds it: an underline inside another is underlined once (the
/// line's underline is a switch, which a second one would turn off), and that change is named.
std::optional<ReadResult> Finished(std::optional<ReadResult> read);

} // namespace zelm::reading

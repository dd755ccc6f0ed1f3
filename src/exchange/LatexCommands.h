// The commands the LaTeX reader knows, each with what it does.
#pragma once

#include <optional>
#include <string_view>

#include "exchange/MathTree.h"

namespace zelm::latex {

/// What a command does; the table in LatexCommands.cpp gives each command its action and value.
enum class Act : unsigned char {
    Symbol,     ///< a "Symbol" character (value: its code)
    Nearest,    ///< a character the line lacks: its nearest "Symbol" character (value), noted
    Char,       ///< a Windows-1252 character (value)
    Sign,       ///< a sign of the line (value: the structure kind)
    Name,       ///< a function name of the table (found by its own name)
    Word,       ///< an operator the name table lacks: its letters (value 1: spaced, 2: \pmod)
    Space,      ///< a wide space: the line's space (value 1: with a width argument)
    Drop,       ///< spacing and style switches that the line has no use for
    DropArg,    ///< the same with one argument
    Fraction,   ///< value 1: slanted
    Root,       ///< with its optional index
    Limits,     ///< integral or sum (value: the structure kind)
    Upright,    ///< \mathrm: the line's upright "d" and "e", else its content
    Text,       ///< text mode: its characters as they are (value 1: italic, noted)
    Operator,   ///< \operatorname: a name of the table, else its letters
    Content,    ///< a style the line shows anyway: its content
    Lossy,      ///< a style or accent the line cannot show: its content, lossy
    Underline,  ///< the underline switches around the content
    Colour,     ///< \textcolor: the colour switches around the content
    ColourRest, ///< \color: the colour switches around the rest of the group
    Binomial,   ///< its two arguments in brackets, lossy
    Over,       ///< \over: what came before over what follows
};

struct Command {
    std::string_view name;
    Act act;
    unsigned char value = 0;
};

/// The command of that name (without its backslash), or nothing.
const Command* FindCommand(std::string_view name);

/// TeX's white space.
bool IsTexSpace(char c);
/// Where the white space and comments of `s` from `at` end.
std::size_t AfterTexSpace(std::string_view s, std::size_t at);
/// The name of the command at the backslash at `at` of `s`, or nothing.
std::string_view CommandAt(std::string_view s, std::size_t at);
/// Whether the comma that ends `row`, read from `s` up to `at`, lists numbers: a digit before
/// it, white space and a digit after it ("1, 2"), not the decimal comma of "1,2".
bool IsListComma(const MathNode& row, std::string_view s, std::size_t at);
/// Environments that hold one formula, perhaps aligned over several rows.
bool IsFormulaEnvironment(std::string_view env);
/// The formula without the math delimiters around it.
std::string_view WithoutDelimiters(std::string_view s);
/// The character of a delimiter command after \left, \middle or \right, or nothing.
std::optional<char32_t> DelimiterOf(std::string_view command);
/// The font's struck-through form of a relation read as one item (=, \in, \subset), or nothing.
std::optional<unsigned char> StruckSign(const MathNode& relation);

/// How a colour of \color or \textcolor comes in: the line shows one colour for coloured text.
enum class ColourFit : unsigned char {
    Line,  ///< the line's own colour (red, as the writer writes it)
    None,  ///< black: uncoloured text
    Other, ///< a colour the line cannot show
};
/// The fit of colour `value` in `model` (empty: a name or #RRGGBB).
ColourFit FitColour(std::string_view model, std::string_view value);

/// Puts the quote that keeps a name plain text in front of every run of characters in `row`
/// that the line would otherwise recognise as one of its names ("cosh" is not cos and h).
void ShieldNames(MathNode& row);

} // namespace zelm::latex

// The commands the LaTeX reader knows, each with what it does.
#pragma once

#include <string_view>

namespace zelm::latex {

/// What a command does; the table in LatexCommands.cpp gives each command its action and value.
enum class Act : unsigned char {
    Symbol,     ///< a "Symbol" character (value: its code)
    Char,       ///< a Windows-1252 character (value)
    Sign,       ///< a sign of the line (value: the structure kind)
    Name,       ///< a function name of the table (found by its own name)
    Drop,       ///< spacing and style switches that the line has no use for
    DropArg,    ///< the same with one argument
    Fraction,   ///< value 1: slanted
    Root,       ///< with its optional index
    Limits,     ///< integral or sum (value: the structure kind)
    Upright,    ///< \mathrm: the line's upright "d" and "e", else its content
    Text,       ///< text mode: its characters as they are
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

} // namespace zelm::latex

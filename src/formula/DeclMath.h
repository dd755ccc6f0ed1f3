// Shared declarations of the formula format: the code characters, the name table, the
// structure kinds and the Dutch colour names.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "formula/Types.h"

namespace zelm {

/// Code characters in a formula text (bytes 1 to 6).
namespace Code {
constexpr char Name = 1;      ///< function name; parameter: index into the name table
constexpr char Reference = 2; ///< formula reference; parameter: 1-based place in the list
constexpr char Structure = 3; ///< structure code; parameter: the structure kind
constexpr char Symbol = 4;    ///< one "Symbol" character; parameter: its character code
constexpr char ItalicOn = 5;  ///< only in Cursieftext
constexpr char ItalicOff = 6; ///< only in Cursieftext
} // namespace Code

/// True for the code characters that own a parameter byte in the code string (1 to 4).
constexpr bool HasParameter(char c) {
    return c >= 1 && c <= 4;
}
/// True for every code character (1 to 6).
constexpr bool IsCodeChar(char c) {
    return c >= 1 && c <= 6;
}
/// True for the italic markers 5 and 6.
constexpr bool IsItalicMarker(char c) {
    return c == 5 || c == 6;
}

/// The 43 names; entries 10 to 40 are recognised in typed text, in this order.
extern const std::array<std::string_view, 43> NameTable;
/// The name-table index of `name`, or nothing.
std::optional<unsigned char> NameIndexOf(std::string_view name);
constexpr int FirstRecognisedName = 10;
constexpr int LastRecognisedName = 40;
constexpr int NameLog = 23;
constexpr int NameNormv = 31;
constexpr int NameCumnv = 32;

/// Structure kinds: the parameter of a structure code (byte 3).
enum class StructKind : unsigned char {
    Power = 7,
    PowerEnd = 8,
    Root = 12,
    RootEnd = 13,
    Fraction = 15,
    FractionBar = 16,
    FractionEnd = 17,
    NumeratorD = 18,   ///< the upright "d" over a derivative's fraction bar
    DenominatorD = 19, ///< the upright "d" under it, before the variable
    Integral = 20,
    IntegralD = 21, ///< the upright "d" behind an integrand, before its variable
    Sum = 22,
    Bracket = 23,
    BracketEnd = 24,
    Separator = 25,
    Slanted = 26,
    Slash = 27,
    SlantedEnd = 28,
    Index = 30,
    IndexEnd = 31,
    Pi = 32,
    BoldE = 33,
    BoldX = 34,
    Dot = 35,
    Bar = 37,
    Underline = 38,
    Colour = 39,
};

/// The kind a parameter byte names, or nothing for the bytes that make no part.
std::optional<StructKind> StructKindOf(unsigned char parameter);

/// Byte value of a kind, as stored in the code string.
constexpr char KindByte(StructKind k) {
    return char(static_cast<unsigned char>(k));
}

/// The structure families, each with its own nesting counter during layout, in the order in
/// which the end of a layout pass closes them.
enum class Family { Root, Power, Fraction, Slanted, Bracket, IndexRegion, Index };
constexpr int FamilyCount = 7;
/// The closer that ends one level of a family.
StructKind CloserOf(Family f);

struct ColourName {
    std::string_view name;
    ColorRef value;
};
/// The 16 standard colours with their Dutch names.
extern const std::array<ColourName, 16> ColourNames;

} // namespace zelm

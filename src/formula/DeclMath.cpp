#include "formula/DeclMath.h"

namespace zelm {

const std::array<std::string_view, 43> NameTable = {
    "=",         "?",     "~",     "<",       ">",          "+",     "-",      "*",    ":",
    "^",         "neg",   "abs",   "tiental", "hex",        "exp",   "geheel", "cos",  "arcsin",
    "arctan",    "sin",   "tan",   "ln",      "fac",        "log",   "wrt",    "perm", "comb",
    "losop",     "2eafg", "afg",   "cumkans", "normv",      "cumnv", "som",    "kans", "intgr",
    "ExFunctie", "Reeks", "2eWrt", "Log",     "intgr[0,x]", "Antw",  "geen",
};

std::optional<StructKind> StructKindOf(unsigned char p) {
    switch (p) {
    case 7:
    case 8:
    case 12:
    case 13:
    case 15:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
    case 28:
    case 30:
    case 31:
    case 32:
    case 33:
    case 34:
    case 35:
    case 37:
    case 38:
    case 39:
        return static_cast<StructKind>(p);
    default:
        return std::nullopt;
    }
}

StructKind CloserOf(Family f) {
    switch (f) {
    case Family::Root:
        return StructKind::RootEnd;
    case Family::Power:
        return StructKind::PowerEnd;
    case Family::Fraction:
        return StructKind::FractionEnd;
    case Family::Slanted:
        return StructKind::SlantedEnd;
    case Family::Bracket:
        return StructKind::BracketEnd;
    case Family::IndexRegion:
        return StructKind::Separator;
    case Family::Index:
        return StructKind::IndexEnd;
    }
    return StructKind::PowerEnd;
}

const std::array<ColourName, 16> ColourNames = {{
    {"Zwart", 0x00000000},
    {"Kastanjebruin", 0x00000080},
    {"Groen", 0x00008000},
    {"Olijfgroen", 0x00008080},
    {"Marineblauw", 0x00800000},
    {"Paars", 0x00800080},
    {"Groenblauw", 0x00808000},
    {"Grijs", 0x00808080},
    {"Zilver", 0x00C0C0C0},
    {"Rood", 0x000000FF},
    {"Lichtgroen", 0x0000FF00},
    {"Geel", 0x0000FFFF},
    {"Blauw", 0x00FF0000},
    {"Fuchsiapaars", 0x00FF00FF},
    {"Zeeblauw", 0x00FFFF00},
    {"Wit", 0x00FFFFFF},
}};

std::optional<unsigned char> NameIndexOf(std::string_view name) {
    for (std::size_t i = 0; i < NameTable.size(); ++i)
        if (NameTable[i] == name) return static_cast<unsigned char>(i);
    return std::nullopt;
}

} // namespace zelm

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
    // Every kind named, so that a new one is recognised here too; other bytes fall through.
    const auto k = static_cast<StructKind>(p);
    switch (k) {
    case StructKind::Power:
    case StructKind::PowerEnd:
    case StructKind::Root:
    case StructKind::RootEnd:
    case StructKind::Fraction:
    case StructKind::FractionBar:
    case StructKind::FractionEnd:
    case StructKind::NumeratorD:
    case StructKind::DenominatorD:
    case StructKind::Integral:
    case StructKind::IntegralD:
    case StructKind::Sum:
    case StructKind::Bracket:
    case StructKind::BracketEnd:
    case StructKind::Separator:
    case StructKind::Slanted:
    case StructKind::Slash:
    case StructKind::SlantedEnd:
    case StructKind::Index:
    case StructKind::IndexEnd:
    case StructKind::Pi:
    case StructKind::BoldE:
    case StructKind::BoldX:
    case StructKind::Dot:
    case StructKind::Bar:
    case StructKind::Underline:
    case StructKind::Colour:
        return k;
    }
    return std::nullopt;
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

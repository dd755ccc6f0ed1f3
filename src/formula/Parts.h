// The part list of a laid-out formula line: element 0 is a header, elements 1 to n the parts.
#pragma once

#include <string>
#include <vector>

namespace zelm {

/// What a part is and how the painter draws it.
enum class PartKind : int {
    Text = 0,            ///< a run of plain characters
    Name = 1,            ///< function name or formula reference, bold
    FractionOpen = 2,    ///< fraction opener 15 (empty)
    FractionBarCode = 3, ///< fraction bar code 16 (empty)
    FractionClose = 4,   ///< fraction closer 17 (empty)
    RootClose = 5,       ///< root closer 13 (empty)
    PowerOpen = 6,
    PowerClose = 7,
    IndexOpen = 8,
    IndexClose = 9,
    Symbol = 10,    ///< one character in the "Symbol" face
    BoldSign = 11,  ///< "e", "x", "|" bold; the switches 38 and 39 (empty)
    BoldD = 12,     ///< "d" bold
    Separator = 13, ///< index-region separator 25 (empty)
    RootSign = 14,
    FractionBar = 15,
    BracketOpen = 16,
    BracketClose = 17,
    Dot = 18,
    SlantedOpen = 19,
    Slash = 20,
    SlantedClose = 21,
};

/// One positioned part. Byte and 16-bit fields of the original record are plain ints here so
/// that long lines never overflow.
struct TTextdeel {
    PartKind Kind = PartKind::Text;
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Baseline = 0;   ///< Bottom plus the pinned descent D when the part was added
    int TextPos = 0;    ///< 0-based index in Cursieftext of the part's first character
    int Len = 0;        ///< characters of Cursieftext the part stands for
    int FontHeight = 0; ///< platform convention; brackets store minus their grown height
    int LineWidth = 0;  ///< underline thickness (strike-out thickness for the dot)
    int Extra = 0;      ///< root sign: distance from its right edge to the root's closer
    int Italic = 0;
    int Underline = 0;
    int Coloured = 0;
    int Level = 0;
    int Partner = 0;
    int Pending = 0;
    int Mode = 0;
    char FirstChar = 0;
    std::string Name; ///< name parts only
    bool operator==(const TTextdeel&) const = default;
};

/// The part list; element 0 is the header (Left = width, Top = height, Right = part count,
/// low byte of Bottom = repair flag).
struct TTextdelen {
    std::vector<TTextdeel> items{TTextdeel{}};

    int Width() const { return items[0].Left; }
    int Height() const { return items[0].Top; }
    int Count() const { return items[0].Right; }
    bool Repaired() const { return (items[0].Bottom & 0xFF) != 0; }
    TTextdeel& operator[](int i) { return items[std::size_t(i)]; }
    const TTextdeel& operator[](int i) const { return items[std::size_t(i)]; }
};

} // namespace zelm

// Part lists built by hand as the layout would place them for the fixed canvas's default font
// (Tahoma, height -16, so c = 16): top margin 16/8 = 2, tmHeight 16 + 4 = 20, descent D = -4.
// A part on the main line therefore has Top 2, Bottom 2 + 20 = 22 and Baseline 22 - 4 = 18,
// and the underline thickness (LineWidth) is max(1, 16/16) = 1.
#pragma once

#include <vector>

#include "formula/Parts.h"

namespace zelm::test {

inline TTextdeel MakePart(PartKind kind, int left, int right, int textPos, int len) {
    TTextdeel p;
    p.Kind = kind;
    p.Left = left;
    p.Top = 2;
    p.Right = right;
    p.Bottom = 22;
    p.Baseline = 18;
    p.TextPos = textPos;
    p.Len = len;
    p.FontHeight = -16;
    p.LineWidth = 1;
    return p;
}

/// A one-character sign part drawing `ch`.
inline TTextdeel MakeSign(PartKind kind, int left, int right, int textPos, char ch) {
    TTextdeel p = MakePart(kind, left, right, textPos, 1);
    p.FirstChar = ch;
    return p;
}

/// A part list holding `parts` after its header.
inline TTextdelen MakeList(const std::vector<TTextdeel>& parts) {
    TTextdelen list;
    for (const TTextdeel& p : parts)
        list.items.push_back(p);
    list[0].Right = int(parts.size());
    return list;
}

} // namespace zelm::test

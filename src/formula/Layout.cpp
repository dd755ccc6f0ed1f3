// Placeholder until the layout lands: one text part for the whole line.
#include "formula/Layout.h"

namespace zelm {

TTextdelen LayoutFormula(Bytes& cursief, Bytes&, Canvas& canvas, const LayoutVariant&) {
    TTextdelen list;
    TTextdeel p;
    Size s = canvas.TextExtent(cursief);
    p.Right = s.cx;
    p.Bottom = s.cy;
    p.Len = int(cursief.size());
    list.items.push_back(p);
    list[0].Left = s.cx;
    list[0].Top = s.cy;
    list[0].Right = 1;
    return list;
}

} // namespace zelm

// The work of one keystroke on the program's test lines, shared by the benchmarks and by the
// instruction-count guard of the tests: the Text setter, then a full paint into an image.
#pragma once

#include <QImage>

#include "formula/DeclMath.h"
#include "formula/EditorGlobals.h"
#include "formula/MathLine.h"
#include "formula/Painter.h"
#include "platform/QtCanvas.h"

namespace zelm::bench {

struct Formula {
    Bytes text;
    Bytes codes;
};

// Appends a structure code of kind k.
inline void Code(Formula& f, StructKind k) {
    f.text += Code::Structure;
    f.codes += KindByte(k);
}

// " y=sin(x)+1/2": a name, letters and a slanted fraction, as typed.
inline Formula ShortLine() {
    Formula f{" y=sin(x)+", {}};
    Code(f, StructKind::Slanted);
    f.text += "1";
    Code(f, StructKind::Slash);
    f.text += "2";
    Code(f, StructKind::SlantedEnd);
    return f;
}

// One group of nested structures: a bracket around a fraction whose numerator holds a power
// over an index and whose denominator holds a root with an index, then a "log" base and a sum.
inline void NestedGroup(Formula& f) {
    Code(f, StructKind::Bracket);
    Code(f, StructKind::Fraction);
    f.text += "x";
    Code(f, StructKind::Index);
    f.text += "i";
    Code(f, StructKind::IndexEnd);
    Code(f, StructKind::Power);
    f.text += "2";
    Code(f, StructKind::PowerEnd);
    f.text += "+cos a";
    Code(f, StructKind::FractionBar);
    Code(f, StructKind::Root);
    f.text += "3";
    Code(f, StructKind::Separator);
    f.text += "y+1";
    Code(f, StructKind::RootEnd);
    Code(f, StructKind::FractionEnd);
    Code(f, StructKind::BracketEnd);
    f.text += "+";
    Code(f, StructKind::Sum);
    f.text += "k=1";
    Code(f, StructKind::Separator);
    f.text += "n";
    Code(f, StructKind::Separator);
    f.text += "k ";
}

// A line of exactly 255 characters made of nested groups, padded with plain text.
inline Formula LongLine() {
    Formula f{" ", {}};
    while (true) {
        Formula next = f;
        NestedGroup(next);
        if (next.text.size() > 255) break;
        f = next;
    }
    while (f.text.size() < 255)
        f.text += "z";
    return f;
}

// " (a+b)": one bracket around a sum, as typed.
inline Formula BracketedSum(const char* sum) {
    Formula f{" ", {}};
    Code(f, StructKind::Bracket);
    f.text += sum;
    Code(f, StructKind::BracketEnd);
    return f;
}

/// The largest font size the program offers, 1638 points, as a cell height in pixels.
constexpr int LargestFontPixels = 2184;

// One keystroke's setter run on a line in formula mode (the code string is reset first, since
// recognition replaces the names).
inline void RunSetter(MathLine& line, const Formula& f) {
    line.SetCodes(f.codes);
    line.Selstart = line.Seleinde = line.CaretPos = 1;
    line.SetText(f.text);
}

// The whole of one keystroke as the line editor does it: the setter, then a full paint (the
// text changed, so the background is cleared) into an offscreen image, with the sprites of the
// paints before it, as a window's lines have them.
inline void PaintInto(QImage& surface, const MathLine& line, SpriteCache& sprites) {
    QtCanvas canvas(surface, line.LayoutFont(), &sprites);
    EditorState().eraseBackground = true;
    PaintLine(canvas, PaintInputOf(line, Rect{0, 0, surface.width(), surface.height()}));
}

} // namespace zelm::bench

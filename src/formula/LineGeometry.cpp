#include "formula/LineGeometry.h"

#include <algorithm>

namespace zelm {

namespace {

bool Holds(const TTextdeel& p, Point pt) {
    return p.Left <= pt.x && pt.x < p.Right && p.Top <= pt.y && pt.y < p.Bottom;
}

bool IsMarker(const Bytes& s, int i) {
    return i >= 0 && i < int(s.size()) && IsItalicMarker(s[std::size_t(i)]);
}

// Number of the characters of `s` that fit, from the left, into `width` in the selected font.
int CharsThatFit(Canvas& c, const Bytes& s, int width) {
    int n = 0;
    while (n < int(s.size()) && c.TextExtent(s.substr(0, std::size_t(n + 1))).cx <= width)
        ++n;
    return n;
}

} // namespace

int PartUnderPoint(const MathLine& line, Point pt) {
    const TTextdelen& parts = line.PartList();
    const int count = line.PartCount();
    for (int i = 1; i <= count; ++i) {
        if (!Holds(parts[i], pt)) continue;
        if (parts[i].Kind != PartKind::RootSign) return i;
        // On a root sign: a part of the root's index holding the point wins; the index ends at
        // the first separator.
        int j = i + 1;
        while (j <= count && !Holds(parts[j], pt) && parts[j].Kind != PartKind::Separator)
            ++j;
        if (j <= count && parts[j].Kind == PartKind::Separator) return i;
    }
    return 0;
}

int HitTest(MathLine& line, Point pt, bool nearest) {
    const TTextdelen& parts = line.PartList();
    int i = PartUnderPoint(line, pt);
    if (i == 0) {
        for (int k = 1; k <= line.PartCount() && i == 0; ++k)
            if (parts[k].Right >= pt.x) i = k;
        if (i == 0) return -1;
    }
    const TTextdeel& part = parts[i];
    const Bytes& cursief = line.Cursieftext();
    Canvas& c = line.Measure();

    FontDesc f = line.LayoutFont();
    f.height = part.FontHeight;
    f.italic = part.Italic;
    const int oldExtra = c.SetTextCharacterExtra(part.Italic);
    const FontDesc old = c.SelectFont(f);

    const int from = std::min<int>(part.TextPos, int(cursief.size()));
    const Bytes chars = cursief.substr(std::size_t(from), std::size_t(std::max(0, part.Len)));
    int n = part.Len == 1 ? 0 : CharsThatFit(c, chars, pt.x - part.Left);
    if (nearest) {
        const int at = part.TextPos + n;
        const int w =
            at < int(cursief.size()) ? c.TextExtent(cursief.substr(std::size_t(at), 1)).cx : 0;
        n = CharsThatFit(c, chars, pt.x - part.Left + w / 2);
    }
    int r = part.TextPos + n;

    c.SelectFont(old);
    c.SetTextCharacterExtra(oldExtra);
    if (IsMarker(cursief, r)) ++r;
    return r;
}

void ClickAt(MathLine& line, Point pt) {
    line.DispCaret = HitTest(line, pt, false);
    if (line.DispCaret == -1) line.DispCaret = int(line.Cursieftext().size());
    line.DispSelStart = line.DispSelEnd = line.DispCaret;
    line.DisplayToText();
}

bool DragTo(MathLine& line, Point pt) {
    if (pt.x < 0) pt.x = 0;
    const int d = HitTest(line, pt, true);
    if (d < 0) return false;
    if (d != line.DispSelStart && d != line.DispSelEnd) {
        if (line.DispSelStart < d)
            line.DispSelEnd = d;
        else
            line.DispSelStart = d;
        if (line.DispSelEnd < line.DispCaret) line.DispCaret = line.DispSelEnd;
        return true;
    }
    if (d == line.DispCaret) {
        line.DispSelEnd = d;
        return true;
    }
    return false;
}

bool SelectPartAtCaret(MathLine& line) {
    const TTextdelen& parts = line.PartList();
    int i = 1;
    while (i <= line.PartCount() && parts[i].TextPos + parts[i].Len <= line.DispCaret)
        ++i;
    if (i > line.PartCount()) return false;
    line.DispSelStart = parts[i].TextPos;
    line.DispSelEnd = parts[i].TextPos + parts[i].Len;
    line.DispCaret = line.DispSelStart;
    const bool firstPart = line.DispSelStart == 0;
    if (firstPart) line.DispSelEnd = int(line.Cursieftext().size());
    line.DisplayToText();
    // The whole line selected up to its last character is what the Text setter takes for
    // "replace everything"; reaching one past the end, as select all does, keeps the content.
    if (firstPart) line.Seleinde = int(line.Text().size()) + 1;
    line.SetText(line.Text());
    return true;
}

void SelectAllPositions(MathLine& line) {
    line.CaretPos = int(line.Text().size()) + 1;
    line.Selstart = 0;
    line.Seleinde = line.CaretPos;
    line.TextToDisplay();
}

std::array<Point, 6> IBeamMarker(const TTextdeel& part, int x) {
    const int h = part.FontHeight / 4;
    return {Point{x, part.Bottom},      Point{x, part.Top},        Point{x + h, part.Top + 1},
            Point{x - h, part.Top + 1}, Point{x + h, part.Bottom}, Point{x - h, part.Bottom}};
}

} // namespace zelm

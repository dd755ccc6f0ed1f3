#include "support/FixedCanvas.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zelm::test {

int CharHeight(int height) {
    return height < 0 ? -height : (4 * height) / 5;
}

FontMetrics FixedMetrics(const FontDesc& f) {
    const int c = CharHeight(f.height);
    FontMetrics m;
    m.hasOutline = f.face != "NoOutline";
    m.tmHeight = c + c / 4;
    m.tmAscent = c;
    m.tmDescent = c / 4;
    m.tmAveCharWidth = c / 2;
    if (!m.hasOutline) return m;
    m.otmAscent = c - c / 8;
    m.otmDescent = -(c / 4);
    m.superscriptSizeX = m.superscriptSizeY = c / 2;
    m.superscriptOffsetX = c / 8;
    m.superscriptOffsetY = c / 2;
    m.subscriptSizeX = m.subscriptSizeY = c / 2;
    m.subscriptOffsetX = c / 8;
    m.subscriptOffsetY = c / 4;
    m.underscorePosition = -(c / 8);
    m.underscoreSize = std::max(1, c / 16);
    m.strikeoutSize = std::max(1, c / 16);
    m.strikeoutPosition = c / 4;
    return m;
}

int FixedCharWidth(const FontDesc& f, unsigned char ch) {
    const int c = CharHeight(f.height);
    if (f.face == "Symbol") return ch == ' ' ? c / 3 : c / 2;
    int w;
    switch (ch) {
    case ' ':
        w = c / 4;
        break;
    case 'W':
    case 'M':
    case 'm':
        w = c;
        break;
    case 'i':
    case 'l':
    case '1':
    case '|':
    case '.':
        w = c / 4;
        break;
    default:
        w = c / 2;
        break;
    }
    return w + (f.weight >= 600 ? 1 : 0);
}

FixedCanvas::FixedCanvas(FontDesc start) : font_(std::move(start)) {}

FontDesc FixedCanvas::SelectFont(const FontDesc& f) {
    ++fontsSelected;
    FontDesc old = font_;
    font_ = f;
    return old;
}

Size FixedCanvas::TextExtent(const Bytes& s) {
    int w = 0;
    for (unsigned char ch : s)
        w += FixedCharWidth(font_, ch) + extra_;
    return {w, FixedMetrics(font_).tmHeight};
}

std::string HexColor(ColorRef c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
    return buf;
}

static std::string Printable(const Bytes& s) {
    std::string out;
    for (unsigned char ch : s) {
        if (ch < 32 || ch >= 127 || ch == '"' || ch == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", ch);
            out += buf;
        } else {
            out += char(ch);
        }
    }
    return out;
}

void FixedCanvas::TextOut(const Bytes& s) {
    log.push_back("text " + std::to_string(pos_.x) + "," + std::to_string(pos_.y) + " \"" +
                  Printable(s) + "\" " + font_.face + " h" + std::to_string(font_.height) + " w" +
                  std::to_string(font_.weight) + " i" + std::to_string(font_.italic) + " u" +
                  std::to_string(font_.underline) + " x" + std::to_string(extra_) + " c" +
                  HexColor(textColor_) + " bk" +
                  (bkColor_ == SystemHighlight ? std::string("highlight") : HexColor(bkColor_)));
    if (baselineCP_) pos_.x += TextExtent(s).cx;
}

std::string FixedCanvas::PenText() const {
    return std::string(pen_.style == PenStyle::Dot ? " dot" : " solid") +
           std::to_string(pen_.width) + " c" + HexColor(pen_.color) +
           (rop_ == RasterOp::Not ? " not" : "");
}

static std::string Points(const std::vector<Point>& pts) {
    std::string out;
    for (const Point& p : pts)
        out += " " + std::to_string(p.x) + "," + std::to_string(p.y);
    return out;
}

void FixedCanvas::FillRect(const Rect& r, ColorRef c) {
    const std::string colour = c == SystemHighlight ? "highlight" : HexColor(c);
    log.push_back("fill " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                  std::to_string(r.right) + "," + std::to_string(r.bottom) + " " + colour);
}

void FixedCanvas::Polyline(const std::vector<Point>& pts) {
    log.push_back("polyline" + Points(pts) + PenText());
}

void FixedCanvas::PolyPolyline(const std::vector<std::vector<Point>>& lines) {
    std::string s = "polypolyline";
    for (const auto& l : lines)
        s += " [" + Points(l).substr(1) + "]";
    log.push_back(s + PenText());
}

void FixedCanvas::PolyBezier(const std::vector<Point>& pts) {
    log.push_back("bezier" + Points(pts) + PenText());
}

void FixedCanvas::Ellipse(const Rect& b) {
    log.push_back("ellipse " + std::to_string(b.left) + "," + std::to_string(b.top) + " " +
                  std::to_string(b.right) + "," + std::to_string(b.bottom) + PenText() +
                  (brush_.null ? " nobrush" : " brush" + HexColor(brush_.color)));
}

} // namespace zelm::test

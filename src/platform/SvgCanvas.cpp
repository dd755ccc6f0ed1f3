#include "platform/SvgCanvas.h"

#include <algorithm>
#include <cstdio>

#include "formula/Charset.h"
#include "platform/QtCanvas.h"

namespace zelm {

namespace {

// Pieces smaller than this are gathered before they go out.
constexpr std::size_t PieceBytes = 1 << 16;

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string Colour(ColorRef c) {
    return ToQColor(c).name(QColor::HexRgb).toStdString();
}

void AppendEscaped(std::string& out, char32_t c) {
    switch (c) {
    case '&':
        out += "&amp;";
        break;
    case '<':
        out += "&lt;";
        break;
    case '>':
        out += "&gt;";
        break;
    default:
        AppendUtf8(out, c);
    }
}

// A family name in single quotes, without the characters that would end the quote or the
// attribute.
std::string Quoted(const QString& family) {
    std::string out = "'";
    for (QChar c : family)
        if (c != '\'' && c != '"' && c != '&' && c != '<' && c != '\\')
            AppendUtf8(out, c.unicode());
    return out + "'";
}

// The face that draws the text here comes first: a reader that has it draws the same glyphs.
// The document's own name follows for a reader that has that face instead (an "Arial" that
// this system draws with Liberation Sans, a Windows reader's "Symbol").
std::string FamilyList(const ResolvedFont& f) {
    const QString own = FromCp1252(f.desc.face);
    std::string list = Quoted(f.family);
    if (!own.isEmpty() && own.compare(f.family, Qt::CaseInsensitive) != 0)
        list += ", " + Quoted(own);
    return list;
}

// Characters that show nothing are left out: each character has a position of its own, so a
// space only separates.
bool Shows(char32_t c) {
    return c > ' ' && c != 0x7F && !(c >= 0x80 && c < 0xA0) && c != 0xA0;
}

} // namespace

SvgCanvas::SvgCanvas(int width, int height, FontDesc start, ByteSink out)
    : MeasuringCanvas(std::move(start)), out_(std::move(out)) {
    Canvas::SetBkMode(BkMode::Transparent);
    const std::string w = std::to_string(std::max(1, width));
    const std::string h = std::to_string(std::max(1, height));
    buffer_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
              w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h + "\">\n";
}

SvgCanvas::~SvgCanvas() = default;

void SvgCanvas::Flush(bool always) {
    if (buffer_.empty() || (!always && buffer_.size() < PieceBytes)) return;
    out_(buffer_);
    buffer_.clear();
}

void SvgCanvas::Finish() {
    buffer_ += "</svg>\n";
    Flush(true);
}

void SvgCanvas::Rectangle(int x, int y, int w, int h, ColorRef c) {
    buffer_ += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
               std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" fill=\"" + Colour(c) +
               "\"/>\n";
}

// The run as the screen draws it: its cell on an opaque background, each character at its
// measured advance, a second strike one pixel on for a bold drawn no heavier than its regular,
// and the underline and strike-out as bars of the font's own thickness.
void SvgCanvas::TextOut(const Bytes& s) {
    const std::shared_ptr<const ResolvedFont> resolved = ResolveFont(Font());
    const ResolvedFont& f = *resolved;
    const FontMetrics& m = f.metrics;
    const int extra = TextCharacterExtra();
    const int width = TextExtent(s).cx;
    const int baseline = baselineCP_ ? pos_.y : pos_.y + m.tmAscent;
    const int x = pos_.x;
    if (baselineCP_) pos_.x += width;
    if (s.empty()) return;
    if (CurrentBkMode() == BkMode::Opaque)
        Rectangle(x, baseline - m.tmAscent, width, m.tmHeight, bkColor_);
    std::string element = "<text y=\"" + std::to_string(baseline) + "\" font-family=\"" +
                          FamilyList(f) + "\" font-size=\"" + std::to_string(f.font.pixelSize()) +
                          "\"";
    if (f.desc.weight > 400) element += " font-weight=\"" + std::to_string(f.desc.weight) + "\"";
    if (f.desc.italic) element += " font-style=\"italic\"";
    element += " fill=\"" + Colour(textColor_) + "\">";
    const std::size_t empty = element.size();
    for (int strike = 0; strike < (f.doubleStrike ? 2 : 1); ++strike) {
        element.resize(empty);
        int at = x + strike;
        for (unsigned char b : s) {
            if (Shows(f.chars[b])) {
                element += "<tspan x=\"" + std::to_string(at) + "\">";
                AppendEscaped(element, f.chars[b]);
                element += "</tspan>";
            }
            at += f.widths[b] + extra;
        }
        if (element.size() > empty) buffer_ += element + "</text>\n";
    }
    if (f.desc.underline)
        Rectangle(x, baseline - m.underscorePosition, width, std::max(1, m.underscoreSize),
                  textColor_);
    if (f.desc.strikeOut)
        Rectangle(x, baseline - m.strikeoutPosition, width, std::max(1, m.strikeoutSize),
                  textColor_);
    Flush(false);
}

void SvgCanvas::FillRect(const Rect& r, ColorRef c) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    Rectangle(r.left, r.top, r.right - r.left, r.bottom - r.top, c);
    Flush(false);
}

// A line of odd width is drawn on the pixel centres, where the screen puts its pixels; a thin
// line has flat ends, a wide one round ends, as on the screen.
std::string SvgCanvas::StrokeAttributes(bool fill) const {
    const int width = std::max(1, pen_.width);
    const bool thin = pen_.width <= 1;
    std::string a = " fill=\"" + (fill && !brush_.null ? Colour(brush_.color) : "none") +
                    "\" stroke=\"" + Colour(pen_.color) + "\" stroke-width=\"" +
                    std::to_string(width) + "\"";
    a += thin ? " stroke-linecap=\"butt\" stroke-linejoin=\"miter\""
              : " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
    if (pen_.style == PenStyle::Dot) a += " stroke-dasharray=\"1 1\"";
    if (width % 2 != 0) a += " transform=\"translate(0.5 0.5)\"";
    return a;
}

void SvgCanvas::Polyline(const std::vector<Point>& pts) {
    if (pts.size() < 2) return;
    buffer_ += "<polyline points=\"";
    for (const Point& p : pts)
        buffer_ += std::to_string(p.x) + "," + std::to_string(p.y) + " ";
    buffer_.back() = '"';
    buffer_ += StrokeAttributes(false) + "/>\n";
    Flush(false);
}

void SvgCanvas::PolyPolyline(const std::vector<std::vector<Point>>& lines) {
    for (const auto& line : lines)
        Polyline(line);
}

void SvgCanvas::PolyBezier(const std::vector<Point>& pts) {
    if (pts.size() < 4) return;
    buffer_ += "<path d=\"M" + std::to_string(pts[0].x) + " " + std::to_string(pts[0].y);
    for (std::size_t i = 1; i + 2 < pts.size(); i += 3) {
        buffer_ += " C";
        for (std::size_t k = i; k < i + 3; ++k)
            buffer_ += " " + std::to_string(pts[k].x) + " " + std::to_string(pts[k].y);
    }
    buffer_ += "\"" + StrokeAttributes(false) + "/>\n";
    Flush(false);
}

// The box's right and bottom edges lie outside the figure.
void SvgCanvas::Ellipse(const Rect& box) {
    if (box.right <= box.left || box.bottom <= box.top) return;
    buffer_ += "<ellipse cx=\"" + Number((box.left + box.right - 1) / 2.0) + "\" cy=\"" +
               Number((box.top + box.bottom - 1) / 2.0) + "\" rx=\"" +
               Number((box.right - box.left - 1) / 2.0) + "\" ry=\"" +
               Number((box.bottom - box.top - 1) / 2.0) + "\"" + StrokeAttributes(true) + "/>\n";
    Flush(false);
}

} // namespace zelm

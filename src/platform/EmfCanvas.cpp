#include "platform/EmfCanvas.h"

#include <algorithm>

#include "platform/FontMetricsTables.h"
#include "platform/QtCanvas.h"

namespace zelm {

namespace {

// The reference device: 96 pixels per inch, a frame in hundredths of a millimetre.
constexpr int ReferenceDpi = 96;
constexpr int HundredthsMmPerInch = 2540;
constexpr int ReferenceWidth = 1920, ReferenceHeight = 1080;

constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t EmfVersion = 0x10000;
constexpr std::uint32_t StockObject = 0x80000000u;
constexpr std::uint32_t BkModeTransparent = 1, BkModeOpaque = 2;
constexpr std::uint32_t TaBaseline = 24, TaTop = 0;
constexpr std::uint32_t R2Not = 6, R2CopyPen = 13;
constexpr std::uint32_t PsSolid = 0, PsDot = 2, PsNull = 5;
constexpr std::uint32_t BsSolid = 0, BsNull = 1;
constexpr std::uint32_t GmCompatible = 1;
constexpr int SymbolCharset = 2;
constexpr int FaceNameChars = 32;
constexpr int EndRecordSize = 20;

int HundredthsMm(int pixels) {
    return pixels * HundredthsMmPerInch / ReferenceDpi;
}

int Padded(int bytes) {
    return (bytes + 3) / 4 * 4;
}

// The character a byte stands for in the record. A symbol font is recorded with its own codes,
// as its character set says; readers map them to their symbol glyphs.
char16_t RecordedChar(unsigned char b, bool symbol) {
    return symbol ? char16_t(b) : char16_t(Cp1252ToUnicode(b));
}

// A colour as the file holds it: plain RGB. System colours are looked up now, since the
// reader's system is not ours; the top byte of any other value is dropped.
ColorRef FileColor(ColorRef c) {
    if ((c >> 24) == 0xFF) {
        const QColor q = ToQColor(c);
        return Rgb(q.red(), q.green(), q.blue());
    }
    return c & 0xFFFFFF;
}

} // namespace

// Little-endian record bytes: each record is begun, filled and closed with its size.
class EmfCanvas::Writer {
public:
    void Begin(std::uint32_t type) {
        start_ = bytes_.size();
        U32(type);
        U32(0); // size, set by End
    }
    void End() {
        while ((bytes_.size() - start_) % 4 != 0)
            bytes_.push_back('\0');
        const auto size = std::uint32_t(bytes_.size() - start_);
        for (int i = 0; i < 4; ++i)
            bytes_[start_ + 4 + i] = char((size >> (8 * i)) & 0xFF);
        ++records_;
    }
    void Simple(std::uint32_t type, std::initializer_list<std::uint32_t> values) {
        Begin(type);
        for (std::uint32_t v : values)
            U32(v);
        End();
    }
    void U8(int v) { bytes_.push_back(char(v & 0xFF)); }
    void U16(std::uint32_t v) {
        U8(int(v));
        U8(int(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void I32(int v) { U32(std::uint32_t(v)); }
    void Pt(Point p) {
        I32(p.x);
        I32(p.y);
    }
    void Box(const Rect& r) {
        I32(r.left);
        I32(r.top);
        I32(r.right);
        I32(r.bottom);
    }
    const std::string& Bytes() const { return bytes_; }
    std::uint32_t Records() const { return records_; }

private:
    std::string bytes_;
    std::size_t start_ = 0;
    std::uint32_t records_ = 0;
};

namespace {

Rect BoundsOf(const std::vector<Point>& pts) {
    if (pts.empty()) return {};
    Rect r{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (const Point& p : pts) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    return r;
}

} // namespace

EmfCanvas::EmfCanvas(int width, int height, FontDesc start)
    : MeasuringCanvas(start), width_(std::max(1, width)), height_(std::max(1, height)),
      out_(std::make_unique<Writer>()) {
    // The picture's background is transparent, and so is text's unless a caller asks otherwise.
    Canvas::SetBkMode(BkMode::Transparent);
    WriteBkMode();
    WriteFont(start);
    WritePen(pen_);
    WriteBrush(brush_);
}

EmfCanvas::~EmfCanvas() = default;

std::string EmfCanvas::Finish() const {
    Writer header;
    header.Begin(EmfRecord::Header);
    header.Box({0, 0, width_ - 1, height_ - 1});
    header.Box({0, 0, HundredthsMm(width_) - 1, HundredthsMm(height_) - 1});
    header.U32(EmfSignature);
    header.U32(EmfVersion);
    const auto total = std::uint32_t(EmfHeaderSize + out_->Bytes().size() + EndRecordSize);
    header.U32(total);
    header.U32(out_->Records() + 2);
    header.U16(handleCount_);
    header.U16(0);
    header.U32(0); // no description
    header.U32(0);
    header.U32(0); // no palette
    header.Pt({ReferenceWidth, ReferenceHeight});
    header.Pt({HundredthsMm(ReferenceWidth) / 100, HundredthsMm(ReferenceHeight) / 100});
    header.U32(0); // no pixel format
    header.U32(0);
    header.U32(0); // not OpenGL
    header.Pt({HundredthsMm(ReferenceWidth) * 10, HundredthsMm(ReferenceHeight) * 10});
    header.End();
    Writer end;
    end.Simple(EmfRecord::Eof, {0, 16, EndRecordSize});
    return header.Bytes() + out_->Bytes() + end.Bytes();
}

std::uint32_t EmfCanvas::NewHandle() {
    if (!freeHandles_.empty()) {
        const std::uint32_t h = freeHandles_.back();
        freeHandles_.pop_back();
        return h;
    }
    return handleCount_++;
}

// Selects the object just created and deletes the one it replaces, the way a painter that
// selects a fresh font per part leaves no object behind.
void EmfCanvas::ReplaceObject(std::uint32_t& current, std::uint32_t created) {
    out_->Simple(EmfRecord::SelectObject, {created});
    if (current != 0) {
        out_->Simple(EmfRecord::DeleteObject, {current});
        freeHandles_.push_back(current);
    }
    current = created;
}

void EmfCanvas::WriteFont(const FontDesc& f) {
    const std::uint32_t h = NewHandle();
    const bool symbol = f.face == "Symbol";
    out_->Begin(EmfRecord::ExtCreateFontIndirectW);
    out_->U32(h);
    out_->I32(f.height);
    out_->I32(f.width);
    out_->I32(0); // escapement
    out_->I32(0); // orientation
    out_->I32(f.weight);
    out_->U8(f.italic ? 1 : 0);
    out_->U8(f.underline ? 1 : 0);
    out_->U8(f.strikeOut ? 1 : 0);
    out_->U8(symbol ? SymbolCharset : f.charSet);
    out_->U8(0); // output, clip precision, quality, pitch and family: the defaults
    out_->U8(0);
    out_->U8(0);
    out_->U8(0);
    for (int i = 0; i < FaceNameChars; ++i) {
        const bool inName = i < FaceNameChars - 1 && i < int(f.face.size());
        out_->U16(inName ? RecordedChar((unsigned char)f.face[std::size_t(i)], false) : 0);
    }
    out_->End();
    ReplaceObject(fontHandle_, h);
}

void EmfCanvas::WritePen(const Pen& p) {
    const std::uint32_t h = NewHandle();
    out_->Begin(EmfRecord::CreatePen);
    out_->U32(h);
    switch (p.style) {
    case PenStyle::Solid:
        out_->U32(PsSolid);
        break;
    case PenStyle::Dot:
        out_->U32(PsDot);
        break;
    }
    out_->Pt({p.width, 0});
    out_->U32(FileColor(p.color));
    out_->End();
    ReplaceObject(penHandle_, h);
}

void EmfCanvas::WriteBrush(const Brush& b) {
    const std::uint32_t h = NewHandle();
    out_->Begin(EmfRecord::CreateBrushIndirect);
    out_->U32(h);
    out_->U32(b.null ? BsNull : BsSolid);
    out_->U32(FileColor(b.color));
    out_->U32(0); // hatch
    out_->End();
    ReplaceObject(brushHandle_, h);
}

FontDesc EmfCanvas::SelectFont(const FontDesc& f) {
    const FontDesc previous = MeasuringCanvas::SelectFont(f);
    if (!(previous == f)) WriteFont(f);
    return previous;
}

ColorRef EmfCanvas::SetTextColor(ColorRef c) {
    const ColorRef previous = Canvas::SetTextColor(c);
    out_->Simple(EmfRecord::SetTextColor, {FileColor(c)});
    return previous;
}

ColorRef EmfCanvas::SetBkColor(ColorRef c) {
    const ColorRef previous = Canvas::SetBkColor(c);
    out_->Simple(EmfRecord::SetBkColor, {FileColor(c)});
    return previous;
}

BkMode EmfCanvas::SetBkMode(BkMode mode) {
    const BkMode previous = Canvas::SetBkMode(mode);
    if (mode != previous) WriteBkMode();
    return previous;
}

void EmfCanvas::WriteBkMode() {
    const bool transparent = CurrentBkMode() == BkMode::Transparent;
    out_->Simple(EmfRecord::SetBkMode, {transparent ? BkModeTransparent : BkModeOpaque});
}

// Every text record carries its reference point, so the file's alignment is baseline without
// a moving current position: readers that ignore the current position place text the same.
bool EmfCanvas::SetBaselineUpdateCP(bool on) {
    const bool previous = Canvas::SetBaselineUpdateCP(on);
    out_->Simple(EmfRecord::SetTextAlign, {on ? TaBaseline : TaTop});
    return previous;
}

void EmfCanvas::MoveTo(int x, int y) {
    Canvas::MoveTo(x, y);
    out_->Begin(EmfRecord::MoveToEx);
    out_->Pt(pos_);
    out_->End();
}

void EmfCanvas::TextOut(const Bytes& s) {
    if (s.empty()) return;
    const bool symbol = Font().face == "Symbol";
    const int extra = TextCharacterExtra();
    std::vector<int> advances;
    int width = 0;
    for (unsigned char c : s) {
        advances.push_back(CharWidth(c) + extra);
        width += advances.back();
    }
    const FontMetrics m = Metrics();
    const int top = baselineCP_ ? pos_.y - m.tmAscent : pos_.y;
    const Rect bounds{pos_.x, top, pos_.x + width, top + m.tmHeight};
    const int chars = int(s.size());
    constexpr int textHeader = 76; // type, size, bounds, mode, scales, the text structure
    const int offString = textHeader;
    const int offDx = offString + Padded(2 * chars);
    out_->Begin(EmfRecord::ExtTextOutW);
    out_->Box(bounds);
    out_->U32(GmCompatible);
    out_->U32(0); // x and y scale 0.0f: unused in the compatible mode
    out_->U32(0);
    out_->Pt(pos_);
    out_->U32(std::uint32_t(chars));
    out_->U32(std::uint32_t(offString));
    out_->U32(0); // options: no clipping, no opaque box
    out_->Box(bounds);
    out_->U32(std::uint32_t(offDx));
    for (unsigned char c : s)
        out_->U16(RecordedChar(c, symbol));
    if (chars % 2 != 0) out_->U16(0);
    for (int a : advances)
        out_->I32(a);
    out_->End();
    if (baselineCP_) pos_.x += width;
}

RasterOp EmfCanvas::SetRop2(RasterOp op) {
    const RasterOp previous = Canvas::SetRop2(op);
    switch (op) {
    case RasterOp::CopyPen:
        out_->Simple(EmfRecord::SetRop2, {R2CopyPen});
        break;
    case RasterOp::Not:
        out_->Simple(EmfRecord::SetRop2, {R2Not});
        break;
    }
    return previous;
}

Pen EmfCanvas::SelectPen(const Pen& p) {
    const Pen previous = Canvas::SelectPen(p);
    if (!(previous == p)) WritePen(p);
    return previous;
}

Brush EmfCanvas::SelectBrush(const Brush& b) {
    const Brush previous = Canvas::SelectBrush(b);
    if (!(previous == b)) WriteBrush(b);
    return previous;
}

// A filled rectangle is drawn as a rectangle without outline in a brush of the colour; the
// outline-less rectangle leaves out its right and bottom edges, hence the extra pixel.
void EmfCanvas::FillRect(const Rect& r, ColorRef c) {
    const Pen pen = pen_;
    const Brush brush = brush_;
    const std::uint32_t h = NewHandle();
    out_->Simple(EmfRecord::CreatePen, {h, PsNull, 0, 0, 0});
    ReplaceObject(penHandle_, h);
    WriteBrush(Brush{false, c});
    out_->Begin(EmfRecord::Rectangle);
    out_->Box({r.left, r.top, r.right + 1, r.bottom + 1});
    out_->End();
    WritePen(pen);
    WriteBrush(brush);
}

void EmfCanvas::PointsRecord(std::uint32_t type, const std::vector<Point>& pts) {
    out_->Begin(type);
    out_->Box(BoundsOf(pts));
    out_->U32(std::uint32_t(pts.size()));
    for (const Point& p : pts)
        out_->Pt(p);
    out_->End();
}

void EmfCanvas::Polyline(const std::vector<Point>& pts) {
    if (pts.size() >= 2) PointsRecord(EmfRecord::Polyline, pts);
}

void EmfCanvas::PolyPolyline(const std::vector<std::vector<Point>>& lines) {
    std::vector<Point> all;
    for (const auto& l : lines)
        all.insert(all.end(), l.begin(), l.end());
    if (lines.empty()) return;
    out_->Begin(EmfRecord::PolyPolyline);
    out_->Box(BoundsOf(all));
    out_->U32(std::uint32_t(lines.size()));
    out_->U32(std::uint32_t(all.size()));
    for (const auto& l : lines)
        out_->U32(std::uint32_t(l.size()));
    for (const Point& p : all)
        out_->Pt(p);
    out_->End();
}

void EmfCanvas::PolyBezier(const std::vector<Point>& pts) {
    if (pts.size() >= 4) PointsRecord(EmfRecord::PolyBezier, pts);
}

void EmfCanvas::Ellipse(const Rect& box) {
    out_->Begin(EmfRecord::Ellipse);
    out_->Box(box);
    out_->End();
}

} // namespace zelm

// A canvas that passes every call on to another one: a test derives from it to watch or change
// the few calls it is about.
#pragma once

#include "formula/Canvas.h"

namespace zelm::test {

class ForwardingCanvas : public Canvas {
public:
    explicit ForwardingCanvas(Canvas& inner) : inner_(inner) {}

    FontDesc Font() const override { return inner_.Font(); }
    FontDesc SelectFont(const FontDesc& f) override { return inner_.SelectFont(f); }
    FontId FontIdOf(const FontDesc& f) override { return inner_.FontIdOf(f); }
    void SelectFontId(FontId id) override { inner_.SelectFontId(id); }
    FontMetrics Metrics() override { return inner_.Metrics(); }
    Size TextExtent(const Bytes& s) override { return inner_.TextExtent(s); }
    int CharWidth(unsigned char c) override { return inner_.CharWidth(c); }
    int SetTextCharacterExtra(int extra) override { return inner_.SetTextCharacterExtra(extra); }
    int TextCharacterExtra() const override { return inner_.TextCharacterExtra(); }
    ColorRef SetTextColor(ColorRef c) override { return inner_.SetTextColor(c); }
    ColorRef TextColor() const override { return inner_.TextColor(); }
    ColorRef SetBkColor(ColorRef c) override { return inner_.SetBkColor(c); }
    BkMode SetBkMode(BkMode mode) override {
        Canvas::SetBkMode(mode); // kept here too, for CurrentBkMode
        return inner_.SetBkMode(mode);
    }
    bool SetBaselineUpdateCP(bool on) override { return inner_.SetBaselineUpdateCP(on); }
    void MoveTo(int x, int y) override { inner_.MoveTo(x, y); }
    Point CurrentPosition() const override { return inner_.CurrentPosition(); }
    void TextOut(const Bytes& s) override { inner_.TextOut(s); }
    RasterOp SetRop2(RasterOp op) override { return inner_.SetRop2(op); }
    Pen SelectPen(const Pen& p) override { return inner_.SelectPen(p); }
    Brush SelectBrush(const Brush& b) override { return inner_.SelectBrush(b); }
    void FillRect(const Rect& r, ColorRef c) override { inner_.FillRect(r, c); }
    void Polyline(const std::vector<Point>& pts) override { inner_.Polyline(pts); }
    void PolyPolyline(const std::vector<std::vector<Point>>& lines) override {
        inner_.PolyPolyline(lines);
    }
    void PolyBezier(const std::vector<Point>& pts) override { inner_.PolyBezier(pts); }
    void Ellipse(const Rect& box) override { inner_.Ellipse(box); }

protected:
    Canvas& inner_;
};

} // namespace zelm::test

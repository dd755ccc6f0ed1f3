// A canvas that passes every call on to another one: a test derives from it to watch or change
// the few calls it is about. The device context's state set through it is kept in the base as
// well, so that its accessors answer as the inner canvas's do.
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
    int SetTextCharacterExtra(int extra) override {
        Canvas::SetTextCharacterExtra(extra);
        return inner_.SetTextCharacterExtra(extra);
    }
    ColorRef SetTextColor(ColorRef c) override {
        Canvas::SetTextColor(c);
        return inner_.SetTextColor(c);
    }
    ColorRef SetBkColor(ColorRef c) override {
        Canvas::SetBkColor(c);
        return inner_.SetBkColor(c);
    }
    BkMode SetBkMode(BkMode mode) override {
        Canvas::SetBkMode(mode);
        return inner_.SetBkMode(mode);
    }
    bool SetBaselineUpdateCP(bool on) override {
        Canvas::SetBaselineUpdateCP(on);
        return inner_.SetBaselineUpdateCP(on);
    }
    void MoveTo(int x, int y) override {
        Canvas::MoveTo(x, y);
        inner_.MoveTo(x, y);
    }
    /// Text advances the inner canvas's position: this one follows.
    void TextOut(const Bytes& s) override {
        inner_.TextOut(s);
        pos_ = inner_.CurrentPosition();
    }
    RasterOp SetRop2(RasterOp op) override {
        Canvas::SetRop2(op);
        return inner_.SetRop2(op);
    }
    Pen SelectPen(const Pen& p) override {
        Canvas::SelectPen(p);
        return inner_.SelectPen(p);
    }
    Brush SelectBrush(const Brush& b) override {
        Canvas::SelectBrush(b);
        return inner_.SelectBrush(b);
    }
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

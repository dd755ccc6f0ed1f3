// The Qt side of the formula canvas: the device-context model over a QPainter on any paint
// device (a widget, a QImage, a QPrinter, a QSvgGenerator), or a measuring context with no
// device at all. Metrics come from the fonts' own tables (see FontMetricsTables.h); text is
// placed character by character at those measured advances, so that what is drawn lines up with
// what the layout measured.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <memory>

#include "formula/Canvas.h"

class QPainter;
class QPaintDevice;

namespace zelm {

/// The font a description stands for, as drawn and measured.
struct ResolvedFont {
    QFont font;     ///< draws it; pixel size = its em, no underline or strike-out
    QString family; ///< the family that actually draws it (after fontconfig's substitution)
    FontMetrics metrics;
    std::array<char32_t, 256> chars{}; ///< the character each byte is drawn as
    std::array<bool, 256> mapped{};    ///< whether the font has a glyph for that character
    std::array<int, 256> widths{};     ///< the advance of each byte in pixels
};

/// The font a description stands for, with its metrics and per-byte advances; created once per
/// description and shared by every canvas.
std::shared_ptr<const ResolvedFont> ResolveFont(const FontDesc& f);
/// The metrics of a description's font, from the shared cache.
FontMetrics MetricsOf(const FontDesc& f);
/// Number of descriptions resolved so far (the size of the font cache).
int ResolvedFontCount();
/// Forgets every resolved font, e.g. after fonts were registered.
void ClearFontCache();

/// A ColorRef as a QColor; system colours come from the application palette.
QColor ToQColor(ColorRef c);

/// Whether text is drawn smoothed (antialiased) on this system, as fontconfig and Qt set it up.
/// Qt does not publish the setting, so the answer comes from drawing a probe once; needs the
/// application object.
bool FontSmoothingOn();

class QtCanvas final : public Canvas {
public:
    /// A measuring context: fonts, metrics and extents work; drawing only moves the position.
    explicit QtCanvas(FontDesc start = FontDesc{});
    /// Draws with `painter`, which must be active and outlive the canvas. The painter's state
    /// is saved here and restored when the canvas goes.
    explicit QtCanvas(QPainter& painter, FontDesc start = FontDesc{});
    /// Opens a painter of its own on `device` for as long as the canvas lives.
    explicit QtCanvas(QPaintDevice& device, FontDesc start = FontDesc{});
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    /// The painter drawn with; nullptr for a measuring context.
    QPainter* Painter() const { return painter_; }

    FontDesc Font() const override { return font_; }
    FontDesc SelectFont(const FontDesc& f) override;
    FontMetrics Metrics() override;
    Size TextExtent(const Bytes& s) override;
    int CharWidth(unsigned char c) override;
    int SetTextCharacterExtra(int extra) override;
    int TextCharacterExtra() const override { return extra_; }

    ColorRef SetTextColor(ColorRef c) override;
    ColorRef TextColor() const override { return textColor_; }
    ColorRef SetBkColor(ColorRef c) override;
    bool SetBaselineUpdateCP(bool on) override;
    void MoveTo(int x, int y) override;
    Point CurrentPosition() const override { return pos_; }
    void TextOut(const Bytes& s) override;

    RasterOp SetRop2(RasterOp op) override;
    Pen SelectPen(const Pen& p) override;
    Brush SelectBrush(const Brush& b) override;
    void FillRect(const Rect& r, ColorRef c) override;
    void Polyline(const std::vector<Point>& pts) override;
    void PolyPolyline(const std::vector<std::vector<Point>>& lines) override;
    void PolyBezier(const std::vector<Point>& pts) override;
    void Ellipse(const Rect& box) override;

private:
    const ResolvedFont& Current();
    void PrepareShape(bool fill);
    void DrawTextRun(const ResolvedFont& f, const Bytes& s, int x, int baseline, int width);

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    FontDesc font_;
    std::shared_ptr<const ResolvedFont> resolved_; // null until the font is first used
    int extra_ = 0;
    ColorRef textColor_ = Rgb(0, 0, 0);
    ColorRef bkColor_ = Rgb(255, 255, 255);
    bool baselineCP_ = false;
    Point pos_;
    RasterOp rop_ = RasterOp::CopyPen;
    Pen pen_;
    Brush brush_;
};

} // namespace zelm

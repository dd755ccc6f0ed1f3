// The Qt side of the formula canvas: the device-context model over a QPainter on any paint
// device (a widget, a QImage, a QPrinter, a QSvgGenerator), or a measuring context with no
// device at all. Fonts come from the process-wide table (FontTable.h); text runs and shapes are
// drawn as GlyphRuns.h draws them, or put down from the sprites of a cache the canvas is given.
#pragma once

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>
#include <memory>
#include <optional>
#include <vector>

#include "formula/Canvas.h"
#include "platform/FontTable.h"
#include "platform/GlyphRuns.h"
#include "platform/SpriteCache.h"

class QPaintDevice;

namespace zelm {

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
    /// is saved here and restored when the canvas goes. Runs and shapes met before come from
    /// `sprites` where they give the same pixels; without a cache everything is drawn directly.
    explicit QtCanvas(QPainter& painter, FontDesc start = FontDesc{},
                      SpriteCache* sprites = nullptr);
    /// Opens a painter of its own on `device` for as long as the canvas lives.
    explicit QtCanvas(QPaintDevice& device, FontDesc start = FontDesc{},
                      SpriteCache* sprites = nullptr);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    /// The painter drawn with; nullptr for a measuring context.
    QPainter* Painter() const { return painter_; }

    FontDesc Font() const override { return resolved_ ? resolved_->desc : font_; }
    FontDesc SelectFont(const FontDesc& f) override;
    FontId FontIdOf(const FontDesc& f) override;
    void SelectFontId(FontId id) override;
    FontMetrics Metrics() override;
    Size TextExtent(const Bytes& s) override;
    int CharWidth(unsigned char c) override;

    void TextOut(const Bytes& s) override;

    void FillRect(const Rect& r, ColorRef c) override;
    void Polyline(const std::vector<Point>& pts) override;
    void PolyPolyline(const std::vector<std::vector<Point>>& lines) override;
    void PolyBezier(const std::vector<Point>& pts) override;
    void Ellipse(const Rect& box) override;

private:
    const ResolvedFont& Current();
    void ForgetStaleFonts();
    void PrepareShape(bool fill);
    void UsePen(const QPen& pen);
    void UseBrush(const QBrush& brush);
    void UseMode(QPainter::CompositionMode mode);
    void DrawTextRun(const ResolvedFont& f, const Bytes& s, int x, int baseline, int width);
    void DrawShape(ShapeKind kind, const std::vector<Point>& pts, bool fill);
    bool SpritesFit();

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    FontDesc font_;                          // the font until it is first resolved
    const ResolvedFont* resolved_ = nullptr; // null until the font is first used
    FontId fontId_ = -1;
    int generation_ = 0; // of the font cache that `resolved_` and `fontId_` come from
    SpriteCache* sprites_ = nullptr;
    // What was last set on the painter; empty until this canvas set it.
    std::optional<QPen> painterPen_;
    std::optional<QBrush> painterBrush_;
    std::optional<QPainter::CompositionMode> painterMode_;
    std::optional<bool> spritesFit_; // decided at the first drawing
};

} // namespace zelm

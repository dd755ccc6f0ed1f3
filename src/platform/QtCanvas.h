// The Qt side of the formula canvas: the device-context model over a QPainter on any paint
// device (a widget, a QImage, a QPrinter, a QSvgGenerator), or a measuring context with no
// device at all. Metrics come from the fonts' own tables (see FontMetricsTables.h); a text run
// is drawn as one glyph run whose glyphs stand at those measured advances, so that what is drawn
// lines up with what the layout measured and nothing is shaped again.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "formula/Canvas.h"

class QPaintDevice;

namespace zelm {

/// The font a description stands for, as drawn and measured.
struct ResolvedFont {
    FontDesc desc;  ///< the description it was resolved from
    QFont font;     ///< draws it; pixel size = its em, no underline or strike-out
    QString family; ///< the family that actually draws it (after fontconfig's substitution)
    FontMetrics metrics;
    std::array<char32_t, 256> chars{}; ///< the character each byte is drawn as
    std::array<bool, 256> mapped{};    ///< whether the font has a glyph for that character
    std::array<quint32, 256> glyphs{}; ///< the glyph of Raw() each mapped byte is drawn with
    std::array<int, 256> widths{};     ///< the advance of each byte in pixels
    /// Drawn a second time one pixel to the right: bold asked of a face whose bold outlines
    /// are no heavier than its regular ones, made to look bold as the original platform does.
    bool doubleStrike = false;

    /// The same font file and size for drawing glyph runs, made when first drawn with: a font
    /// engine kept alive for every size merely measured would swell Qt's own font cache.
    const QRawFont& Raw() const {
        if (!rawMade_) {
            raw_ = QRawFont::fromFont(font);
            rawMade_ = true;
        }
        return raw_;
    }

private:
    mutable QRawFont raw_;
    mutable bool rawMade_ = false;
};

/// Pixels drawn once and put down again by a blit: a text run on its background, or a shape.
struct Sprite {
    QImage image;
    QPoint offset;      ///< of the image's top left from where the run or shape is drawn
    bool exact = false; ///< false: the blit would not give the same pixels; draw directly
};

/// The kinds of shape the canvas draws.
enum class ShapeKind { Polyline, Bezier, Ellipse };

/// The font a description stands for, with its metrics and per-byte advances; created once per
/// description and shared by every canvas.
std::shared_ptr<const ResolvedFont> ResolveFont(const FontDesc& f);
/// Windows-1252 bytes (a face name, a line's text) as Unicode.
QString FromCp1252(const std::string& bytes);
/// The metrics of a description's font, from the shared cache.
FontMetrics MetricsOf(const FontDesc& f);
/// Number of descriptions resolved so far (the size of the font cache).
int ResolvedFontCount();
/// Forgets every resolved font, e.g. after fonts were registered. Canvases that live on
/// resolve their fonts again.
void ClearFontCache();

/// Whether drawn text runs and shapes are kept as sprites and put down again by a blit (on by
/// default). Off draws everything directly, for comparing the two.
void UseSprites(bool on);
/// The bytes of the images the sprites hold together.
qsizetype SpriteBytes();

/// Whether bold text of `face` needs the double strike: decided once per face and slant by
/// comparing the ink of its bold and regular glyphs.
bool BoldNeedsDoubleStrike(const std::string& face, bool italic = false);

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

    FontDesc Font() const override { return resolved_ ? resolved_->desc : font_; }
    FontDesc SelectFont(const FontDesc& f) override;
    FontId FontIdOf(const FontDesc& f) override;
    void SelectFontId(FontId id) override;
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
    void ForgetStaleFonts();
    void PrepareShape(bool fill);
    void UsePen(const QPen& pen);
    void UseBrush(const QBrush& brush);
    void UseMode(QPainter::CompositionMode mode);
    void DrawTextRun(const ResolvedFont& f, const Bytes& s, int x, int baseline, int width);
    void DrawShape(ShapeKind kind, const std::vector<Point>& pts, bool fill);
    bool SpritesFit();
    const Sprite& TextSprite(const ResolvedFont& f, const Bytes& s, int width, int extra,
                             const QColor& ink, const QColor& bk);
    const Sprite& ShapeSprite(ShapeKind kind, const std::vector<Point>& pts, const QPen& pen,
                              const QBrush& brush, const QRect& bounds);

    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    FontDesc font_;                          // the font until it is first resolved
    const ResolvedFont* resolved_ = nullptr; // null until the font is first used
    FontId fontId_ = -1;
    int generation_ = 0; // of the font cache that `resolved_` and `fontId_` come from
    int extra_ = 0;
    ColorRef textColor_ = Rgb(0, 0, 0);
    ColorRef bkColor_ = Rgb(255, 255, 255);
    bool baselineCP_ = false;
    Point pos_;
    RasterOp rop_ = RasterOp::CopyPen;
    Pen pen_;
    Brush brush_;
    // What was last set on the painter; empty until this canvas set it.
    std::optional<QPen> painterPen_;
    std::optional<QBrush> painterBrush_;
    std::optional<QPainter::CompositionMode> painterMode_;
    std::optional<bool> spritesFit_; // decided at the first drawing
    std::string spriteKey_;          // reused for every look-up
};

} // namespace zelm

#include "platform/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/GlyphRuns.h"
#include "platform/SpriteCache.h"

namespace zelm {

// ---- Colours and the system's font smoothing ----

namespace {

// The system colours the program's original platform numbers, as palette roles; any other
// number is a window surface.
QPalette::ColorRole RoleOfSystemColor(int index) {
    static constexpr std::pair<int, QPalette::ColorRole> roles[] = {
        {5, QPalette::Base},             // window background
        {7, QPalette::WindowText},       // menu text
        {8, QPalette::Text},             // window text
        {13, QPalette::Highlight},       // selection background
        {14, QPalette::HighlightedText}, // selection text
        {15, QPalette::Button},          // button face
        {16, QPalette::Dark},            // button shadow
        {17, QPalette::PlaceholderText}, // grey text
        {18, QPalette::ButtonText},      // button text
        {20, QPalette::Light},           // button highlight
        {21, QPalette::Shadow},          // dark 3-D shadow
        {22, QPalette::Midlight},        // 3-D light
        {23, QPalette::ToolTipText},     // hint text
        {24, QPalette::ToolTipBase},     // hint background
    };
    for (const auto& [number, role] : roles)
        if (number == index) return role;
    return QPalette::Window;
}

} // namespace

QColor ToQColor(ColorRef c) {
    if ((c >> 24) == 0xFF) {
        const QPalette palette = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                     ? QGuiApplication::palette()
                                     : QPalette();
        return palette.color(QPalette::Active, RoleOfSystemColor(int(c & 0xFF)));
    }
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

// Qt does not publish fontconfig's antialias setting, so ask the renderer itself: draw a
// diagonal-rich glyph in black on white and see whether any pixel came out in between.
bool FontSmoothingOn() {
    static const bool on = [] {
        QImage image(48, 48, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            p.setFont(ResolveFont(FontDesc{})->font);
            p.setPen(Qt::black);
            p.drawText(4, 36, QStringLiteral("W/"));
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y) & 0xFFFFFF;
                if (px != 0xFFFFFF && px != 0) return true;
            }
        return false;
    }();
    return on;
}

// ---- The canvas ----

QtCanvas::QtCanvas(FontDesc start) : font_(std::move(start)) {}

QtCanvas::QtCanvas(QPainter& painter, FontDesc start, SpriteCache* sprites)
    : painter_(&painter), font_(std::move(start)), sprites_(sprites) {
    painter_->save();
    // Lines fall on whole pixels exactly where the integer geometry puts them.
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
}

QtCanvas::QtCanvas(QPaintDevice& device, FontDesc start, SpriteCache* sprites)
    : ownPainter_(std::make_unique<QPainter>()), font_(std::move(start)), sprites_(sprites) {
    if (!ownPainter_->begin(&device)) throw std::runtime_error("Cannot draw on this device");
    painter_ = ownPainter_.get();
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
}

QtCanvas::~QtCanvas() {
    if (ownPainter_)
        ownPainter_->end();
    else if (painter_)
        painter_->restore();
}

// After the cache was cleared the ids this canvas knows may stand for other fonts.
void QtCanvas::ForgetStaleFonts() {
    if (generation_ == FontCacheGeneration()) return;
    generation_ = FontCacheGeneration();
    if (resolved_) font_ = resolved_->desc;
    resolved_ = nullptr;
    fontId_ = -1;
}

const ResolvedFont& QtCanvas::Current() {
    ForgetStaleFonts();
    if (!resolved_) SelectFontId(FontIdOf(font_));
    return *resolved_;
}

FontId QtCanvas::FontIdOf(const FontDesc& f) {
    ForgetStaleFonts();
    if (resolved_ && SameFont(resolved_->desc, f)) return fontId_;
    return ResolveFontId(f);
}

void QtCanvas::SelectFontId(FontId id) {
    ForgetStaleFonts();
    if (id == fontId_ && resolved_) return;
    resolved_ = &ResolvedFontOf(id);
    fontId_ = id;
}

FontDesc QtCanvas::SelectFont(const FontDesc& f) {
    FontDesc old = Font();
    SelectFontId(FontIdOf(f));
    return old;
}

FontMetrics QtCanvas::Metrics() {
    return Current().metrics;
}

Size QtCanvas::TextExtent(const Bytes& s) {
    const ResolvedFont& f = Current();
    int width = 0;
    for (unsigned char b : s)
        width += f.widths[b] + extra_;
    return {width, f.metrics.tmHeight};
}

int QtCanvas::CharWidth(unsigned char c) {
    return Current().widths[c];
}

void QtCanvas::TextOut(const Bytes& s) {
    const ResolvedFont& f = Current();
    const int width = TextExtent(s).cx;
    // Without baseline alignment the position is the top left of the text's cell.
    const int baseline = baselineCP_ ? pos_.y : pos_.y + f.metrics.tmAscent;
    if (painter_ && !s.empty()) DrawTextRun(f, s, pos_.x, baseline, width);
    if (baselineCP_) pos_.x += width;
}

// Sprites are exact only where the painter puts pixels one to one on whole coordinates: a
// raster engine without scaling (a printer, an SVG file or a high-density screen draw directly).
bool QtCanvas::SpritesFit() {
    if (!sprites_) return false;
    if (!spritesFit_) {
        const QPaintEngine* engine = painter_->paintEngine();
        spritesFit_ =
            engine && engine->type() == QPaintEngine::Raster &&
            painter_->device()->devicePixelRatio() == 1.0 &&
            painter_->deviceTransform().type() <= QTransform::TxTranslate &&
            painter_->deviceTransform().dx() == std::floor(painter_->deviceTransform().dx()) &&
            painter_->deviceTransform().dy() == std::floor(painter_->deviceTransform().dy());
    }
    return *spritesFit_;
}

void QtCanvas::DrawTextRun(const ResolvedFont& f, const Bytes& s, int x, int baseline, int width) {
    const QColor ink = ToQColor(textColor_);
    const std::optional<QColor> bk =
        CurrentBkMode() == BkMode::Opaque ? std::optional(ToQColor(bkColor_)) : std::nullopt;
    UseMode(QPainter::CompositionMode_SourceOver);
    // A run on a transparent background is drawn directly: blending the glyphs' edges from a
    // sprite over what is under them rounds differently from blending them while drawing.
    if (bk && SpritesFit()) {
        const Sprite& sprite = sprites_->Text(fontId_, f, s, width, extra_, ink, *bk);
        if (sprite.exact) {
            painter_->drawImage(QPoint(x, baseline) + sprite.offset, sprite.image);
            return;
        }
    }
    UsePen(QPen(ink));
    DrawRunOn(*painter_, f, s, x, baseline, width, extra_, ink, bk);
}

// Setting the painter's pen, brush or mode makes its engine prepare its drawing again: only a
// change is passed on.
void QtCanvas::UsePen(const QPen& pen) {
    if (painterPen_ && *painterPen_ == pen) return;
    painter_->setPen(pen);
    painterPen_ = pen;
}

void QtCanvas::UseBrush(const QBrush& brush) {
    if (painterBrush_ && *painterBrush_ == brush) return;
    painter_->setBrush(brush);
    painterBrush_ = brush;
}

void QtCanvas::UseMode(QPainter::CompositionMode mode) {
    if (painterMode_ == mode) return;
    painter_->setCompositionMode(mode);
    painterMode_ = mode;
}

void QtCanvas::FillRect(const Rect& r, ColorRef c) {
    if (!painter_ || r.right <= r.left || r.bottom <= r.top) return;
    UseMode(QPainter::CompositionMode_SourceOver);
    painter_->fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), ToQColor(c));
}

// Pen, brush and raster mode for the next shape. A thin line leaves out its last pixel, as on
// the original platform; a wide one has round ends.
void QtCanvas::PrepareShape(bool fill) {
    QPen pen(ToQColor(pen_.color));
    pen.setWidth(std::max(1, pen_.width));
    pen.setStyle(pen_.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    const bool thin = pen_.width <= 1;
    pen.setCapStyle(thin ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(thin ? Qt::MiterJoin : Qt::RoundJoin);
    UsePen(pen);
    UseBrush(fill && !brush_.null ? QBrush(ToQColor(brush_.color)) : QBrush());
    // Inverting needs a raster engine; a printer or SVG draws such lines plainly.
    const bool invert = rop_ == RasterOp::Not && painter_->paintEngine() &&
                        painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    UseMode(invert ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver);
}

void QtCanvas::Polyline(const std::vector<Point>& pts) {
    if (!painter_ || pts.size() < 2) return;
    DrawShape(ShapeKind::Polyline, pts, false);
}

void QtCanvas::PolyPolyline(const std::vector<std::vector<Point>>& lines) {
    for (const auto& line : lines)
        Polyline(line);
}

void QtCanvas::PolyBezier(const std::vector<Point>& pts) {
    if (!painter_ || pts.size() < 4) return;
    DrawShape(ShapeKind::Bezier, pts, false);
}

void QtCanvas::Ellipse(const Rect& box) {
    if (!painter_ || box.right <= box.left || box.bottom <= box.top) return;
    DrawShape(ShapeKind::Ellipse, {{box.left, box.top}, {box.right, box.bottom}}, true);
}

// A shape is drawn from its sprite where the sprite is exact: in copy mode, lines without
// antialiasing put down whole pixels only, the same wherever the shape stands.
void QtCanvas::DrawShape(ShapeKind kind, const std::vector<Point>& pts, bool fill) {
    PrepareShape(fill);
    if (painterMode_ == QPainter::CompositionMode_SourceOver && SpritesFit()) {
        QRect bounds(QPoint(pts[0].x, pts[0].y), QSize(1, 1));
        for (const Point& q : pts)
            bounds |= QRect(QPoint(q.x, q.y), QSize(1, 1));
        const Sprite& sprite = sprites_->Shape(kind, pts, *painterPen_, *painterBrush_, bounds);
        if (sprite.exact) {
            painter_->drawImage(bounds.topLeft() + sprite.offset, sprite.image);
            return;
        }
    }
    DrawShapeOn(*painter_, kind, pts, QPoint(0, 0));
}

} // namespace zelm

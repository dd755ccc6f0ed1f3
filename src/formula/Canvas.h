// The drawing surface the formula core measures and paints on: the device-context model of the
// program's original platform (a selected font with its metrics, text extent, extra character
// spacing, baseline text with an advancing current position, pens, brushes and shapes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formula/FontDesc.h"
#include "formula/Types.h"

namespace zelm {

/// The metrics the layout needs, named after the outline text metrics they stand for.
struct FontMetrics {
    bool hasOutline = true; // false: only the basic text metrics below are real
    // Basic text metrics.
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0; // positive, below the baseline
    int tmAveCharWidth = 0;
    // Outline metrics.
    int otmAscent = 0;
    int otmDescent = 0; // negative
    int superscriptSizeX = 0, superscriptSizeY = 0;
    int superscriptOffsetX = 0, superscriptOffsetY = 0;
    int subscriptSizeX = 0, subscriptSizeY = 0;
    int subscriptOffsetX = 0, subscriptOffsetY = 0;
    int strikeoutSize = 0;
    int strikeoutPosition = 0;
    int underscoreSize = 0;
    int underscorePosition = 0; // negative: below the baseline
    bool operator==(const FontMetrics&) const = default;
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};
struct Size {
    int cx = 0, cy = 0;
    bool operator==(const Size&) const = default;
};
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

enum class PenStyle { Solid, Dot };
struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    ColorRef color = 0;
    bool operator==(const Pen&) const = default;
};
struct Brush {
    bool null = false; // a hollow brush: shapes are not filled
    ColorRef color = 0;
    bool operator==(const Brush&) const = default;
};

/// Text background: a box of the background colour behind each text's cell, or none, so that
/// text is drawn straight over what lies under it.
enum class BkMode { Opaque, Transparent };

/// Raster mode for lines: copy the pen, or invert what is under it.
enum class RasterOp { CopyPen, Not };

/// The system highlight colour asked of the canvas by ColorRef(SystemHighlight).
constexpr ColorRef SystemHighlight = 0xFF00000Du;

/// Abstract device context. Selecting an object returns the one it replaces, so that a caller
/// can select it again when it is done.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Fonts and measuring.
    /// The description of the currently selected font.
    virtual FontDesc Font() const = 0;
    /// Creates a font from `f`, selects it and returns the description it replaces.
    virtual FontDesc SelectFont(const FontDesc& f) = 0;
    /// The id of `f` on this canvas. A canvas that keeps no fonts of its own gets a small
    /// table of descriptions here, selected through SelectFont.
    virtual FontId FontIdOf(const FontDesc& f) {
        if (const FontId known = fontIndex_.Find(f); known >= 0) return known;
        fontIds_.push_back(f);
        fontIndex_.Add(f, FontId(fontIds_.size() - 1));
        return FontId(fontIds_.size() - 1);
    }
    /// Selects the font of an id that FontIdOf gave on this canvas.
    virtual void SelectFontId(FontId id) { SelectFont(fontIds_.at(std::size_t(id))); }
    /// Metrics of the selected font.
    virtual FontMetrics Metrics() = 0;
    /// Width and height of `s` in the selected font, extra character spacing included.
    virtual Size TextExtent(const Bytes& s) = 0;
    /// Advance width of one character in the selected font (no extra spacing).
    virtual int CharWidth(unsigned char c) = 0;
    /// Extra spacing after every character; returns the previous value.
    virtual int SetTextCharacterExtra(int extra) { return std::exchange(extra_, extra); }
    int TextCharacterExtra() const { return extra_; }

    // Text drawing.
    /// The text's colour; returns the previous colour.
    virtual ColorRef SetTextColor(ColorRef c) { return std::exchange(textColor_, c); }
    ColorRef TextColor() const { return textColor_; }
    /// The opaque text background; returns the previous colour.
    virtual ColorRef SetBkColor(ColorRef c) { return std::exchange(bkColor_, c); }
    ColorRef BkColor() const { return bkColor_; }
    /// Opaque (the default) or transparent text background; returns the previous mode.
    virtual BkMode SetBkMode(BkMode mode) { return std::exchange(bkMode_, mode); }
    /// The text background mode in force.
    BkMode CurrentBkMode() const { return bkMode_; }
    /// Baseline alignment with an advancing current position on or off; returns the previous.
    virtual bool SetBaselineUpdateCP(bool on) { return std::exchange(baselineCP_, on); }
    bool BaselineUpdateCP() const { return baselineCP_; }
    virtual void MoveTo(int x, int y) { pos_ = {x, y}; }
    Point CurrentPosition() const { return pos_; }
    /// Draws `s` at the current position on its baseline and advances the position.
    virtual void TextOut(const Bytes& s) = 0;

    // Shapes. Each setter returns what it replaces.
    virtual RasterOp SetRop2(RasterOp op) { return std::exchange(rop_, op); }
    RasterOp Rop2() const { return rop_; }
    virtual Pen SelectPen(const Pen& p) { return std::exchange(pen_, p); }
    Pen CurrentPen() const { return pen_; }
    virtual Brush SelectBrush(const Brush& b) { return std::exchange(brush_, b); }
    Brush CurrentBrush() const { return brush_; }
    virtual void FillRect(const Rect& r, ColorRef c) = 0;
    virtual void Polyline(const std::vector<Point>& pts) = 0;
    virtual void PolyPolyline(const std::vector<std::vector<Point>>& lines) = 0;
    /// One cubic Bézier curve through four points.
    virtual void PolyBezier(const std::vector<Point>& pts) = 0;
    /// Ellipse inside the box, outlined with the pen and filled with the brush.
    virtual void Ellipse(const Rect& box) = 0;

protected:
    // The device context's state, kept here for every canvas; one that passes a change on
    // (to a file, say) overrides the setter and calls this class's.
    int extra_ = 0;
    ColorRef textColor_ = Rgb(0, 0, 0);
    ColorRef bkColor_ = Rgb(255, 255, 255);
    BkMode bkMode_ = BkMode::Opaque;
    bool baselineCP_ = false;
    Point pos_;
    RasterOp rop_ = RasterOp::CopyPen;
    Pen pen_;
    Brush brush_;

private:
    std::vector<FontDesc> fontIds_; // the default id table: an id is an index
    FontIdTable fontIndex_;         // and the id of each description in it
};

} // namespace zelm

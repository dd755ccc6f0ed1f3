// A canvas that writes an SVG picture as it is drawn, handing the text out in pieces, so that a
// picture of any length is never held whole. Fonts are measured with the same font tables as
// on the screen; each character is placed where the layout put it, and each text element names
// the face that measured it (the face that draws it here first, then the document's own name),
// so that a reader with that face draws the same letters at the same places.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/MeasuringCanvas.h"

namespace zelm {

class SvgCanvas final : public MeasuringCanvas {
public:
    /// A picture of `width` x `height` pixels with a transparent background; `start` is the
    /// surface's own font. The header goes to `out` at once.
    SvgCanvas(int width, int height, FontDesc start, ByteSink out);
    ~SvgCanvas() override;
    SvgCanvas(const SvgCanvas&) = delete;
    SvgCanvas& operator=(const SvgCanvas&) = delete;

    /// Closes the picture and hands out what is left; nothing may be drawn after it.
    void Finish();

    void TextOut(const Bytes& s) override;

    // Shapes. An SVG has no inverting mode: lines set to invert are drawn plainly, as on a
    // printer.
    void FillRect(const Rect& r, ColorRef c) override;
    void Polyline(const std::vector<Point>& pts) override;
    void PolyPolyline(const std::vector<std::vector<Point>>& lines) override;
    void PolyBezier(const std::vector<Point>& pts) override;
    void Ellipse(const Rect& box) override;

private:
    void Rectangle(int x, int y, int w, int h, ColorRef c);
    std::string StrokeAttributes(bool fill) const;
    void Flush(bool always);

    ByteSink out_;
    std::string buffer_;
};

} // namespace zelm

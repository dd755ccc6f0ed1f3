// The base of the canvases that write a picture file (metafile, SVG): they measure text with a
// QtCanvas without a device, on the same font tables as the screen, so that the picture places
// every character where the screen's layout put it.
#pragma once

#include <memory>

#include "formula/Canvas.h"

namespace zelm {

class QtCanvas;

class MeasuringCanvas : public Canvas {
public:
    /// `start` is the surface's own font.
    explicit MeasuringCanvas(FontDesc start);
    ~MeasuringCanvas() override;
    MeasuringCanvas(const MeasuringCanvas&) = delete;
    MeasuringCanvas& operator=(const MeasuringCanvas&) = delete;

    FontDesc Font() const override;
    FontDesc SelectFont(const FontDesc& f) override;
    FontMetrics Metrics() override;
    Size TextExtent(const Bytes& s) override;
    int CharWidth(unsigned char c) override;
    /// A picture has no spacing of its own: the measured extents and each text's advances
    /// carry it.
    int SetTextCharacterExtra(int extra) override;

private:
    std::unique_ptr<QtCanvas> measure_;
};

} // namespace zelm

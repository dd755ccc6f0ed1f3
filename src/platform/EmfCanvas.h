// A canvas that records what is drawn on it as an enhanced metafile (the published EMF format),
// so that office and drawing programs open the picture with its text as text and its lines as
// lines. Fonts are measured with the same font tables as on the screen; every text record
// carries its character advances, so a reader places each character where the layout put it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/MeasuringCanvas.h"

namespace zelm {

/// EMF record types this canvas writes.
namespace EmfRecord {
constexpr std::uint32_t Header = 1;
constexpr std::uint32_t PolyBezier = 2;
constexpr std::uint32_t Polyline = 4;
constexpr std::uint32_t PolyPolyline = 7;
constexpr std::uint32_t Eof = 14;
constexpr std::uint32_t SetBkMode = 18;
constexpr std::uint32_t SetRop2 = 20;
constexpr std::uint32_t SetTextAlign = 22;
constexpr std::uint32_t SetTextColor = 24;
constexpr std::uint32_t SetBkColor = 25;
constexpr std::uint32_t MoveToEx = 27;
constexpr std::uint32_t SelectObject = 37;
constexpr std::uint32_t CreatePen = 38;
constexpr std::uint32_t CreateBrushIndirect = 39;
constexpr std::uint32_t DeleteObject = 40;
constexpr std::uint32_t Ellipse = 42;
constexpr std::uint32_t Rectangle = 43;
constexpr std::uint32_t ExtCreateFontIndirectW = 82;
constexpr std::uint32_t ExtTextOutW = 84;
} // namespace EmfRecord

/// Size of the header record this canvas writes.
constexpr int EmfHeaderSize = 108;

class EmfCanvas final : public MeasuringCanvas {
public:
    /// A picture of `width` x `height` pixels on a 96 pixels-per-inch reference device with a
    /// transparent background; `start` is the surface's own font.
    EmfCanvas(int width, int height, FontDesc start);
    ~EmfCanvas() override;
    EmfCanvas(const EmfCanvas&) = delete;
    EmfCanvas& operator=(const EmfCanvas&) = delete;

    /// The complete metafile: header, the records drawn so far, end record.
    std::string Finish() const;

    FontDesc SelectFont(const FontDesc& f) override;

    ColorRef SetTextColor(ColorRef c) override;
    ColorRef SetBkColor(ColorRef c) override;
    /// Writes the mode only when it changes: a picture starts transparent.
    BkMode SetBkMode(BkMode mode) override;
    bool SetBaselineUpdateCP(bool on) override;
    void MoveTo(int x, int y) override;
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
    class Writer;
    std::uint32_t NewHandle();
    void ReplaceObject(std::uint32_t& current, std::uint32_t created);
    void WriteBkMode();
    void WriteFont(const FontDesc& f);
    void WritePen(const Pen& p);
    void WriteBrush(const Brush& b);
    void PointsRecord(std::uint32_t type, const std::vector<Point>& pts);

    int width_, height_;
    std::unique_ptr<Writer> out_;
    std::vector<std::uint32_t> freeHandles_;
    std::uint32_t handleCount_ = 1; // index 0 is the metafile itself
    std::uint32_t fontHandle_ = 0, penHandle_ = 0, brushHandle_ = 0;
};

} // namespace zelm

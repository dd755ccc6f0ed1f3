#include "platform/MeasuringCanvas.h"

#include <utility>

#include "platform/QtCanvas.h"

namespace zelm {

MeasuringCanvas::MeasuringCanvas(FontDesc start)
    : measure_(std::make_unique<QtCanvas>(std::move(start))) {}

MeasuringCanvas::~MeasuringCanvas() = default;

FontDesc MeasuringCanvas::Font() const {
    return measure_->Font();
}

FontDesc MeasuringCanvas::SelectFont(const FontDesc& f) {
    return measure_->SelectFont(f);
}

FontMetrics MeasuringCanvas::Metrics() {
    return measure_->Metrics();
}

Size MeasuringCanvas::TextExtent(const Bytes& s) {
    return measure_->TextExtent(s);
}

int MeasuringCanvas::CharWidth(unsigned char c) {
    return measure_->CharWidth(c);
}

int MeasuringCanvas::SetTextCharacterExtra(int extra) {
    measure_->SetTextCharacterExtra(extra); // measures the extents
    return Canvas::SetTextCharacterExtra(extra);
}

} // namespace zelm

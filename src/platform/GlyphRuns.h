// Drawing on a QPainter what the canvas draws: a text run as one glyph run whose glyphs stand
// at the measured advances, so that what is drawn lines up with what the layout measured and
// nothing is shaped again; and the shapes. Both the canvas and its sprites draw with these.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

#include "formula/Canvas.h"
#include "platform/FontTable.h"

namespace zelm {

/// The kinds of shape the canvas draws.
enum class ShapeKind { Polyline, Bezier, Ellipse };

/// The glyphs of `s` from (x, baseline) on, `strikes` times one pixel apart, in the pen's ink.
void DrawGlyphsOn(QPainter& p, const ResolvedFont& f, const Bytes& s, int x, int baseline,
                  int extra, int strikes);
/// The text's cell relative to its start on the baseline.
QRect CellOf(const FontMetrics& m, int width);
/// A run of `width` pixels with its cell filled with `bk` (none: left as it was), underlined or
/// struck out as its font says.
void DrawRunOn(QPainter& p, const ResolvedFont& f, const Bytes& s, int x, int baseline, int width,
               int extra, const QColor& ink, const std::optional<QColor>& bk);
/// A shape through `pts` moved by `shift`, with the painter's pen and brush; an ellipse is given
/// by the top left and bottom right of its box.
void DrawShapeOn(QPainter& p, ShapeKind kind, const std::vector<Point>& pts, QPoint shift);

} // namespace zelm

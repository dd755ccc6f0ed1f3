#include "platform/GlyphRuns.h"

#include <QGlyphRun>
#include <QPainterPath>
#include <QPolygon>
#include <QVarLengthArray>
#include <algorithm>

namespace zelm {

// Each glyph goes where the measured advances put it, so that the drawn text covers exactly
// the extent the layout measured, extra spacing included; the whole run is one call, shaped
// by nobody. A character the font lacks is left to Qt's font fallback, one by one. The pen
// is the ink already.
void DrawGlyphsOn(QPainter& p, const ResolvedFont& f, const Bytes& s, int x, int baseline,
                  int extra, int strikes) {
    QVarLengthArray<quint32, 256> glyphs;
    QVarLengthArray<QPointF, 256> positions;
    int at = x;
    for (unsigned char b : s) {
        if (f.mapped[b]) {
            glyphs.append(f.glyphs[b]);
            positions.append(QPointF(at, baseline));
        } else {
            p.setFont(f.font);
            for (int strike = 0; strike < strikes; ++strike)
                p.drawText(QPoint(at + strike, baseline), QString(QChar(char16_t(f.chars[b]))));
        }
        at += f.widths[b] + extra;
    }
    if (glyphs.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(f.Raw());
    run.setRawData(glyphs.constData(), positions.constData(), int(glyphs.size()));
    for (int strike = 0; strike < strikes; ++strike)
        p.drawGlyphRun(QPointF(strike, 0), run);
}

QRect CellOf(const FontMetrics& m, int width) {
    return QRect(0, -m.tmAscent, width, m.tmHeight);
}

// A run on its opaque background (none for a transparent one), underlined or struck out as its
// font says.
void DrawRunOn(QPainter& p, const ResolvedFont& f, const Bytes& s, int x, int baseline, int width,
               int extra, const QColor& ink, const std::optional<QColor>& bk) {
    const FontMetrics& m = f.metrics;
    if (bk) p.fillRect(CellOf(m, width).translated(x, baseline), *bk);
    DrawGlyphsOn(p, f, s, x, baseline, extra, f.doubleStrike ? 2 : 1);
    if (f.desc.underline)
        p.fillRect(QRect(x, baseline - m.underscorePosition, width, std::max(1, m.underscoreSize)),
                   ink);
    if (f.desc.strikeOut)
        p.fillRect(QRect(x, baseline - m.strikeoutPosition, width, std::max(1, m.strikeoutSize)),
                   ink);
}

void DrawShapeOn(QPainter& p, ShapeKind kind, const std::vector<Point>& pts, QPoint shift) {
    const auto at = [&](const Point& q) { return QPoint(q.x, q.y) + shift; };
    switch (kind) {
    case ShapeKind::Polyline: {
        QPolygon polygon;
        for (const Point& q : pts)
            polygon << at(q);
        p.drawPolyline(polygon);
        break;
    }
    case ShapeKind::Bezier: {
        QPainterPath path(at(pts[0]));
        for (std::size_t i = 1; i + 2 < pts.size(); i += 3)
            path.cubicTo(at(pts[i]), at(pts[i + 1]), at(pts[i + 2]));
        p.drawPath(path);
        break;
    }
    case ShapeKind::Ellipse: {
        // The box's right and bottom edges lie outside the figure.
        const QPoint topLeft = at(pts[0]);
        const QPoint bottomRight = at(pts[1]);
        p.drawEllipse(QRect(
            topLeft, QSize(bottomRight.x() - topLeft.x() - 1, bottomRight.y() - topLeft.y() - 1)));
        break;
    }
    }
}

} // namespace zelm

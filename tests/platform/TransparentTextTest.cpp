// Pictures drawn by the export painter lie over whatever is under them: between the glyphs of a
// text run the picture's own pixels stay (transparent in a clipboard PNG or SVG), where the line
// painter on the screen fills every text cell with its background colour. Both must hold with
// sprites on or off, and give the same pixels either way.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "formula/EditorGlobals.h"
#include "formula/MathLine.h"
#include "formula/Painter.h"
#include "formula/Renderers.h"
#include "platform/QtCanvas.h"
#include "support/ForwardingCanvas.h"
#include "support/TestBytes.h"

namespace zelm {
namespace {

/// Notes the cell of every text run drawn on the canvas it forwards to.
class CellNotingCanvas final : public test::ForwardingCanvas {
public:
    using ForwardingCanvas::ForwardingCanvas;

    std::vector<QRect> cells;

    // Both painters draw text with baseline alignment: the cell stands tmAscent above it.
    void TextOut(const Bytes& s) override {
        const Point at = inner_.CurrentPosition();
        const FontMetrics m = inner_.Metrics();
        cells.emplace_back(at.x, at.y - m.tmAscent, inner_.TextExtent(s).cx, m.tmHeight);
        ForwardingCanvas::TextOut(s);
    }
};

enum class PainterKind { Export, Line };
enum class Sprites { Direct, Blitted };

struct BackgroundCase {
    const char* name;
    PainterKind painter;
    QColor under; // the picture's pixels before the line is drawn
    Sprites sprites;
};

void PrintTo(const BackgroundCase& c, std::ostream* os) {
    *os << c.name;
}

const BackgroundCase backgroundCases[] = {
    {"ExportOnTransparent", PainterKind::Export, Qt::transparent, Sprites::Direct},
    {"ExportOnTransparentFromSprites", PainterKind::Export, Qt::transparent, Sprites::Blitted},
    {"ExportOnColour", PainterKind::Export, QColor(250, 200, 40), Sprites::Direct},
    {"ExportOnColourFromSprites", PainterKind::Export, QColor(250, 200, 40), Sprites::Blitted},
    {"LineOnTransparent", PainterKind::Line, Qt::transparent, Sprites::Direct},
    {"LineOnColourFromSprites", PainterKind::Line, QColor(250, 200, 40), Sprites::Blitted},
};

/// Text runs with room between their glyphs (spaces, thin letters), italic, an index and a
/// fraction, so that runs of several sizes stand next to shapes.
void SetFormula(MathLine& line) {
    line.SetCodes(test::Codes({15, 16, 30, 31, 17}));
    line.SetText(test::T("sin x + log a #il 1#x#i j##"));
}

class TransparentText : public ::testing::TestWithParam<BackgroundCase> {
protected:
    void TearDown() override { EditorState().Reset(); }

    /// Draws the line on a picture filled with the case's colour, from `sprites` where it can;
    /// notes the text cells.
    QImage Draw(MathLine& line, std::vector<QRect>& cells, SpriteCache* sprites) {
        const BackgroundCase& c = GetParam();
        QImage image(line.NeededWidth + 20, line.ClientHeight + 10,
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(c.under);
        QPainter painter(&image);
        QtCanvas qt(painter, line.BaseFont(), sprites);
        CellNotingCanvas canvas(qt);
        switch (c.painter) {
        case PainterKind::Export:
            DrawLineParts(canvas, {0, 0}, line.PartList(), line.PartCount(), line.Cursieftext(),
                          line.fontColor);
            break;
        case PainterKind::Line: {
            LinePaintInput in = PaintInputOf(line, Rect{0, 0, image.width(), image.height()});
            in.bkColor = Rgb(255, 255, 255);
            in.dispSelStart = in.dispSelEnd = 0;
            EditorState().eraseBackground = false; // only the text cells get the background
            PaintLine(canvas, in);
            break;
        }
        }
        EXPECT_EQ(canvas.CurrentBkMode(), BkMode::Opaque) << "the canvas's own mode comes back";
        cells = canvas.cells;
        return image;
    }
};

TEST_P(TransparentText, ExportLeavesTheGapsInTextCellsLineFillsThem) {
    const BackgroundCase& c = GetParam();
    QtCanvas measure(FontDesc{"Tahoma", -20});
    MathLine line(measure, 600, false);
    line.fontColor = Rgb(20, 20, 90);
    SetFormula(line);
    ASSERT_GT(line.PartCount(), 4);

    SpriteCache cache; // no sprites from elsewhere
    SpriteCache* sprites = c.sprites == Sprites::Blitted ? &cache : nullptr;
    std::vector<QRect> cells;
    QImage image = Draw(line, cells, sprites);
    if (c.sprites == Sprites::Blitted) {
        Draw(line, cells, sprites);         // met again: the sprites are made
        image = Draw(line, cells, sprites); // every run from its sprite
    }
    ASSERT_GE(cells.size(), 5u);

    const QRgb under = c.under.rgba(); // pixel() reads back unpremultiplied
    const QRgb white = qRgb(255, 255, 255);
    long area = 0, untouched = 0, filled = 0, ink = 0;
    QImage seen(image.size(), QImage::Format_Mono); // cells overlap: count each pixel once
    seen.fill(0);
    for (const QRect& cell : cells)
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                if (!image.rect().contains(x, y) || seen.pixelIndex(x, y)) continue;
                seen.setPixel(x, y, 1);
                const QRgb px = image.pixel(x, y);
                ++area;
                untouched += px == under;
                filled += px == white;
                ink += px != under && px != white;
            }
    ASSERT_GT(area, 1000) << c.name;
    EXPECT_GT(ink, 150) << c.name << ": the text was drawn";
    switch (c.painter) {
    case PainterKind::Export:
        // Most of a cell is room around and between glyphs; none of it is boxed in white.
        EXPECT_GT(untouched * 2, area) << c.name;
        EXPECT_EQ(filled, 0) << c.name;
        break;
    case PainterKind::Line:
        EXPECT_EQ(untouched, 0) << c.name;
        EXPECT_GT(filled * 2, area) << c.name;
        break;
    }

    // Blitted from sprites or drawn directly: the same pixels, whatever lies under them.
    if (c.sprites == Sprites::Blitted) {
        const QImage direct = Draw(line, cells, nullptr);
        long differ = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                differ += image.pixel(x, y) != direct.pixel(x, y);
        EXPECT_EQ(differ, 0) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, TransparentText, ::testing::ValuesIn(backgroundCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelm

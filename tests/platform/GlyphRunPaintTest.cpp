// The painter on the Qt canvas draws each text run as one glyph run and puts unchanged runs and
// shapes down again from sprites. Both must give exactly the pixels of the plain way kept here
// as the reference: every character drawn on its own with QPainter::drawText at the advance the
// layout measured, every shape stroked directly. Bold faces whose bold is no heavier than their
// regular get the one-pixel double strike in both.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "formula/DeclMath.h"
#include "formula/EditorGlobals.h"
#include "formula/MathLine.h"
#include "formula/Painter.h"
#include "platform/QtCanvas.h"
#include "support/ForwardingCanvas.h"
#include "support/TestBytes.h"

namespace zelm {
namespace {

/// The Qt canvas the reference passes its other calls to; a base, so it is made first.
struct ReferenceInner {
    ReferenceInner(QPainter& painter, FontDesc start) : qt(painter, start) {}
    QtCanvas qt;
};

/// The canvas as it drew before glyph runs and sprites: one drawText per character.
class ReferenceCanvas final : private ReferenceInner, public test::ForwardingCanvas {
public:
    ReferenceCanvas(QPainter& painter, FontDesc start)
        : ReferenceInner(painter, start), ForwardingCanvas(qt), painter_(painter) {}

    // Baseline alignment is on while the painter draws text.
    void TextOut(const Bytes& s) override {
        const auto f = ResolveFont(inner_.Font());
        const FontMetrics& m = f->metrics;
        const Point at = inner_.CurrentPosition();
        const int width = inner_.TextExtent(s).cx;
        const QColor ink = ToQColor(inner_.TextColor());
        painter_.save(); // the inner canvas keeps track of the painter's pen
        painter_.fillRect(QRect(at.x, at.y - m.tmAscent, width, m.tmHeight), ToQColor(BkColor()));
        painter_.setFont(f->font);
        painter_.setPen(ink);
        int x = at.x;
        for (unsigned char b : s) {
            const QString ch(QChar(char16_t(f->chars[b])));
            painter_.drawText(QPoint(x, at.y), ch);
            if (f->doubleStrike) painter_.drawText(QPoint(x + 1, at.y), ch);
            x += f->widths[b] + inner_.TextCharacterExtra();
        }
        if (f->desc.underline)
            painter_.fillRect(
                QRect(at.x, at.y - m.underscorePosition, width, std::max(1, m.underscoreSize)),
                ink);
        painter_.restore();
        MoveTo(at.x + width, at.y);
    }

private:
    QPainter& painter_;
};

// A line in formula mode: names, italic letters, a power over an index, a fraction with a
// root, brackets, a sum, Greek letters from the "Symbol" face, the bold "d" and "e", a dot,
// an underlined and a coloured stretch.
struct Formula {
    Bytes text, codes;
};
Formula MixedFormula() {
    return {test::T(" y=sin x+##x#i##2#+log a##3#y+1####k=1#n#$+#t-###onder##rood é€##1#4#"),
            test::Codes({23, 15, 30,  31, 7,  8,  16, 12, 25, 13, 17, 24, 22,
                         25, 25, 'a', 18, 33, 35, 38, 38, 39, 39, 26, 27, 28})};
}

struct Case {
    const char* name;
    FontDesc font;
    bool plainText;
    int selStart, selEnd; // display positions; equal: no selection
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const Case cases[] = {
    {"TahomaFormula", {"Tahoma", -16}, false, 0, 0},
    {"TahomaSelected", {"Tahoma", -16}, false, 4, 30},
    {"TahomaLarge", {"Tahoma", -27}, false, 0, 0},
    {"ArialFormula", {"Arial", -16}, false, 0, 0},
    {"ArialSelected", {"Arial", -20}, false, 9, 22},
    {"TangerineFormula", {"Tangerine", -24}, false, 0, 0},
    {"SymbolPlainText", {"Symbol", -16}, true, 0, 0},
    {"TahomaBoldPlainText", {"Tahoma", -16, 0, 700}, true, 0, 0},
};

class GlyphRunPaint : public ::testing::TestWithParam<Case> {
protected:
    void TearDown() override { EditorState().Reset(); }

    /// Paints on white, the window cleared first; or, `patterned`, over a background of many
    /// shades left in place, so that ink reaching out of a text's cell blends over each of them.
    /// The Qt canvas puts down what it can from `sprites`; without them it draws directly.
    QImage Paint(MathLine& line, bool reference, bool patterned, SpriteCache* sprites) {
        QImage image(std::max(line.NeededWidth, 100) + 20, line.ClientHeight + 10,
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        if (patterned)
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(x, y,
                                   qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + y * 59) & 0xFF,
                                        (x * 17 + y * 23 + 128) & 0xFF));
        QPainter painter(&image);
        LinePaintInput in = PaintInputOf(line, Rect{0, 0, image.width(), image.height()});
        in.dispSelStart = GetParam().selStart;
        in.dispSelEnd = GetParam().selEnd;
        EditorState().eraseBackground = !patterned;
        if (reference) {
            ReferenceCanvas canvas(painter, line.BaseFont());
            PaintLine(canvas, in);
        } else {
            QtCanvas canvas(painter, line.BaseFont(), sprites);
            PaintLine(canvas, in);
        }
        return image;
    }
};

TEST_P(GlyphRunPaint, GivesThePixelsOfDrawingCharacterByCharacter) {
    const Case& c = GetParam();
    QtCanvas measure(c.font);
    MathLine line(measure, 480, FontSmoothingOn());
    line.fontColor = Rgb(20, 20, 90);
    const Formula f = MixedFormula();
    if (c.plainText) {
        line.SetPlainText(true);
        line.SetText(" Plain \xE9\xE8 \x80 text, sin(x) & pi \xB1 0,5");
    } else {
        line.SetCodes(f.codes);
        line.SetText(f.text);
    }
    ASSERT_GT(line.PartCount(), 0);

    for (const bool patterned : {false, true}) {
        SCOPED_TRACE(patterned ? "over a patterned background" : "on white");
        SpriteCache sprites;                                           // no sprites from elsewhere
        const QImage first = Paint(line, false, patterned, &sprites);  // drawn directly, noted
        const QImage second = Paint(line, false, patterned, &sprites); // met again: made, put down
        const QImage fromSprites = Paint(line, false, patterned, &sprites); // all from sprites
        const QImage glyphRuns = Paint(line, false, patterned, nullptr);
        const QImage reference = Paint(line, true, patterned, nullptr);

        int ink = 0, differFirst = 0, differSecond = 0, differSprites = 0, differRuns = 0;
        for (int y = 0; y < reference.height(); ++y)
            for (int x = 0; x < reference.width(); ++x) {
                const QRgb r = reference.pixel(x, y);
                ink += r != qRgb(255, 255, 255);
                differFirst += first.pixel(x, y) != r;
                differSecond += second.pixel(x, y) != r;
                differSprites += fromSprites.pixel(x, y) != r;
                differRuns += glyphRuns.pixel(x, y) != r;
            }
        EXPECT_GT(ink, 200) << c.name; // something was drawn
        EXPECT_EQ(differFirst, 0) << c.name;
        EXPECT_EQ(differSecond, 0) << c.name;
        EXPECT_EQ(differSprites, 0) << c.name;
        EXPECT_EQ(differRuns, 0) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Faces, GlyphRunPaint, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Bold that looks bold ----

/// The ink of `text` drawn in black at (4, 40): the sum of how dark every pixel is.
long InkOf(const FontDesc& font, const Bytes& text) {
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QtCanvas canvas(image, font);
        canvas.SetBaselineUpdateCP(true);
        canvas.MoveTo(4, 40);
        canvas.TextOut(text);
    }
    long ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += 255 - qGray(image.pixel(x, y));
    return ink;
}

TEST(BoldText, PutsDownClearlyMoreInkThanRegular) {
    struct Row {
        const char* face;
        const char* text;
        bool doubleStrike; // Tahoma's bold file has the regular stems; the others are heavier
    };
    const Row rows[] = {
        {"Tahoma", "sin log d e x", true},
        {"Arial", "sin log d e x", false},
        {"Symbol", "abpq", false}, // no bold file: the font engine emboldens it
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ResolveFont({r.face, -16, 0, 700})->doubleStrike, r.doubleStrike) << r.face;
        const long regular = InkOf(FontDesc{r.face, -16, 0, 400}, r.text);
        const long bold = InkOf(FontDesc{r.face, -16, 0, 700}, r.text);
        EXPECT_GT(double(bold), 1.15 * double(regular)) << r.face << " " << regular << " " << bold;
    }
    // The double strike keeps the bold file's advances: layout is not changed by it.
    EXPECT_EQ(ResolveFont(FontDesc{"Tahoma", -16, 0, 700})->widths['W'], 16);
}

} // namespace
} // namespace zelm

namespace zelm {
namespace {

// The Qt canvas resolves a description once; its ids survive the font cache being cleared
// (fonts registered later), each still selecting its own description.
TEST(QtCanvasFontIds, SelectTheirDescriptionAlsoAfterTheCacheWasCleared) {
    QtCanvas canvas;
    const FontDesc fonts[] = {{"Tahoma", -16}, {"Tahoma", -16, 0, 700}, {"Symbol", -13}};
    std::vector<FontId> ids;
    for (const FontDesc& f : fonts)
        ids.push_back(canvas.FontIdOf(f));
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_NE(ids[1], ids[2]);
    for (std::size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(canvas.FontIdOf(fonts[i]), ids[i]);
    ClearFontCache();
    // Ids given before stay good for what they stood for; asking again resolves afresh.
    for (std::size_t i = 0; i < ids.size(); ++i) {
        canvas.SelectFontId(ids[i]);
        EXPECT_EQ(canvas.Font(), fonts[i]);
        EXPECT_EQ(canvas.Metrics(), ResolveFont(fonts[i])->metrics);
        canvas.SelectFontId(canvas.FontIdOf(fonts[i]));
        EXPECT_EQ(canvas.Font(), fonts[i]);
    }
    canvas.SelectFont(fonts[1]); // the description road ends at the same font
    EXPECT_EQ(canvas.Font(), fonts[1]);
    EXPECT_EQ(canvas.CharWidth('W'), 16);
}

} // namespace
} // namespace zelm

// The Qt canvas against the fonts' own tables, and a few drawing checks on a QImage.
//
// Raw table values were read once from the font files with a short python3 `struct` script
// (head.unitsPerEm; OS/2 xAvgCharWidth, ySubscript*, ySuperscript*, yStrikeout*, sTypo*,
// usWin*; post.underlinePosition/Thickness; hmtx advances through the Unicode cmap).
// Every expected pixel value is round-half-away-from-zero(units × num / den): num / den is
// 16 / unitsPerEm at height -16, and 20 / (usWinAscent + usWinDescent) at the cell height 20.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <cstdlib>
#include <ostream>
#include <string>
#include <utility>

#include "platform/FontMetricsTables.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"

namespace zelm {
namespace {

/// Raw values in font units, as stored in the tables.
struct RawTables {
    int winAscent, winDescent, xAvgCharWidth, typoAscender, typoDescender, superscriptXSize,
        superscriptYSize, superscriptYOffset, subscriptYOffset, strikeoutSize, strikeoutPosition,
        underlineThickness, underlinePosition;
};
// /usr/share/wine/fonts/tahoma.ttf, unitsPerEm 2048.
constexpr RawTables tahoma = {2049, 423, 1226, 1566, -423, 1434, 1331,
                              928,  293, 130,  689,  130,  -105};
// /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf ("Arial"), unitsPerEm 2048.
constexpr RawTables liberation = {1854, 434, 1187, 1491, -431, 1434, 1331,
                                  977,  283, 102,  530,  150,  -67};
// /usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf (fc-match "Symbol"), unitsPerEm 1000.
constexpr RawTables symbolPs = {750, 250, 500, 778, -222, 300, 404, 269, 0, 46, 227, 46, -229};
// Subscript x/y sizes equal the superscript ones and all x offsets are 0 in the three fonts.

FontDesc Face(const char* face, int height, int weight = 400) {
    FontDesc f;
    f.face = face;
    f.height = height;
    f.weight = weight;
    return f;
}

struct MetricsCase {
    const char* face;
    int height;
    const RawTables& raw;
    int num, den; // the scale of this height
    FontMetrics expected;
};

void PrintTo(const MetricsCase& c, std::ostream* os) {
    *os << c.face << " " << c.height;
}

// The x and y sizes of super- and subscript, and their x offsets (0 in all three fonts),
// follow the same arithmetic; the fields spelled out below are the ones that differ.
FontMetrics Expected(int ascent, int descent, int ave, int typoA, int typoD, int supX, int supY,
                     int supOffY, int subOffY, int strikeSize, int strikePos, int ulSize,
                     int ulPos) {
    FontMetrics m;
    m.hasOutline = true;
    m.tmAscent = ascent;
    m.tmDescent = descent;
    m.tmHeight = ascent + descent;
    m.tmAveCharWidth = ave;
    m.otmAscent = typoA;
    m.otmDescent = typoD;
    m.superscriptSizeX = m.subscriptSizeX = supX;
    m.superscriptSizeY = m.subscriptSizeY = supY;
    m.superscriptOffsetY = supOffY;
    m.subscriptOffsetY = subOffY;
    m.strikeoutSize = strikeSize;
    m.strikeoutPosition = strikePos;
    m.underscoreSize = ulSize;
    m.underscorePosition = ulPos;
    return m;
}

const MetricsCase metricsCases[] = {
    // Tahoma, -16: × 16 / 2048.
    {"Tahoma", -16, tahoma, 16, 2048,
     Expected(16,   // 2049 → 16.008
              3,    // 423 → 3.305
              10,   // 1226 → 9.578
              12,   // 1566 → 12.234
              -3,   // -423 → -3.305
              11,   // 1434 → 11.203
              10,   // 1331 → 10.398
              7,    // 928 → 7.25
              2,    // 293 → 2.289
              1,    // 130 → 1.016
              5,    // 689 → 5.383
              1,    // 130 → 1.016
              -1)}, // -105 → -0.820
    // Tahoma, cell 20: × 20 / (2049 + 423 = 2472).
    {"Tahoma", 20, tahoma, 20, 2472,
     Expected(17,   // 2049 → 16.578
              3,    // 423 → 3.422
              10,   // 1226 → 9.919
              13,   // 1566 → 12.670
              -3,   // -423 → -3.422
              12,   // 1434 → 11.602
              11,   // 1331 → 10.769
              8,    // 928 → 7.508
              2,    // 293 → 2.371
              1,    // 130 → 1.052
              6,    // 689 → 5.574
              1,    // 130 → 1.052
              -1)}, // -105 → -0.850
    // Liberation Sans asked for as "Arial", -16: × 16 / 2048.
    {"Arial", -16, liberation, 16, 2048,
     Expected(14,   // 1854 → 14.484
              3,    // 434 → 3.391
              9,    // 1187 → 9.273
              12,   // 1491 → 11.648
              -3,   // -431 → -3.367
              11,   // 1434 → 11.203
              10,   // 1331 → 10.398
              8,    // 977 → 7.633
              2,    // 283 → 2.211
              1,    // 102 → 0.797
              4,    // 530 → 4.141
              1,    // 150 → 1.172
              -1)}, // -67 → -0.523
    // "Arial", cell 20: × 20 / (1854 + 434 = 2288).
    {"Arial", 20, liberation, 20, 2288,
     Expected(16,   // 1854 → 16.206
              4,    // 434 → 3.794
              10,   // 1187 → 10.376
              13,   // 1491 → 13.033
              -4,   // -431 → -3.767
              13,   // 1434 → 12.535
              12,   // 1331 → 11.635
              9,    // 977 → 8.540
              2,    // 283 → 2.474
              1,    // 102 → 0.892
              5,    // 530 → 4.633
              1,    // 150 → 1.311
              -1)}, // -67 → -0.586
    // "Symbol" (Standard Symbols PS), -16: × 16 / 1000.
    {"Symbol", -16, symbolPs, 16, 1000,
     Expected(12,   // 750 → 12
              4,    // 250 → 4
              8,    // 500 → 8
              12,   // 778 → 12.448
              -4,   // -222 → -3.552
              5,    // 300 → 4.8
              6,    // 404 → 6.464
              4,    // 269 → 4.304
              0,    // 0
              1,    // 46 → 0.736
              4,    // 227 → 3.632
              1,    // 46 → 0.736
              -4)}, // -229 → -3.664
    // "Symbol", cell 20: × 20 / (750 + 250 = 1000).
    {"Symbol", 20, symbolPs, 20, 1000,
     Expected(15,   // 750 → 15
              5,    // 250 → 5
              10,   // 500 → 10
              16,   // 778 → 15.56
              -4,   // -222 → -4.44
              6,    // 300 → 6
              8,    // 404 → 8.08
              5,    // 269 → 5.38
              0,    // 0
              1,    // 46 → 0.92
              5,    // 227 → 4.54
              1,    // 46 → 0.92
              -5)}, // -229 → -4.58
};

class QtCanvasMetrics : public ::testing::TestWithParam<MetricsCase> {};

TEST_P(QtCanvasMetrics, EqualTheFontTablesScaledByTheRoundingRule) {
    const MetricsCase& c = GetParam();
    // First a guard on the hand arithmetic: each expected value is within half a pixel of the
    // raw value scaled.
    const RawTables& r = c.raw;
    const FontMetrics& e = c.expected;
    const std::pair<int, int> pairs[] = {{r.winAscent, e.tmAscent},
                                         {r.winDescent, e.tmDescent},
                                         {r.xAvgCharWidth, e.tmAveCharWidth},
                                         {r.typoAscender, e.otmAscent},
                                         {r.typoDescender, e.otmDescent},
                                         {r.superscriptXSize, e.superscriptSizeX},
                                         {r.superscriptYSize, e.superscriptSizeY},
                                         {r.superscriptYOffset, e.superscriptOffsetY},
                                         {r.subscriptYOffset, e.subscriptOffsetY},
                                         {r.strikeoutSize, e.strikeoutSize},
                                         {r.strikeoutPosition, e.strikeoutPosition},
                                         {r.underlineThickness, e.underscoreSize},
                                         {r.underlinePosition, e.underscorePosition}};
    for (auto [units, pixels] : pairs)
        ASSERT_LE(2 * std::abs(pixels * c.den - units * c.num), c.den) << units << " " << pixels;
    QtCanvas canvas;
    canvas.SelectFont(Face(c.face, c.height));
    EXPECT_EQ(canvas.Metrics(), c.expected) << c.face << " " << c.height;
    EXPECT_EQ(canvas.TextExtent("").cy, c.expected.tmHeight);
}

// "Tahoma_Character16" for a character height of 16, "Tahoma_Cell20" for a cell height of 20.
INSTANTIATE_TEST_SUITE_P(Faces, QtCanvasMetrics, ::testing::ValuesIn(metricsCases),
                         [](const auto& info) {
                             const MetricsCase& c = info.param;
                             return std::string(c.face) + (c.height < 0 ? "_Character" : "_Cell") +
                                    std::to_string(std::abs(c.height));
                         });

TEST(QtCanvasFonts, TheProgramFacesAreRegisteredAndResolveToTheRightFiles) {
    EXPECT_TRUE(RegisterProgramFonts().isEmpty())
        << RegisterProgramFonts().join(", ").toStdString();
    EXPECT_EQ(ResolveFont(Face("Tahoma", -16))->family, "Tahoma");
    EXPECT_EQ(ResolveFont(Face("Tangerine", -16))->family, "Tangerine");
    EXPECT_EQ(ResolveFont(Face("Arial", -16))->family, "Liberation Sans");
    EXPECT_TRUE(ResolveFont(Face("Symbol", -16))->family.startsWith("Standard Symbols PS"));
    // The canvas keeps the name it was given, whatever face draws it.
    QtCanvas canvas;
    canvas.SelectFont(Face("Arial", -16));
    EXPECT_EQ(canvas.Font().face, "Arial");
}

TEST(QtCanvasFonts, TheEmOfACellHeightSizesTheDrawingFont) {
    // Tahoma at cell 20: em = 20 × 2048 / 2472 = 16.57 → 17 pixels; at -16 exactly 16.
    EXPECT_EQ(ResolveFont(Face("Tahoma", 20))->font.pixelSize(), 17);
    EXPECT_EQ(ResolveFont(Face("Tahoma", -16))->font.pixelSize(), 16);
    // Symbol at cell 20: em = 20 × 1000 / 1000 = 20.
    EXPECT_EQ(ResolveFont(Face("Symbol", 20))->font.pixelSize(), 20);
}

TEST(QtCanvasFonts, AFaceThatDoesNotResolveStillMeasuresWithTheStandIn) {
    QtCanvas canvas;
    canvas.SelectFont(Face("Zz No Such Face", -16));
    EXPECT_EQ(canvas.Font().face, "Zz No Such Face");
    const auto resolved = ResolveFont(canvas.Font());
    EXPECT_FALSE(resolved->family.isEmpty());
    EXPECT_NE(resolved->family, "Zz No Such Face");
    const FontMetrics m = canvas.Metrics();
    EXPECT_GT(m.tmAscent, 0);
    EXPECT_GT(m.tmDescent, 0);
    EXPECT_EQ(m.tmHeight, m.tmAscent + m.tmDescent);
    EXPECT_GT(canvas.TextExtent("x").cx, 0);
}

TEST(QtCanvasFonts, ABitmapFaceHasOnlyTheBasicMetrics) {
    // A face without outline tables: the bitmap "MS Sans Serif" of the Wine fonts.
    ASSERT_GE(QFontDatabase::addApplicationFont("/usr/share/wine/fonts/sserife.fon"), 0);
    for (int height : {-13, 16}) {
        QtCanvas canvas;
        canvas.SelectFont(Face("MS Sans Serif", height));
        const FontMetrics m = canvas.Metrics();
        EXPECT_FALSE(m.hasOutline) << height;
        EXPECT_GT(m.tmAscent, 0);
        EXPECT_GT(m.tmDescent, 0);
        EXPECT_EQ(m.tmHeight, m.tmAscent + m.tmDescent);
        EXPECT_GT(m.tmAveCharWidth, 0);
        // No outline values are made up for it.
        EXPECT_EQ(m.otmAscent, 0);
        EXPECT_EQ(m.superscriptSizeY, 0);
        EXPECT_GT(canvas.CharWidth('a'), 0);
        EXPECT_EQ(canvas.TextExtent("ab").cx, canvas.CharWidth('a') + canvas.CharWidth('b'));
    }
}

TEST(QtCanvasMeasuring, TextExtentAddsTheExtraSpacingAfterEveryCharacter) {
    QtCanvas canvas;
    canvas.SelectFont(Face("Tahoma", -16));
    // hmtx advances: W 1847, a 1075 (font units). W: 1847 × 16 / 2048 = 14.43 → 14; a: 1075 × 16 /
    // 2048 = 8.40 → 8.
    EXPECT_EQ(canvas.CharWidth('W'), 14);
    EXPECT_EQ(canvas.CharWidth('a'), 8);
    EXPECT_EQ(canvas.TextExtent("Wa"), (Size{22, 19})); // 14 + 8; 16 + 3
    EXPECT_EQ(canvas.SetTextCharacterExtra(2), 0);
    EXPECT_EQ(canvas.TextExtent("Wa"), (Size{26, 19})); // 14 + 2 + 8 + 2
    // Character widths never include the extra spacing.
    EXPECT_EQ(canvas.CharWidth('W'), 14);
    EXPECT_EQ(canvas.TextExtent(""), (Size{0, 19}));
}

TEST(QtCanvasMeasuring, BoldTakesTheBoldFileOrWidensTheRegularOne) {
    QtCanvas canvas;
    // Tahoma bold has a file of its own (tahomabd.ttf): hmtx W 2105, a 1226; OS/2
    // xAvgCharWidth 1412. W: 2105 × 16 / 2048 = 16.45 → 16; a: 9.58 → 10; average 11.03 → 11.
    canvas.SelectFont(Face("Tahoma", -16, 700));
    EXPECT_EQ(canvas.CharWidth('W'), 16);
    EXPECT_EQ(canvas.CharWidth('a'), 10);
    EXPECT_EQ(canvas.Metrics().tmAveCharWidth, 11);
    // Standard Symbols PS has no bold: the regular advances plus 1 (pi 549 → 8.78 → 9, + 1).
    canvas.SelectFont(Face("Symbol", -16, 700));
    EXPECT_EQ(canvas.CharWidth('p'), 10);
    EXPECT_EQ(canvas.Metrics().tmAveCharWidth, 8); // the table's average, 500 × 16 / 1000
}

TEST(QtCanvasMeasuring, BytesAreWindows1252) {
    QtCanvas canvas;
    canvas.SelectFont(Face("Tahoma", -16));
    // Byte 0x80 is the euro sign U+20AC, hmtx advance 1118: 1118 × 16 / 2048 = 8.73 → 9.
    EXPECT_EQ(canvas.CharWidth(0x80), 9);
    EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x9C), U'\u0153');
    EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081'); // unassigned: itself
    EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
}

TEST(QtCanvasMeasuring, SymbolBytesReachTheClassicSymbolGlyphs) {
    const auto symbol = ResolveFont(Face("Symbol", -16));
    struct Row {
        unsigned char byte;
        int advance;  // font units
        int expected; // × 16 / 1000
    };
    // hmtx advances of the glyphs the cmap gives for these codes (pi, integral, summation,
    // arrow up: the classic Symbol widths).
    const Row rows[] = {
        {'p', 549, 9},  // 8.784
        {242, 274, 4},  // 4.384
        {229, 713, 11}, // 11.408
        {173, 603, 10}, // 9.648
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(symbol->mapped[r.byte]) << int(r.byte);
        EXPECT_EQ(symbol->widths[r.byte], r.expected) << int(r.byte) << " " << r.advance;
    }
    // Standard Symbols PS keeps the classic encoding in its Unicode map, at the byte itself,
    // for every byte: the registered sign at 0xD2 is not looked up at U+00AE, where this font
    // has the arrow of byte 0xAE.
    EXPECT_EQ(symbol->chars['p'], U'p');
    EXPECT_EQ(symbol->chars[0xD2], U'\u00D2');
    EXPECT_EQ(symbol->chars[0xB4], U'\u00B4');
    // The Unicode meanings, for a Unicode font standing in for "Symbol".
    EXPECT_EQ(SymbolToUnicode('p'), U'\u03C0');
    EXPECT_EQ(SymbolToUnicode(242), U'\u222B');
    EXPECT_EQ(SymbolToUnicode(229), U'\u2211');
    EXPECT_EQ(SymbolToUnicode(173), U'\u2191');
    EXPECT_EQ(SymbolToUnicode('a'), U'\u03B1');
    EXPECT_EQ(SymbolToUnicode('W'), U'\u03A9');
    EXPECT_EQ(SymbolToUnicode('0'), U'0');
}

TEST(QtCanvasMeasuring, MetricsAreResolvedOncePerDescription) {
    QtCanvas canvas;
    FontDesc f = Face("Tahoma", -23, 700);
    canvas.SelectFont(f);
    const FontMetrics first = canvas.Metrics();
    // Other tests in this program may have met the Symbol description already.
    canvas.SelectFont(Face("Symbol", -23));
    // A description new to the table gets the table's size as its id.
    const FontId before = ResolveFontId(Face("Tahoma", -97));
    // The layout selects a fresh font after every code character: back and forth.
    for (int i = 0; i < 50; ++i) {
        canvas.SelectFont(f);
        canvas.SelectFont(Face("Symbol", -23));
    }
    canvas.SelectFont(f);
    EXPECT_EQ(ResolveFontId(Face("Tahoma", -98)), before + 1);
    EXPECT_EQ(canvas.Metrics(), first);
    EXPECT_EQ(ResolveFont(f)->metrics, first);
    // A second canvas shares the cache.
    QtCanvas other(f);
    EXPECT_EQ(other.Metrics(), first);
    EXPECT_EQ(ResolveFontId(Face("Tahoma", -99)), before + 2);
}

TEST(FontMetricsTables, ShortOrMissingTablesGiveNoOutline) {
    const std::string os2(78, '\0'), hhea(36, '\0'), post(12, '\0');
    std::string head(20, '\0');
    head[18] = 0x04; // unitsPerEm 1024, but the cell is 0 high
    EXPECT_FALSE(ReadFontTables(os2, hhea, head, post, "").has_value());
    std::string os2Cell = os2;
    os2Cell[75] = 100; // usWinAscent 100
    EXPECT_TRUE(ReadFontTables(os2Cell, hhea, head, post, "").has_value());
    EXPECT_FALSE(ReadFontTables(os2Cell.substr(0, 68), hhea, head, post, "").has_value());
    EXPECT_FALSE(ReadFontTables(os2Cell, hhea, head, "", "").has_value());
}

TEST(FontMetricsTables, RoundingIsHalfAwayFromZero) {
    EXPECT_EQ(RoundDiv(5, 2), 3);
    EXPECT_EQ(RoundDiv(-5, 2), -3);
    EXPECT_EQ(RoundDiv(7, 4), 2);   // 1.75
    EXPECT_EQ(RoundDiv(-5, 4), -1); // -1.25
    EXPECT_EQ(RoundDiv(0, 7), 0);
}

// ---- Drawing into a QImage ----

QRgb PixelAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}
constexpr QRgb white = 0xFFFFFF, black = 0x000000, red = 0xFF0000, cyan = 0x00FFFF;

class QtCanvasDrawing : public ::testing::Test {
protected:
    QtCanvasDrawing() : image(60, 40, QImage::Format_RGB32) { image.fill(Qt::white); }
    QImage image;
};

TEST_F(QtCanvasDrawing, FillRectLeavesOutItsRightAndBottomEdges) {
    {
        QtCanvas canvas(image);
        canvas.FillRect({2, 3, 10, 8}, Rgb(255, 0, 0));
        canvas.FillRect({20, 3, 20, 8}, Rgb(0, 0, 0)); // empty: nothing
    }
    EXPECT_EQ(PixelAt(image, 2, 3), red);
    EXPECT_EQ(PixelAt(image, 9, 7), red);
    EXPECT_EQ(PixelAt(image, 10, 7), white);
    EXPECT_EQ(PixelAt(image, 9, 8), white);
    EXPECT_EQ(PixelAt(image, 1, 3), white);
    EXPECT_EQ(PixelAt(image, 20, 5), white);
}

TEST_F(QtCanvasDrawing, SystemHighlightIsThePalettesHighlight) {
    { QtCanvas(image).FillRect({0, 0, 4, 4}, SystemHighlight); }
    EXPECT_EQ(image.pixel(1, 1), QGuiApplication::palette().color(QPalette::Highlight).rgb());
}

TEST_F(QtCanvasDrawing, APolylineCoversItsPixelsButTheLast) {
    {
        QtCanvas canvas(image);
        canvas.SelectPen({PenStyle::Solid, 1, Rgb(0, 0, 0)});
        canvas.Polyline({{12, 20}, {30, 20}, {30, 25}});
    }
    EXPECT_EQ(PixelAt(image, 11, 20), white);
    for (int x = 12; x <= 30; ++x)
        EXPECT_EQ(PixelAt(image, x, 20), black) << x;
    for (int y = 21; y <= 24; ++y)
        EXPECT_EQ(PixelAt(image, 30, y), black) << y;
    EXPECT_EQ(PixelAt(image, 30, 25), white);
    EXPECT_EQ(PixelAt(image, 31, 20), white);
    EXPECT_EQ(PixelAt(image, 12, 21), white);
}

TEST_F(QtCanvasDrawing, InvertModeInvertsWhatIsUnderTheLine) {
    {
        QtCanvas canvas(image);
        canvas.FillRect({0, 0, 20, 10}, Rgb(255, 0, 0));
        canvas.SelectPen({PenStyle::Solid, 1, Rgb(0, 0, 0)});
        EXPECT_EQ(canvas.SetRop2(RasterOp::Not), RasterOp::CopyPen);
        canvas.PolyPolyline({{{2, 5}, {8, 5}}, {{2, 15}, {8, 15}}});
    }
    EXPECT_EQ(PixelAt(image, 2, 5), cyan);   // inverted red
    EXPECT_EQ(PixelAt(image, 2, 15), black); // inverted white
    EXPECT_EQ(PixelAt(image, 8, 5), red);
}

TEST_F(QtCanvasDrawing, AnEllipseStaysInsideItsBox) {
    {
        QtCanvas canvas(image);
        canvas.SelectPen({PenStyle::Solid, 1, Rgb(0, 0, 0)});
        canvas.SelectBrush({false, Rgb(0, 0, 0)});
        canvas.Ellipse({10, 10, 20, 20});
    }
    int left = 99, top = 99, right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != white) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    EXPECT_EQ(left, 10);
    EXPECT_EQ(top, 10);
    EXPECT_EQ(right, 19);
    EXPECT_EQ(bottom, 19);
    EXPECT_EQ(PixelAt(image, 15, 15), black); // filled by the brush
}

TEST_F(QtCanvasDrawing, TextOutDrawsOnItsBackgroundAndAdvancesByTheExtent) {
    {
        QtCanvas canvas(image);
        canvas.SelectFont(Face("Tahoma", -16));
        canvas.SetBaselineUpdateCP(true);
        canvas.SetBkColor(Rgb(255, 0, 0));
        canvas.SetTextCharacterExtra(1);
        canvas.MoveTo(3, 25);
        canvas.TextOut("Wa");
        // 14 + 1 + 8 + 1 = 24 (see the extent test).
        EXPECT_EQ(canvas.CurrentPosition(), (Point{27, 25}));
    }
    // The background cell: x 3 to 26, y from 25 - 16 to 25 + 3 - 1.
    EXPECT_EQ(PixelAt(image, 3, 9), red);
    EXPECT_EQ(PixelAt(image, 26, 27), red);
    EXPECT_EQ(PixelAt(image, 27, 20), white);
    EXPECT_EQ(PixelAt(image, 3, 8), white);
    EXPECT_EQ(PixelAt(image, 3, 28), white);
    int ink = 0;
    for (int y = 9; y < 28; ++y)
        for (int x = 3; x < 27; ++x)
            ink += PixelAt(image, x, y) != red;
    EXPECT_GT(ink, 20); // the glyphs cover part of the background
}

// At 1638 points, the largest font size, a run or a bracket would need a sprite of hundreds of
// megabytes: it is drawn directly however often it is met.
TEST_F(QtCanvasDrawing, RunsAndShapesAtTheLargestSizeGetNoSprite) {
    SpriteCache sprites; // no sprites from elsewhere
    for (int time = 0; time < 3; ++time) {
        QtCanvas canvas(image, Face("Tahoma", -2184), &sprites);
        canvas.TextOut(" a+b");
        canvas.PolyBezier({{546, 0}, {0, 1092}, {0, 2184}, {546, 4368}});
    }
    EXPECT_EQ(sprites.ImageBytes(), 0);
}

TEST(QtCanvasMeasuringContext, TextOutOnlyMovesThePosition) {
    QtCanvas canvas;
    EXPECT_EQ(canvas.Painter(), nullptr);
    canvas.SelectFont(Face("Tahoma", -16));
    canvas.MoveTo(5, 7);
    canvas.TextOut("Wa"); // no baseline alignment: the position stays
    EXPECT_EQ(canvas.CurrentPosition(), (Point{5, 7}));
    EXPECT_FALSE(canvas.SetBaselineUpdateCP(true));
    canvas.TextOut("Wa");
    EXPECT_EQ(canvas.CurrentPosition(), (Point{27, 7}));
    canvas.FillRect({0, 0, 10, 10}, 0); // nothing to draw on, nothing fails
    canvas.Polyline({{0, 0}, {5, 5}});
}

TEST(QtCanvasSmoothing, IsOnUnderFontconfigsDefault) {
    // The offscreen platform renders with fontconfig's default: antialiased.
    EXPECT_TRUE(FontSmoothingOn());
}

} // namespace
} // namespace zelm

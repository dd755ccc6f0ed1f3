#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formula/EditorGlobals.h"
#include "formula/Painter.h"
#include "support/FixedCanvas.h"
#include "support/HandParts.h"

namespace zelm {
namespace {

using Log = std::vector<std::string>;

using test::MakeList;
using test::MakePart;
using test::MakeSign;

class PainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        EditorState().Reset();
        // Most tests paint after a selection change, when the background is not cleared.
        EditorState().eraseBackground = false;
    }
    void TearDown() override { EditorState().Reset(); }

    void Paint(const TTextdelen& list, const Bytes& cursief, int selStart = 0, int selEnd = 0) {
        LinePaintInput in;
        in.parts = &list;
        in.partCount = list.Count();
        in.cursief = &cursief;
        in.baseFont = baseFont;
        in.textColor = textColor;
        in.bkColor = 0xFFFFFF;
        in.dispSelStart = selStart;
        in.dispSelEnd = selEnd;
        in.client = {0, 0, 200, 24};
        PaintLine(canvas, in);
    }

    test::FixedCanvas canvas;
    ColorRef textColor = Rgb(0, 0, 128);
    FontDesc baseFont;
};

TEST_F(PainterTest, PlainItalicAndBoldRunsGetTheirOwnFontsAndSpacing) {
    // " 12+" then italic "ab" (byte 5 at 4, byte 6 at 7): widths ' ' 4, '1' 4, '2' 8, '+' 8.
    const Bytes cursief = " 12+\x05"
                          "ab\x06";
    TTextdeel italic = MakePart(PartKind::Text, 24, 42, 5, 2); // 2 x (8 + 1 extra)
    italic.Italic = 1;
    TTextdeel name = MakePart(PartKind::Name, 42, 67, 7, 1);
    name.Name = "sin";
    const TTextdelen list = MakeList({MakePart(PartKind::Text, 0, 24, 0, 4), italic, name});
    Paint(list, cursief);
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 " 12+" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                              R"(text 24,18 "ab" Tahoma h-16 w400 i1 u0 x1 c000080 bkffffff)",
                              R"(text 42,18 "sin" Tahoma h-16 w700 i0 u0 x0 c000080 bkffffff)",
                          }));
    EXPECT_EQ(canvas.TextCharacterExtra(), 0);
    EXPECT_EQ(canvas.Font(), FontDesc{});
}

TEST_F(PainterTest, SignPartsDrawTheirOneCharacterAndSwitchPartsShowNothing) {
    // Kind 10 in "Symbol" with its own height, 11 and 12 bold; an underline switch is an
    // empty kind 11 part that still sets the font of the parts after it (Underline 255).
    TTextdeel symbol = MakeSign(PartKind::Symbol, 0, 7, 0, 'p');
    symbol.FontHeight = -15;
    TTextdeel underlineSwitch = MakePart(PartKind::BoldSign, 16, 16, 2, 0);
    TTextdeel d = MakeSign(PartKind::BoldD, 16, 25, 3, 'd');
    d.Underline = 255;
    const TTextdelen list =
        MakeList({symbol, MakeSign(PartKind::BoldSign, 7, 16, 1, 'e'), underlineSwitch, d});
    Paint(list, "\x04\x03\x03\x03");
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 "p" Symbol h-15 w400 i0 u0 x0 c000080 bkffffff)",
                              R"(text 7,18 "e" Tahoma h-16 w700 i0 u0 x0 c000080 bkffffff)",
                              R"(text 16,18 "d" Tahoma h-16 w700 i0 u255 x0 c000080 bkffffff)",
                          }));
}

TEST_F(PainterTest, PartsMeetingAFontAgainGetThatFontAndEachPaintTheLinesOwnFace) {
    // Fonts that differ in one thing only, each met twice, then the line painted again in
    // another face: every part's font is made from what it holds and the face of its paint.
    struct Row {
        PartKind kind;
        int height, italic, underline;
        const char* font; // as logged: face, height, weight, italic, underline
    };
    const Row rows[] = {
        {PartKind::Text, -16, 0, 0, "%s h-16 w400 i0 u0"},
        {PartKind::Name, -16, 0, 0, "%s h-16 w700 i0 u0"},
        {PartKind::Symbol, -16, 0, 0, "Symbol h-16 w400 i0 u0"},
        {PartKind::Text, -16, 0, 255, "%s h-16 w400 i0 u255"},
        {PartKind::Text, -16, 1, 0, "%s h-16 w400 i1 u0"},
        {PartKind::Text, -12, 0, 0, "%s h-12 w400 i0 u0"},
        {PartKind::BoldD, -12, 0, 0, "%s h-12 w700 i0 u0"},
        {PartKind::PowerOpen, -12, 0, 0, "%s h-12 w400 i0 u0"},
    };
    std::vector<TTextdeel> parts;
    for (int pass = 0; pass < 2; ++pass)
        for (const Row& r : rows) {
            TTextdeel p = r.kind == PartKind::Text ? MakePart(r.kind, 0, 8, 0, 1)
                                                   : MakeSign(r.kind, 0, 8, 0, 'x');
            p.FontHeight = r.height;
            p.Italic = r.italic;
            p.Underline = r.underline;
            if (r.kind == PartKind::Name) p.Name = "x";
            parts.push_back(p);
        }
    const TTextdelen list = MakeList(parts);
    for (const char* face : {"Tahoma", "Arial"}) {
        canvas.log.clear();
        baseFont.face = face;
        Paint(list, "x");
        Log expected;
        for (int pass = 0; pass < 2; ++pass)
            for (const Row& r : rows) {
                if (r.kind == PartKind::PowerOpen) continue; // an empty part: nothing drawn
                char font[64];
                std::snprintf(font, sizeof font, r.font, face);
                expected.push_back(std::string(R"(text 0,18 "x" )") + font + " x" +
                                   std::to_string(r.italic) + " c000080 bkffffff");
            }
        EXPECT_EQ(canvas.log, expected) << face;
    }
}

TEST_F(PainterTest, ColouredTextAddsTwoHundredToTheWholeColourValue) {
    // Black + 200 = RGB(200, 0, 0). RGB(100, 0, 0) + 200 = 300 = 0x12C: red 0x2C, green 1.
    TTextdeel coloured = MakePart(PartKind::Text, 0, 8, 0, 1);
    coloured.Coloured = 1;
    const TTextdelen list = MakeList({coloured});
    textColor = Rgb(0, 0, 0);
    Paint(list, "a");
    textColor = Rgb(100, 0, 0);
    Paint(list, "a");
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 "a" Tahoma h-16 w400 i0 u0 x0 cc80000 bkffffff)",
                              R"(text 0,18 "a" Tahoma h-16 w400 i0 u0 x0 c2c0100 bkffffff)",
                          }));
}

TEST_F(PainterTest, AShapeTakesTheColourOfThePartBeforeItEvenAnEmptyOne) {
    // The colour switch (kind 39) is an empty part with Coloured set; it draws nothing but
    // sets the text colour, and the fraction bar after it is drawn in that colour.
    TTextdeel colourSwitch = MakePart(PartKind::BoldSign, 0, 0, 0, 0);
    colourSwitch.Coloured = 1;
    TTextdeel bar = MakePart(PartKind::FractionBar, 0, 30, 1, 0);
    bar.Top = bar.Bottom = 12;
    Paint(MakeList({colourSwitch, bar}), "\x03\x03");
    // The line's RGB(0, 0, 128) is 0x800000; + 200 = 0x8000C8: red 200, blue 128.
    EXPECT_EQ(canvas.log, (Log{"polyline 30,12 0,12 solid1 cc80080"}));
}

class ShapeTest : public ::testing::Test {
protected:
    void SetUp() override { canvas.SetTextColor(Rgb(0, 0, 255)); }
    void Draw(const TTextdeel& p, SelState state = SelState::Before) {
        DrawShapePart(canvas, p, state);
    }
    test::FixedCanvas canvas;
};

TEST_F(ShapeTest, RootSignWithItsOverlineAndTick) {
    // a = 1, box 10,5 27,23, radicand 40 wide (Extra).
    // P0 = (10 + 2, mid(5, 23) = 2 + 11 = 13); P1 = (10 + 5, 13 - 1 = 12);
    // P2 = (mid(27, 15) = 13 + 7 = 20, 23); P3 = (27 - 1, 5); P4 = (27 + 40 + 1 = 68, 5);
    // P5 = (68, 5 + 2). Down-stroke with width 2 from P1 + 1/2 = P1 to P2 - 1/2 = P2.
    TTextdeel root = MakePart(PartKind::RootSign, 10, 27, 0, 1);
    root.Top = 5;
    root.Bottom = 23;
    root.Extra = 40;
    Draw(root);
    EXPECT_EQ(canvas.log, (Log{
                              "polyline 12,13 15,12 20,23 26,5 68,5 68,7 solid1 c0000ff",
                              "polyline 15,12 20,23 solid2 c0000ff",
                          }));
    EXPECT_EQ(canvas.CurrentPen(), Pen{});
}

TEST_F(ShapeTest, SelectedThickRootIsFilledAndGetsADottedOverline) {
    // a = 2, box 10,5 27,23, Extra 40: P0 = (14, 13); P1 = (20, 11); P2 = (13 + 10 = 23, 23);
    // P3 = (25, 5); P4 = (27 + 40 + 2 = 69, 5); P5 = (69, 9).
    // Down-stroke width 4 from (20 + 1, 11 + 1) to (23 - 1, 23 - 1).
    TTextdeel root = MakePart(PartKind::RootSign, 10, 27, 0, 1);
    root.Top = 5;
    root.Bottom = 23;
    root.Extra = 40;
    root.LineWidth = 2;
    Draw(root, SelState::Inside);
    EXPECT_EQ(canvas.log, (Log{
                              "fill 10,5 27,23 highlight",
                              "polyline 14,13 20,11 23,23 25,5 69,5 69,9 solid2 c0000ff",
                              "polyline 21,12 22,22 solid4 c0000ff",
                              "polyline 25,5 69,5 69,9 dot1 c0000ff",
                          }));
}

TEST_F(ShapeTest, FractionBarAndSlashRunFromUpperRightToLowerLeft) {
    TTextdeel bar = MakePart(PartKind::FractionBar, 5, 40, 0, 0);
    bar.Top = bar.Bottom = 30;
    TTextdeel slash = MakePart(PartKind::Slash, 20, 30, 1, 1);
    slash.LineWidth = 2;
    Draw(bar);
    Draw(slash);
    EXPECT_EQ(canvas.log, (Log{
                              "polyline 40,30 5,30 solid1 c0000ff",
                              "polyline 30,2 20,22 solid2 c0000ff",
                          }));
}

TEST_F(ShapeTest, BracketsAreThickenedByExtraPassesFromFiveQuartersOfTheLineWidth) {
    // "(" a = 1: pen 1/2 = 0; x0 = Right 9, x1 = Left + 1 = 1; y0 = 2 + 2 = 4, y3 = 42,
    // d = 38/5 = 7; k = 5/4 = 1, so no extra pass.
    TTextdeel thin = MakePart(PartKind::BracketOpen, 0, 9, 0, 1);
    thin.Bottom = 42;
    Draw(thin);
    // "(" a = 2: pen 1; x1 = 0 + 2 = 2; y0 = 2 + 4 = 6, d = 36/5 = 7; k = 10/4 = 2 extra
    // passes, x1 moving right to 3 and 4.
    TTextdeel medium = thin;
    medium.LineWidth = 2;
    Draw(medium);
    // ")" a = 4: pen 2; x0 = Left 50, x1 = 59 - 4 = 55; y0 = 2 + 8 = 10, d = 32/5 = 6;
    // k = 20/4 = 5 extra passes, x1 moving left to 54 ... 50.
    TTextdeel thick = MakePart(PartKind::BracketClose, 50, 59, 2, 1);
    thick.Bottom = 42;
    thick.LineWidth = 4;
    Draw(thick);
    EXPECT_EQ(canvas.log, (Log{
                              "bezier 9,4 1,11 1,35 9,42 solid0 c0000ff",
                              "bezier 9,6 2,13 2,35 9,42 solid1 c0000ff",
                              "bezier 9,6 3,13 3,35 9,42 solid1 c0000ff",
                              "bezier 9,6 4,13 4,35 9,42 solid1 c0000ff",
                              "bezier 50,10 55,16 55,36 50,42 solid2 c0000ff",
                              "bezier 50,10 54,16 54,36 50,42 solid2 c0000ff",
                              "bezier 50,10 53,16 53,36 50,42 solid2 c0000ff",
                              "bezier 50,10 52,16 52,36 50,42 solid2 c0000ff",
                              "bezier 50,10 51,16 51,36 50,42 solid2 c0000ff",
                              "bezier 50,10 50,16 50,36 50,42 solid2 c0000ff",
                          }));
}

TEST_F(ShapeTest, DotIsFilledBlackWhateverTheTextColour) {
    // a = 1, Left 30, Right 35: x = mid(30, 35) - 2/2 = 15 + 17 - 1 = 31;
    // y = 22 + (2 x -16)/3 = 22 - 10 = 12; box 31,12 to 31 + 3, 12 + 3.
    const Brush before = canvas.CurrentBrush();
    Draw(MakePart(PartKind::Dot, 30, 35, 0, 1));
    // a = 2: x = 32 - 3/2 = 31, box 31,12 to 35,16.
    TTextdeel bigger = MakePart(PartKind::Dot, 30, 35, 0, 1);
    bigger.LineWidth = 2;
    Draw(bigger);
    EXPECT_EQ(canvas.log, (Log{
                              "ellipse 31,12 34,15 solid1 c0000ff brush000000",
                              "ellipse 31,12 35,16 solid2 c0000ff brush000000",
                          }));
    EXPECT_EQ(canvas.CurrentBrush(), before);
}

TEST_F(PainterTest, SelectionFromInsideARunToAfterAShape) {
    // "1234", "(" (code at 4), "5", ")" (code at 6), "6"; selection display positions 2 to 7.
    // Widths: "1234" 4 + 8 + 8 + 8 = 28, brackets and digits 8 each.
    const Bytes cursief = "1234\x03"
                          "5\x03"
                          "6";
    const TTextdelen list = MakeList({
        MakePart(PartKind::Text, 0, 28, 0, 4),
        MakePart(PartKind::BracketOpen, 28, 36, 4, 1),
        MakePart(PartKind::Text, 36, 44, 5, 1),
        MakePart(PartKind::BracketClose, 44, 52, 6, 1),
        MakePart(PartKind::Text, 52, 60, 7, 1),
    });
    Paint(list, cursief, 2, 7);
    // Inverse of RGB(0, 0, 128) is RGB(255, 255, 127). "34" starts after "12" (4 + 8 = 12).
    // "(": x0 36, x1 29, y0 4, y3 22, d = 18/5 = 3; ")": x0 44, x1 51. The "(" takes the
    // inverse colour of the switch, the ")" the normal colour of "5" drawn before it.
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 "12" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                              R"(text 12,18 "34" Tahoma h-16 w400 i0 u0 x0 cffff7f bkhighlight)",
                              "fill 28,2 36,22 highlight",
                              "bezier 36,4 29,7 29,19 36,22 solid0 cffff7f",
                              R"(text 36,18 "5" Tahoma h-16 w400 i0 u0 x0 c000080 bkhighlight)",
                              "fill 44,2 52,22 highlight",
                              "bezier 44,4 51,7 51,19 44,22 solid0 c000080",
                              R"(text 52,18 "6" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                          }));

    // The same line with an empty selection: nothing highlighted, everything in its colour.
    canvas.log.clear();
    Paint(list, cursief, 5, 5);
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 "1234" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                              "bezier 36,4 29,7 29,19 36,22 solid0 c000080",
                              R"(text 36,18 "5" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                              "bezier 44,4 51,7 51,19 44,22 solid0 c000080",
                              R"(text 52,18 "6" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                          }));

    // Selecting just "5": it is switched to at the start of the part, so it is drawn in its
    // own colour on the highlight; the ")" at the selection's end is back to normal.
    canvas.log.clear();
    Paint(list, cursief, 5, 6);
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 "1234" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                              "bezier 36,4 29,7 29,19 36,22 solid0 c000080",
                              R"(text 36,18 "5" Tahoma h-16 w400 i0 u0 x0 c000080 bkhighlight)",
                              "bezier 44,4 51,7 51,19 44,22 solid0 c000080",
                              R"(text 52,18 "6" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                          }));
}

TEST_F(PainterTest, SelectionInsideOneColouredRunUsesTheLineColoursAroundIt) {
    // "12345" selected from 1 to 3: "1" coloured, "23" inverse of the line's own colour, and
    // "45" in the line's own colour, not the coloured one. "23" starts at 4, "45" at 4 + 16.
    TTextdeel run = MakePart(PartKind::Text, 0, 36, 0, 5);
    run.Coloured = 1;
    textColor = Rgb(0, 0, 0);
    Paint(MakeList({run}), "12345", 1, 3);
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 "1" Tahoma h-16 w400 i0 u0 x0 cc80000 bkffffff)",
                              R"(text 4,18 "23" Tahoma h-16 w400 i0 u0 x0 cffffff bkhighlight)",
                              R"(text 20,18 "45" Tahoma h-16 w400 i0 u0 x0 c000000 bkffffff)",
                          }));
}

TEST_F(PainterTest, EraseFlagClearsTheClientOnceAndIsConsumed) {
    const TTextdelen list = MakeList({MakePart(PartKind::Text, 0, 8, 0, 1)});
    EditorState().eraseBackground = true;
    Paint(list, "a");
    EXPECT_FALSE(EditorState().eraseBackground);
    Paint(list, "a");
    EXPECT_EQ(canvas.log, (Log{
                              "fill 0,0 200,24 ffffff",
                              R"(text 0,18 "a" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                              R"(text 0,18 "a" Tahoma h-16 w400 i0 u0 x0 c000080 bkffffff)",
                          }));
}

TEST_F(PainterTest, PointerMarkerIsRemovedAndDrawnAgainInInvertMode) {
    // An I-beam at x = 10 from Top 2 to Bottom 22, arms of 16/4 = 4.
    EditorState().pointerMarkerShown = true;
    EditorState().pointerMarker = {Point{10, 22}, Point{10, 2},  Point{14, 3},
                                   Point{6, 3},   Point{14, 22}, Point{6, 22}};
    TTextdeel bar = MakePart(PartKind::FractionBar, 0, 30, 0, 0);
    bar.Top = bar.Bottom = 12;
    const TTextdelen list = MakeList({bar});
    const std::string marker =
        "polypolyline [10,22 10,2] [14,3 6,3] [14,22 6,22] solid1 c000000 not";
    Paint(list, "\x03");
    EXPECT_EQ(canvas.log, (Log{marker, "polyline 30,12 0,12 solid1 c000080", marker}));

    // After a text change the background is cleared instead: the marker is gone already and
    // is only drawn at the end.
    canvas.log.clear();
    EditorState().eraseBackground = true;
    Paint(list, "\x03");
    EXPECT_EQ(canvas.log,
              (Log{"fill 0,0 200,24 ffffff", "polyline 30,12 0,12 solid1 c000080", marker}));
    EXPECT_EQ(canvas.Rop2(), RasterOp::Not);
}

} // namespace
} // namespace zelm

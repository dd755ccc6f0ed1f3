#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/EditorGlobals.h"
#include "formula/Painter.h"
#include "formula/Renderers.h"
#include "support/FixedCanvas.h"
#include "support/HandParts.h"

namespace zelm {
namespace {

using Log = std::vector<std::string>;

using test::MakeList;
using test::MakePart;
using test::MakeSign;

FontDesc ArialLight() {
    FontDesc f;
    f.face = "Arial";
    f.height = -20;
    f.weight = 300;
    return f;
}

TEST(ExportPainter, EveryPartIsMovedByTheOriginAndItalicsGetTwoPixels) {
    // Origin (100, 50): "12" at (0 + 100, 18 + 50); italic "ab" from 12 (4 + 8 = 12) gets
    // extra spacing 2; the bar's box 5,30 40,30 moves to 105,80 140,80; the dot's box
    // 30,2 35,22 moves to 130,52 135,72: x = mid(130, 135) - 1 = 65 + 67 - 1 = 131,
    // y = 72 + (2 x -16)/3 = 72 - 10 = 62, box 131,62 134,65.
    test::FixedCanvas canvas(ArialLight());
    TTextdeel italic = MakePart(PartKind::Text, 12, 32, 3, 2);
    italic.Italic = 1;
    TTextdeel bar = MakePart(PartKind::FractionBar, 5, 40, 5, 0);
    bar.Top = bar.Bottom = 30;
    const TTextdelen list = MakeList({MakePart(PartKind::Text, 0, 12, 0, 2), italic, bar,
                                      MakePart(PartKind::Dot, 30, 35, 6, 1)});
    DrawLineParts(canvas, {100, 50}, list, list.Count(),
                  "12\x05"
                  "ab\x06\x03\x03",
                  Rgb(0, 128, 0));
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 100,68 "12" Arial h-16 w300 i0 u0 x0 c008000 bkffffff)",
                              R"(text 112,68 "ab" Arial h-16 w300 i1 u0 x2 c008000 bkffffff)",
                              "polyline 140,80 105,80 solid1 c008000",
                              "ellipse 131,62 134,65 solid1 c008000 brush000000",
                          }));
}

TEST(ExportPainter, OnlyNamesAndBoldSignsAreBoldAndDKeepsTheCanvasWeight) {
    test::FixedCanvas canvas(ArialLight());
    TTextdeel name = MakePart(PartKind::Name, 0, 25, 0, 1);
    name.Name = "sin";
    const TTextdelen list = MakeList({name, MakeSign(PartKind::Symbol, 25, 33, 1, 'p'),
                                      MakeSign(PartKind::BoldSign, 33, 42, 2, 'e'),
                                      MakeSign(PartKind::BoldD, 42, 50, 3, 'd')});
    DrawLineParts(canvas, {0, 0}, list, list.Count(), "\x01\x04\x03\x03", Rgb(0, 0, 0));
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 0,18 "sin" Arial h-16 w700 i0 u0 x0 c000000 bkffffff)",
                              R"(text 25,18 "p" Symbol h-16 w300 i0 u0 x0 c000000 bkffffff)",
                              R"(text 33,18 "e" Arial h-16 w700 i0 u0 x0 c000000 bkffffff)",
                              R"(text 42,18 "d" Arial h-16 w300 i0 u0 x0 c000000 bkffffff)",
                          }));
}

TEST(ExportPainter, ColouredTextAndEmptyPartsTouchNothing) {
    // The empty colour switch sets no colour here (unlike the line editor's painter), so the
    // bar after it keeps the canvas's colour; the coloured "a" is RGB(0, 128, 0) + 200 =
    // 0x0080C8: red 200, green 128.
    test::FixedCanvas canvas;
    canvas.SetTextColor(Rgb(0, 0, 255));
    TTextdeel colourSwitch = MakePart(PartKind::BoldSign, 0, 0, 0, 0);
    colourSwitch.Coloured = 1;
    TTextdeel bar = MakePart(PartKind::FractionBar, 0, 30, 1, 0);
    bar.Top = bar.Bottom = 12;
    TTextdeel coloured = MakePart(PartKind::Text, 30, 38, 2, 1);
    coloured.Coloured = 1;
    const TTextdelen list = MakeList({colourSwitch, bar, coloured});
    DrawLineParts(canvas, {0, 0}, list, list.Count(),
                  "\x03\x03"
                  "a",
                  Rgb(0, 128, 0));
    EXPECT_EQ(canvas.log, (Log{
                              "polyline 30,12 0,12 solid1 c0000ff",
                              R"(text 30,18 "a" Tahoma h-16 w400 i0 u0 x0 cc88000 bkffffff)",
                          }));
}

TEST(ExportPainter, CanvasFontSpacingAndAlignmentArePutBack) {
    test::FixedCanvas canvas(ArialLight());
    canvas.SetTextCharacterExtra(3);
    TTextdeel italic = MakePart(PartKind::Text, 0, 20, 1, 2);
    italic.Italic = 1;
    const TTextdelen list = MakeList({italic});
    DrawLineParts(canvas, {10, 0}, list, list.Count(),
                  "\x05"
                  "ab\x06",
                  0);
    // The text advanced the current position: 10 + 2 x (8 + 2) = 30.
    EXPECT_EQ(canvas.CurrentPosition(), (Point{30, 18}));
    EXPECT_EQ(canvas.Font(), ArialLight());
    EXPECT_EQ(canvas.TextCharacterExtra(), 3);
    EXPECT_FALSE(canvas.BaselineUpdateCP());
}

// The same part drawn by the line editor's painter (line font Tahoma -16, a selection from the
// part's first character to the end, erase flag set, pointer marker shown) and by the export
// painter (canvas font Arial weight 300): the export painter takes its face and weight from the
// canvas, keeps "d" in that weight, spaces italics by 2, fills nothing and draws no marker and no
// selection colours. In the line painter a part inside the selection keeps its colour on the
// highlight, except the selected piece of a split text run, which is inverted (empty pieces left
// out).
TEST(ExportPainter, DiffersFromTheLinePainterWhereTheLineEditorIsConcerned) {
    TTextdeel italic = MakePart(PartKind::Text, 0, 18, 1, 2);
    italic.Italic = 1;
    TTextdeel coloured = MakePart(PartKind::Text, 0, 8, 0, 1);
    coloured.Coloured = 1;
    struct Row {
        TTextdeel part;
        Bytes cursief;
        std::string painted, exported; // the text call of each painter
    };
    const Row rows[] = {
        {italic,
         "\x05"
         "ab\x06",
         R"(text 0,18 "ab" Tahoma h-16 w400 i1 u0 x1 cffff7f bkhighlight)",
         R"(text 0,18 "ab" Arial h-16 w300 i1 u0 x2 c000080 bkffffff)"},
        {MakeSign(PartKind::BoldD, 0, 9, 0, 'd'), "\x03",
         R"(text 0,18 "d" Tahoma h-16 w700 i0 u0 x0 c000080 bkhighlight)",
         R"(text 0,18 "d" Arial h-16 w300 i0 u0 x0 c000080 bkffffff)"},
        // Rgb(0, 0, 128) + 200: red 200 in both.
        {coloured, "a", R"(text 0,18 "a" Tahoma h-16 w400 i0 u0 x0 cc80080 bkhighlight)",
         R"(text 0,18 "a" Arial h-16 w300 i0 u0 x0 cc80080 bkffffff)"},
    };
    for (const Row& row : rows) {
        EditorState().Reset();
        EditorState().pointerMarkerShown = true;
        const TTextdelen list = MakeList({row.part});
        test::FixedCanvas screen;
        LinePaintInput in;
        in.parts = &list;
        in.partCount = list.Count();
        in.cursief = &row.cursief;
        in.textColor = Rgb(0, 0, 128);
        in.dispSelStart = row.part.TextPos;
        in.dispSelEnd = int(row.cursief.size());
        in.client = {0, 0, 100, 24};
        PaintLine(screen, in);
        test::FixedCanvas other(ArialLight());
        DrawLineParts(other, {0, 0}, list, list.Count(), row.cursief, Rgb(0, 0, 128));
        Log painted;
        for (const std::string& call : screen.log)
            if (call.rfind("text", 0) == 0 && call.find("\"\"") == std::string::npos)
                painted.push_back(call);
        EXPECT_EQ(painted, Log{row.painted});
        EXPECT_EQ(other.log, Log{row.exported}) << "nothing but the text";
        EXPECT_EQ(screen.log.front().rfind("fill", 0), 0u) << "the line painter clears";
    }
    EditorState().Reset();
}

TEST(CellPainter, TextIsBlackOrRedWhateverTheCanvasColour) {
    test::FixedCanvas canvas;
    canvas.SetTextColor(Rgb(0, 0, 255));
    TTextdeel coloured = MakePart(PartKind::Text, 8, 16, 1, 1);
    coloured.Coloured = 1;
    const TTextdelen list = MakeList({MakePart(PartKind::Text, 0, 8, 0, 1), coloured});
    DrawCellParts(canvas, {4, 0}, list, list.Count(), "ab");
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 4,18 "a" Tahoma h-16 w400 i0 u0 x0 c000000 bkffffff)",
                              R"(text 12,18 "b" Tahoma h-16 w400 i0 u0 x0 cc80000 bkffffff)",
                          }));
}

// The cell renderer lays its formula out itself. For "x" in the -16 font the layout makes one
// text part: pen y = top margin 2 + tmHeight 20 = 22 = Bottom, Top 22 - 20 = 2, Baseline
// 22 - 4 = 18, width 16/2 = 8; the header's height is 22 + 2 = 24.
TEST(FormulaCell, AFormulaWithoutByteZeroIsTextWithNoCodes) {
    test::FixedCanvas canvas;
    EXPECT_EQ(DrawFormulaCell(canvas, TextAlign::Baseline, {4, 0}, "x"), (Size{8, 24}));
    EXPECT_EQ(canvas.log, (Log{R"(text 4,18 "x" Tahoma h-16 w400 i0 u0 x0 c000000 bkffffff)"}));
    EXPECT_EQ(canvas.Font(), FontDesc{});
}

TEST(FormulaCell, ItalicSpacingInTheLayoutFollowsTheFontSize) {
    // The cell layout spaces italics by (-height)/20: 16/20 = 0, so "x" in the -16 font
    // measures 8 as above. With -40 (top margin 5, tmHeight 50, descent -10) it is 40/20 = 2:
    // "x" measures 20 + 2 = 22, Bottom 5 + 50 = 55, Baseline 45, height 55 + 5 = 60. The
    // painter draws italics with 2 pixels either way.
    const Bytes formula = Bytes("\x05x\x06") + '\0';
    test::FixedCanvas small;
    EXPECT_EQ(DrawFormulaCell(small, TextAlign::Baseline, {4, 0}, formula), (Size{8, 24}));
    EXPECT_EQ(small.log, (Log{R"(text 4,18 "x" Tahoma h-16 w400 i1 u0 x2 c000000 bkffffff)"}));
    FontDesc big;
    big.height = -40;
    test::FixedCanvas canvas(big);
    EXPECT_EQ(DrawFormulaCell(canvas, TextAlign::Baseline, {4, 0}, formula), (Size{22, 60}));
    EXPECT_EQ(canvas.log, (Log{R"(text 4,45 "x" Tahoma h-40 w400 i1 u0 x2 c000000 bkffffff)"}));
}

TEST(FormulaCell, AnOpenPowerRunsToTheEndAndItsAppendedCloserNeverShows) {
    // "x", power opener, "2", with the power closer missing. In the -16 font: "x" 0..8 with
    // Bottom 22; the power's empty opener at 8; pen x 8 + 16/8 = 10, pen y 22 - 16/2 = 14,
    // height -(16/2) = -8. "2" is measured in the starting font (8 wide, 20 high): Left 10,
    // Bottom 14, Top -6, Baseline 10. The highest top -6 is moved to the margin 2: everything
    // moves down 8, so "x" has Baseline 18 + 8 = 26 and "2" Baseline 18; running bottom
    // 22 + 8 = 30, height 30 + 2 = 32, width 10 + 8 = 18.
    test::FixedCanvas canvas;
    const Bytes formula = Bytes("x\x03"
                                "2") +
                          '\0' + "\x07";
    EXPECT_EQ(DrawFormulaCell(canvas, TextAlign::Baseline, {4, 0}, formula), (Size{18, 32}));
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 4,26 "x" Tahoma h-16 w400 i0 u0 x0 c000000 bkffffff)",
                              R"(text 14,18 "2" Tahoma h-8 w400 i0 u0 x0 c000000 bkffffff)",
                          }));
}

TEST(FormulaCell, RightCentreAndBottomAlignmentMoveTheOrigin) {
    // "x" is 8 wide and 24 high (see above).
    test::FixedCanvas canvas;
    DrawFormulaCell(canvas, TextAlign::Right | TextAlign::Top, {50, 0}, "x");
    DrawFormulaCell(canvas, TextAlign::Center | TextAlign::Bottom, {50, 30}, "x");
    EXPECT_EQ(canvas.log, (Log{
                              R"(text 42,18 "x" Tahoma h-16 w400 i0 u0 x0 c000000 bkffffff)",
                              R"(text 46,24 "x" Tahoma h-16 w400 i0 u0 x0 c000000 bkffffff)",
                          }));
}

} // namespace
} // namespace zelm

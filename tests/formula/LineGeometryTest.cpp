// Where the mouse is on a laid-out line, without a widget: a root with an index on the fixed
// canvas ("Tahoma" -16, c = 16). " #3#4#" with the structure kinds root, separator,
// root end lays out (worked out with the layout's rules) as
//   1 " "         0..4    by 4..24   (everything moved down 2 by the root end)
//   2 root sign   4..20   by 2..24   display 1, measured "W"
//   3 index "3"   11..14  by 5..12   display 2, cell height 8
//   4 separator   14..14             (empty: holds no point)
//   5 radicand    20..28  by 4..24   display 4
//   6 root closer (empty)
#include <gtest/gtest.h>

#include "formula/LineGeometry.h"
#include "formula/MathLine.h"
#include "support/FixedCanvas.h"
#include "support/TestBytes.h"

namespace zelm {
namespace {

class LineGeometryTest : public ::testing::Test {
protected:
    void SetUp() override {
        Globals().Reset();
        EditorState().Reset();
        line.Selstart = line.Seleinde = line.CaretPos = 1;
        line.SetCodes(Bytes{char(12), char(25), char(13)});
        line.SetText(test::T(" #3#4#"));
        ASSERT_EQ(line.PartCount(), 6);
        ASSERT_EQ(line.PartList()[2].Kind, PartKind::RootSign);
    }
    void TearDown() override {
        Globals().Reset();
        EditorState().Reset();
    }

    test::FixedCanvas canvas;
    MathLine line{canvas, 300};
};

TEST_F(LineGeometryTest, APointOnARootSignGoesToTheIndexWhenTheIndexHoldsIt) {
    EXPECT_EQ(PartUnderPoint(line, {12, 8}), 3);  // on the sign and on the index "3"
    EXPECT_EQ(PartUnderPoint(line, {18, 8}), 2);  // on the sign only: the separator ends the look
    EXPECT_EQ(PartUnderPoint(line, {12, 20}), 2); // below the index
    EXPECT_EQ(PartUnderPoint(line, {22, 10}), 5);
    EXPECT_EQ(PartUnderPoint(line, {2, 10}), 1);
    EXPECT_EQ(PartUnderPoint(line, {2, 2}), 0);   // above the blank (its top is 4)
    EXPECT_EQ(PartUnderPoint(line, {40, 10}), 0); // right of every part
}

TEST_F(LineGeometryTest, HitsOnTheSignTheIndexAndPastTheEnd) {
    // The sign is one character: its display position, 1.
    EXPECT_EQ(HitTest(line, {18, 8}, false), 1);
    // The index is one character too: 2.
    EXPECT_EQ(HitTest(line, {13, 8}, false), 2);
    // The radicand "4" (8 wide from 20): left of its middle 0 characters, nearest too.
    EXPECT_EQ(HitTest(line, {23, 10}, false), 4);
    EXPECT_EQ(HitTest(line, {23, 10}, true), 4);
    // Right of its middle the nearest boundary is behind it: 27 - 20 + 8 / 2 = 11 holds "4".
    EXPECT_EQ(HitTest(line, {27, 10}, false), 4);
    EXPECT_EQ(HitTest(line, {27, 10}, true), 5);
    // Below the line but left of 28 the first part reaching x answers; past 28 nothing does.
    EXPECT_EQ(HitTest(line, {2, 30}, false), 0);
    EXPECT_EQ(HitTest(line, {29, 10}, false), -1);
    // Measuring leaves the line's font selected.
    EXPECT_EQ(canvas.Font(), line.BaseFont());
}

TEST_F(LineGeometryTest, TheIBeamOverTheIndexIsAsSmallAsTheIndex) {
    // The index font is the cell height 8: 8 / 4 = 2 to either side.
    const std::array<Point, 6> ibeam = {Point{12, 12}, Point{12, 5},  Point{14, 6},
                                        Point{10, 6},  Point{14, 12}, Point{10, 12}};
    EXPECT_EQ(IBeamMarker(line.PartList()[3], 12), ibeam);
}

TEST_F(LineGeometryTest, AClickPastTheEndAndADoubleClickOnTheRadicand) {
    ClickAt(line, {60, 10}); // no part: the end of the line, display 6 = text 6
    EXPECT_EQ(line.DispCaret, 6);
    EXPECT_EQ(line.CaretPos, 6);
    EXPECT_EQ(line.Selstart, 6);

    ClickAt(line, {22, 10}); // in front of "4"
    ASSERT_EQ(line.DispCaret, 4);
    ASSERT_TRUE(SelectPartAtCaret(line));
    EXPECT_EQ(line.Selstart, 4);
    EXPECT_EQ(line.Seleinde, 5);
    EXPECT_EQ(line.CaretPos, 4);
    EXPECT_EQ(line.Text(), test::T(" #3#4#"));
}

} // namespace
} // namespace zelm

// Layout on the fixed canvas. The start font is Tahoma -16 unless a test says otherwise:
// c = 16, tmHeight 20, otmAscent 14, otmDescent -4, average width 8, superscript size 8,
// offset x 2, offset y 8, subscript size 8, offset x 2, offset y 4, underline position -2
// (top margin 2), underline thickness 1. Digits and most signs are c/2 = 8 wide, ' ' 4.
// Pen y starts at margin + tmHeight = 22; the pinned descent D = -4.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

#include "formula/FormulaText.h"
#include "formula/Layout.h"
#include "support/FixedCanvas.h"

namespace zelm {
namespace {

constexpr char S = Code::Structure;

Bytes Codes(std::initializer_list<int> kinds) {
    Bytes b;
    for (int k : kinds)
        b += char(k);
    return b;
}

using Box = std::array<int, 4>; // Left, Top, Right, Bottom
Box BoxOf(const TTextdeel& p) {
    return {p.Left, p.Top, p.Right, p.Bottom};
}

struct Laid {
    Bytes text, codes;
    TTextdelen list;
    FontDesc fontAfter; ///< the canvas's font once the layout returned
};

Laid Lay(Bytes text, Bytes codes, LayoutVariant v = {}, FontDesc font = {}) {
    test::FixedCanvas canvas(font);
    Laid r{std::move(text), std::move(codes), {}, {}};
    r.list = LayoutFormula(r.text, r.codes, canvas, v);
    r.fontAfter = canvas.Font();
    return r;
}

TEST(LayoutPlain, ASpaceIsOnePartBetweenTwoMargins) {
    test::FixedCanvas canvas;
    Bytes text = " ", codes;
    const TTextdelen l = LayoutFormula(text, codes, canvas, {});
    ASSERT_EQ(l.Count(), 1);
    EXPECT_EQ(l[1].Kind, PartKind::Text);
    EXPECT_EQ(BoxOf(l[1]), (Box{0, 2, 4, 22})); // top = margin 2, right = space 4
    EXPECT_EQ(l[1].Baseline, 18);               // 22 + D
    EXPECT_EQ(l.Width(), 4);
    EXPECT_EQ(l.Height(), 24); // 2 + 20 + 2
    EXPECT_FALSE(l.Repaired());
    EXPECT_EQ(canvas.Font(), FontDesc{}); // the starting font is selected again
}

TEST(LayoutPlain, ALineWithoutCodesIsOneRun) {
    const Laid r = Lay(" 12+3", "");
    ASSERT_EQ(r.list.Count(), 1);
    EXPECT_EQ(r.list[1].Len, 5);
    EXPECT_EQ(r.list[1].Right, 32); // 4 + 4 ('1') + 8 + 8 + 8
}

TEST(LayoutScripts, PowerIsRaisedSmallerAndFollowedByThePen) {
    // " 2" 0..12. Opener at 12; font -8 (c 8, tmHeight 10); "3" from 12 + 2 to 14 + 4,
    // bottom 22 - 8. Closer at 18, pen 18 + 1 (the opener's underline thickness) for "4".
    const Laid r = Lay(Bytes(" 2") + S + "3" + S + "4", Codes({7, 8}));
    const TTextdelen& l = r.list;
    ASSERT_EQ(l.Count(), 5);
    EXPECT_EQ(l[2].Kind, PartKind::PowerOpen);
    EXPECT_EQ(BoxOf(l[3]), (Box{14, 4, 18, 14}));
    EXPECT_EQ(l[3].FontHeight, -8);
    EXPECT_EQ(l[3].Baseline, 10); // D stays pinned at -4
    EXPECT_EQ(l[4].Kind, PartKind::PowerClose);
    EXPECT_EQ(BoxOf(l[5]), (Box{19, 2, 27, 22}));
    EXPECT_EQ(l.Height(), 24);
}

TEST(LayoutScripts, IndexIsLoweredBySubscriptOffset) {
    // Opener at 12; "3" from 12 + 2, bottom 22 + 4, top 26 - 10; closer at 18, pen 19.
    const Laid r = Lay(Bytes(" 2") + S + "3" + S + "4", Codes({30, 31}));
    const TTextdelen& l = r.list;
    EXPECT_EQ(BoxOf(l[3]), (Box{14, 16, 18, 26}));
    EXPECT_EQ(l[5].Left, 19);
    EXPECT_EQ(l.Height(), 28); // running bottom 26 + margin 2
}

TEST(LayoutScripts, PowerAfterIndexStandsAboveItAndThePenTakesTheWider) {
    // Wide power: index "3" ends at 18, pen 19; the power opener moves to the index opener
    // at 12 (stacked width 19 - 12 = 7); "45" runs 14..22, closer at 22, pen 23 > 12 + 7.
    Laid r = Lay(Bytes(" 2") + S + "3" + S + S + "45" + S + "6", Codes({30, 31, 7, 8}));
    EXPECT_EQ(r.list[5].Left, 12);
    EXPECT_EQ(BoxOf(r.list[6]), (Box{14, 4, 22, 14}));
    EXPECT_EQ(r.list[8].Left, 23);
    // Wide index: "34" ends at 22, pen 23, stacked width 11; "5" runs 14..18, closer at 18,
    // pen 19 is below 12 + 11, so the pen goes to 23.
    r = Lay(Bytes(" 2") + S + "34" + S + S + "5" + S + "6", Codes({30, 31, 7, 8}));
    EXPECT_EQ(r.list[6].Left, 14);
    EXPECT_EQ(r.list[8].Left, 23);
}

TEST(LayoutFraction, WiderNumeratorCentresTheDenominator) {
    // " " 0..4. Opener: pen x 4 + 4 (minus D) = 8, pen y 22 - 14 = 8, font round(-12.8) = -13
    // (c 13: tmHeight 16, digits 6). "22" 8..20 bottom 8 top -8. Bar code at 20; pen 8, y 24.
    // "3" 8..14. N = 12, M = 6, s = 3: "3" moves to 11..17, pen back to 20. Bar part from 8,
    // pen 21, y = 8 + 2 = 10. Denominator tops 8 - 1 = 7 -> moves down 10 - 7 = 3 to 11..27.
    // End: highest top -8 -> everything down 10.
    const Laid r = Lay(Bytes(" ") + S + "22" + S + "3" + S + "4", Codes({15, 16, 17}));
    const TTextdelen& l = r.list;
    ASSERT_EQ(l.Count(), 8);
    EXPECT_EQ(BoxOf(l[3]), (Box{8, 2, 20, 18}));
    EXPECT_EQ(BoxOf(l[5]), (Box{11, 21, 17, 37}));
    EXPECT_EQ(l[7].Kind, PartKind::FractionBar);
    EXPECT_EQ(BoxOf(l[7]), (Box{8, 20, 20, 20}));
    EXPECT_EQ(l[6].Partner, 4);
    EXPECT_EQ(l[4].Partner, 2);
    EXPECT_EQ(BoxOf(l[8]), (Box{21, 12, 29, 32})); // "4" at pen 21, y 22 + 10
    EXPECT_EQ(l.Height(), 39);                     // bottom 24 + 3 + 10, + margin 2
    EXPECT_EQ(l.Width(), 29);
}

TEST(LayoutFraction, WiderDenominatorMovesTheNumerator) {
    // "3" 8..14 over "22" 8..20: N = 6, M = 12, s = -3: numerator and bar code move right 3;
    // the pen stays at 20 and the bar part runs 8..20.
    const Laid r = Lay(Bytes(" ") + S + "3" + S + "22" + S, Codes({15, 16, 17}));
    const TTextdelen& l = r.list;
    EXPECT_EQ(BoxOf(l[3]), (Box{11, 2, 17, 18}));
    EXPECT_EQ(l[4].Left, 17);
    EXPECT_EQ(BoxOf(l[5]), (Box{8, 21, 20, 37}));
    EXPECT_EQ(BoxOf(l[7]), (Box{8, 20, 20, 20}));
    EXPECT_EQ(l.Width(), 20);
}

TEST(LayoutFraction, BracketsGrowAroundIt) {
    // "(" 4..12; fraction as above shifted by 8 (gap 4): numerator top -8, denominator
    // bottom 27 after it moved down 3. ")" 29..37. Both brackets get top -8, bottom 27,
    // height -35; the end shift of 10 brings them to 2..37.
    const Laid r = Lay(Bytes(" ") + S + S + "22" + S + "3" + S + S, Codes({23, 15, 16, 17, 24}));
    const TTextdelen& l = r.list;
    ASSERT_EQ(l.Count(), 9);
    for (int i : {2, 9}) {
        EXPECT_EQ(l[i].Top, 2);
        EXPECT_EQ(l[i].Bottom, 37);
        EXPECT_EQ(l[i].FontHeight, -35);
    }
    EXPECT_EQ(l[2].Left, 4);
    EXPECT_EQ(l[9].Left, 29);
    EXPECT_EQ(l[9].Kind, PartKind::BracketClose);
}

TEST(LayoutRegions, RootIndexEndsOverTheShortStroke) {
    // Root "W" 4..20. Font 8 (cell, c 6: tmHeight 7, digits 3); pen 4 + 8 = 12, y 22 - 1.
    // "3" 12..15. Separator: a = 15 - 4 + 1 - 80 / 7 = 1 < 16 / 2, so the index moves left 1
    // to 11..14 (= 4 + 11 - 1). Radicand "4" at 20..28. Closer: T = 1 - 1 = 0, raise
    // (22 - 0) / 2 = 11; T < margin: all parts down 2.
    const Laid r = Lay(Bytes(" ") + S + "3" + S + "4" + S, Codes({12, 25, 13}));
    const TTextdelen& l = r.list;
    ASSERT_EQ(l.Count(), 6);
    EXPECT_EQ(BoxOf(l[2]), (Box{4, 2, 20, 24}));
    EXPECT_EQ(l[2].Extra, 8); // closer 28 - sign's right 20
    EXPECT_EQ(l[2].Partner, 4);
    EXPECT_EQ(BoxOf(l[3]), (Box{11, 5, 14, 12})); // 14..21 raised 11, lowered 2
    EXPECT_EQ(l[3].FontHeight, 8);
    EXPECT_EQ(BoxOf(l[5]), (Box{20, 4, 28, 24}));
    EXPECT_EQ(l.Height(), 26);
    EXPECT_FALSE(l.Repaired());
}

TEST(LayoutRegions, AWideRootIndexPushesTheSignRight) {
    // "33333" 12..27: a = 27 - 4 + 1 - 11 = 13, not below 8: the sign moves to 17..33.
    const Laid r = Lay(Bytes(" ") + S + "33333" + S + "4" + S, Codes({12, 25, 13}));
    EXPECT_EQ(r.list[2].Left, 17);
    EXPECT_EQ(r.list[2].Right, 33);
    EXPECT_EQ(r.list[5].Left, 33);
}

TEST(LayoutRegions, LogBaseIsRaisedInFrontOfTheName) {
    // "log" bold: 5 + 9 + 9 = 23 at 4..27, then moved right by 8 to 12..35. Base font 8:
    // "2" 12..15 at y = baseline 18 - 8 = 10. Separator: a = 15 - 12 + 1 = 4, name to 16..39.
    const Laid r = Lay(Bytes(" ") + Code::Name + "2" + S + "8", Codes({NameLog, 25}));
    const TTextdelen& l = r.list;
    ASSERT_EQ(l.Count(), 5);
    EXPECT_EQ(l[2].Kind, PartKind::Name);
    EXPECT_EQ(l[2].Name, "log");
    EXPECT_EQ(l[2].Len, 1);
    EXPECT_EQ(BoxOf(l[2]), (Box{16, 2, 39, 22}));
    EXPECT_EQ(BoxOf(l[3]), (Box{12, 3, 15, 10}));
    EXPECT_EQ(l[4].Partner, 2);
    EXPECT_EQ(l[2].Partner, 4);
    EXPECT_EQ(l[5].Left, 39);
    EXPECT_EQ(l.Width(), 47);
}

TEST(LayoutRegions, IntegralAndSumLimits) {
    // Integral 242 at 4..12, moved to 12..20; lower limit font 8: "0" 12..15 at y 22 + 8.
    // First separator: a = max(15 - 12 + 1, 20 - 12) = 8, sign to 20..28; font 8 + 1 = 9.
    // Upper limit from 12 at y = 2 + 16 / 2 = 10: "1" (font 9, c 7, width 7/4 = 1, tmHeight
    // 8) 12..13. Second: a = max(13 - 20 + 1, 15 - 20) = -5, sign to 15..23; font -16 + 1.
    // "5" at 23, measured in the starting font: 23..31.
    Laid r = Lay(Bytes(" ") + S + "0" + S + "1" + S + "5", Codes({20, 25, 25}));
    const TTextdelen* l = &r.list;
    ASSERT_EQ(l->Count(), 7);
    EXPECT_EQ((*l)[2].FirstChar, char(242));
    EXPECT_EQ(BoxOf((*l)[2]), (Box{15, 2, 23, 22}));
    EXPECT_EQ(BoxOf((*l)[3]), (Box{12, 23, 15, 30}));
    EXPECT_EQ(BoxOf((*l)[5]), (Box{12, 2, 13, 10}));
    EXPECT_EQ((*l)[4].Pending, 2);
    EXPECT_EQ((*l)[6].Pending, 1);
    EXPECT_EQ(BoxOf((*l)[7]), (Box{23, 2, 31, 22}));
    EXPECT_EQ((*l)[7].FontHeight, -15);
    EXPECT_EQ(l->Height(), 32);
    // A sum with empty limits: pushed by its own width (12..20 -> 20..28), then back by
    // 12 - 20 + 1 = -7 to 13..21, one pixel right of where its regions start.
    r = Lay(Bytes(" ") + S + S + S + "5", Codes({22, 25, 25}));
    l = &r.list;
    EXPECT_EQ((*l)[2].FirstChar, char(229));
    EXPECT_EQ((*l)[2].Left, 13);
    EXPECT_EQ((*l)[5].Left, 21);
}

TEST(LayoutSlanted, SlashMovesBehindTheDenominator) {
    // Opener at 4, font -80/7 = -11 (c 11: tmHeight 13, digits and "X" 5); pen 5, y 22 - 5.
    // "3" 5..10. Slash "X" 10..15 bottom 17, h = -11: left 10 - 2, right 15 - 2,
    // top 4 + 2 + 2, bottom 17 + 2; pen y 19 + 5, pen x 15 - 5. "4" 10..15 at 24; closer
    // at 15, pen 16 for "5".
    const Laid r = Lay(Bytes(" ") + S + "3" + S + "4" + S + "5", Codes({26, 27, 28}));
    const TTextdelen& l = r.list;
    ASSERT_EQ(l.Count(), 7);
    EXPECT_EQ(BoxOf(l[3]), (Box{5, 4, 10, 17}));
    EXPECT_EQ(BoxOf(l[4]), (Box{10, 11, 15, 24}));
    EXPECT_EQ(l[5].Kind, PartKind::Slash);
    EXPECT_EQ(BoxOf(l[5]), (Box{8, 8, 13, 19}));
    EXPECT_EQ(l[6].Kind, PartKind::SlantedClose);
    EXPECT_EQ(l[7].Left, 16);
    EXPECT_EQ(l.Height(), 26);
}

TEST(LayoutSigns, SymbolSizeSearch) {
    // Line font space 4. Symbol spaces are c/3: -18: 6, -17: 5, -16: 5, -15: 5, -14: 4 fits;
    // the part records -13. "p" at -14: 7 + italic spacing 2; tmHeight 17.
    Laid r = Lay(Bytes(" ") + Code::ItalicOn + Code::Symbol + Code::ItalicOff, "p");
    EXPECT_EQ(r.list[2].Kind, PartKind::Symbol);
    EXPECT_EQ(r.list[2].FontHeight, -13);
    EXPECT_EQ(BoxOf(r.list[2]), (Box{4, 5, 13, 22}));
    EXPECT_EQ(r.list[2].Italic, 1);
    // Inside a root index the height is cell height 8 (c 6, space 1); the search goes down
    // from 10: c 8 -> 2, c 7 -> 2, c 6 -> 2, 7 (c 5) -> 1 fits, recorded 6; "p" 2 + 2 wide.
    r = Lay(Bytes(" ") + S + Code::ItalicOn + Code::Symbol + Code::ItalicOff + S + "1" + S,
            Codes({12, 'p', 25, 13}));
    EXPECT_EQ(r.list[3].FontHeight, 6);
    EXPECT_EQ(r.list[3].Right - r.list[3].Left, 4);
}

TEST(LayoutSigns, SignKindsAndFontSmoothingWidening) {
    // " 2" 12, "sin" bold 9 + 5 + 9 = 23, "e" 8, "(" 8, ")" 8, dot 4: each widened by 1, the
    // name, "e" and the brackets by 2.
    const Bytes text = Bytes(" 2") + Code::Name + S + S + S + S;
    const Bytes codes = Codes({19, 33, 23, 24, 35});
    const Laid smooth = Lay(text, codes, {false, true});
    const std::array<int, 7> rights = {0, 13, 38, 48, 58, 68, 73};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(smooth.list[i].Right, rights[std::size_t(i)]) << i;
    EXPECT_EQ(smooth.list[3].Kind, PartKind::BoldSign);
    EXPECT_EQ(smooth.list[6].Kind, PartKind::Dot);
    const Laid cell = Lay(text, codes, {true, true});
    EXPECT_EQ(cell.list.Width(), 12 + 23 + 8 + 8 + 8 + 4);
}

TEST(LayoutSigns, AReferenceShowsTheNameOfItsListEntry) {
    Globals().Reset();
    const Bytes text = Bytes(" ") + Code::Reference + "1";
    // No entry 1 yet: an empty name part, 0 wide.
    Laid r = Lay(text, Codes({1}));
    EXPECT_EQ(r.list[2].Name, "");
    EXPECT_EQ(r.list[2].Right, 4);
    EXPECT_EQ(r.list[3].Left, 4);
    const FormulaSource source{"F"};
    Globals().references.push_back(&source);
    r = Lay(text, Codes({1})); // "F" bold: 8 + 1
    EXPECT_EQ(r.list[2].Name, "F");
    EXPECT_EQ(r.list[3].Left, 13);
    Globals().Reset();
}

TEST(LayoutSwitches, UnderlineInvertsEveryBit) {
    const Bytes text = Bytes(" ") + S + "1" + S + "2";
    EXPECT_EQ(Lay(text, Codes({38, 38})).list[3].Underline, 255);
    FontDesc underlined;
    underlined.underline = 1;
    const Laid r = Lay(text, Codes({38, 38}), {}, underlined);
    EXPECT_EQ(r.list[3].Underline, 254);
    EXPECT_EQ(r.list[5].Underline, 1);
}

TEST(LayoutVariants, ColourSwitchDiffersForBoldCellFonts) {
    FontDesc bold;
    bold.weight = 700;
    const Bytes text = Bytes(" ") + S + "1" + S + "2";
    const Laid line = Lay(text, Codes({39, 39}), {}, bold); // 700 -> 0 -> 400
    EXPECT_EQ(line.list[3].Coloured, 1);
    EXPECT_EQ(line.list[5].Coloured, 0);
    const Laid cell = Lay(text, Codes({39, 39}), {true, false}, bold); // 700 -> 400 -> 0
    EXPECT_EQ(cell.list[3].Coloured, 0);
    EXPECT_EQ(cell.list[5].Coloured, 1);
}

TEST(LayoutVariants, CellItalicSpacingScalesWithTheFont) {
    const Bytes text = Bytes(" ") + Code::ItalicOn + "ab" + Code::ItalicOff;
    EXPECT_EQ(Lay(text, "").list[2].Right, 4 + 20);                // 8 + 2 twice
    EXPECT_EQ(Lay(text, "", {true, false}).list[2].Right, 4 + 16); // 16 / 20 = 0
    FontDesc big;
    big.height = -40; // space 10, letters 20, cell spacing 40 / 20 = 2
    EXPECT_EQ(Lay(text, "", {true, false}, big).list[2].Right, 10 + 44);
}

TEST(LayoutVariants, CellDoesNotStackAPowerOverAnIndex) {
    // Index "3" ends at 18, pen 19: the power opener stays there, "5" at 21..25, closer
    // at 25, pen 26.
    const Laid r =
        Lay(Bytes(" 2") + S + "3" + S + S + "5" + S + "6", Codes({30, 31, 7, 8}), {true, false});
    EXPECT_EQ(r.list[5].Left, 19);
    EXPECT_EQ(r.list[6].Left, 21);
    EXPECT_EQ(r.list[8].Left, 26);
}

TEST(LayoutFallback, FontWithoutOutlineMetrics) {
    // NoOutline -16: margin 2, superscript size and offset 16 / 2, x offset 0; the descent
    // follows the font: -8 has tmDescent 2, so "3" gets baseline 14 - 2.
    FontDesc plain;
    plain.face = "NoOutline";
    Laid r = Lay(Bytes(" 2") + S + "3" + S, Codes({7, 8}), {}, plain);
    EXPECT_EQ(BoxOf(r.list[3]), (Box{12, 4, 16, 14}));
    EXPECT_EQ(r.list[3].Baseline, 12);
    EXPECT_EQ(r.list.Height(), 24);
    // The chosen subscript: size 8, x offset 0, lowered 8 / 2.
    r = Lay(Bytes(" 2") + S + "3" + S, Codes({30, 31}), {}, plain);
    EXPECT_EQ(BoxOf(r.list[3]), (Box{12, 16, 16, 26}));
}

// ---- repairs --------------------------------------------------------------------------

TEST(LayoutRepairs, StrayClosersAreDeletedAndTheWalkGoesOn) {
    for (int stray : {8, 13, 16, 17, 24, 25, 27, 28, 31}) {
        // The power after the stray proves that the code cursor still matches.
        Laid r = Lay(Bytes(" 1") + S + "2" + S + "3" + S, Codes({stray, 7, 8}));
        EXPECT_EQ(r.text, Bytes(" 12") + S + "3" + S) << stray;
        EXPECT_EQ(r.codes, Codes({7, 8})) << stray;
        EXPECT_TRUE(r.list.Repaired()) << stray;
        ASSERT_EQ(r.list.Count(), 5) << stray;
        EXPECT_EQ(r.list[2].Left, 8) << stray; // "2" right after " 1" (4 + 4)
        EXPECT_EQ(r.list[3].Kind, PartKind::PowerOpen) << stray;
        EXPECT_EQ(r.list[4].FontHeight, -8) << stray;
    }
}

TEST(LayoutRepairs, MissingBarOrSlashIsInsertedBeforeTheCloser) {
    Laid r = Lay(Bytes(" ") + S + "1" + S, Codes({15, 17}));
    EXPECT_EQ(r.text, Bytes(" ") + S + "1" + S + S);
    EXPECT_EQ(r.codes, Codes({15, 16, 17}));
    EXPECT_TRUE(r.list.Repaired());
    // The walk stops there; the power still open gets its closer at the end.
    r = Lay(Bytes(" ") + S + S + "1" + S + "2", Codes({7, 15, 17}));
    EXPECT_EQ(r.text, Bytes(" ") + S + S + "1" + S + S + "2" + S);
    EXPECT_EQ(r.codes, Codes({7, 15, 16, 17, 8}));
    EXPECT_EQ(r.fontAfter, FontDesc{}); // not the power's smaller font
    r = Lay(Bytes(" ") + S + "1" + S, Codes({26, 28}));
    EXPECT_EQ(r.text, Bytes(" ") + S + "1" + S + S);
    EXPECT_EQ(r.codes, Codes({26, 27, 28}));
    EXPECT_TRUE(r.list.Repaired());
}

TEST(LayoutRepairs, RootWithoutSeparatorBecomesASquareRoot) {
    Laid r = Lay(Bytes(" ") + S + "4" + S, Codes({12, 13}));
    // The index region the root opened is still open when the walk stops, so a separator is
    // appended too; the next layout drops it as a stray.
    EXPECT_EQ(r.text, Bytes(" ") + S + "2" + S + "4" + S + S);
    EXPECT_EQ(r.codes, Codes({12, 25, 13, 25}));
    EXPECT_TRUE(r.list.Repaired());
    r = Lay(r.text, r.codes);
    EXPECT_EQ(r.text, Bytes(" ") + S + "2" + S + "4" + S);
    EXPECT_EQ(r.codes, Codes({12, 25, 13}));
    EXPECT_TRUE(r.list.Repaired());
    // Laid out a third time, the text needs nothing more.
    r = Lay(r.text, r.codes);
    EXPECT_FALSE(r.list.Repaired());
}

TEST(LayoutRepairs, OpenStructuresAreClosedInFamilyOrder) {
    // Open: index, bracket, two powers, a fraction, a slanted fraction, a "log" base; the
    // root's index is ended but not its radicand.
    const Bytes text =
        Bytes(" ") + S + "1" + S + S + "2" + S + "3" + S + "4" + S + S + S + Code::Name + "5";
    const Laid r = Lay(text, Codes({30, 23, 7, 7, 12, 25, 15, 26, NameLog}));
    EXPECT_EQ(r.text, text + Bytes(8, S));
    EXPECT_EQ(r.codes,
              Codes({30, 23, 7, 7, 12, 25, 15, 26, NameLog, 13, 8, 8, 17, 28, 24, 25, 31}));
    EXPECT_TRUE(r.list.Repaired());
}

} // namespace
} // namespace zelm

// The line model on the fixed canvas. Its default font is "Tahoma" at height -16, so c = 16:
// tmHeight 20, descent 4, underline position -2 (top margin 2), underline thickness 1,
// widths ' ' 4, 'a' 'b' 'x' '2' 8, 'l' 4; italic runs add 2 per character as extra spacing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/Errors.h"
#include "formula/MathLine.h"
#include "support/FixedCanvas.h"
#include "support/TestBytes.h"

namespace zelm {
namespace {

using namespace test;

class MathLineTest : public ::testing::Test {
protected:
    /// Puts an empty selection with the caret at text position p.
    void Caret(int p) { line.Selstart = line.Seleinde = line.CaretPos = p; }
    /// Writes a code string and a text in one go, the way loading a line does.
    void Load(const Bytes& text, const Bytes& codes) {
        line.SetCodes(codes);
        line.SetText(text);
    }

    FreshGlobals fresh; // first, so that the line below is made in a fresh program state
    test::FixedCanvas canvas;
    MathLine line{canvas, 200};
};

TEST_F(MathLineTest, ANewLineHoldsOneBlankLaidOut) {
    EXPECT_EQ(line.Text(), " ");
    EXPECT_EQ(line.Codes(), "");
    EXPECT_EQ(line.Cursieftext(), " ");
    EXPECT_EQ(line.TextPlusCode(), Bytes(" ") + '\0');
    EXPECT_EQ(line.Selstart, 0);
    EXPECT_EQ(line.Seleinde, 0);
    EXPECT_EQ(line.CaretPos, 0);
    EXPECT_TRUE(line.modified);
    EXPECT_EQ(line.Tag, 200);
    EXPECT_EQ(line.PartCount(), 1);
    EXPECT_EQ(line.CurrentPart, 2);
    // The first clean layout arms the shared retry budget; creation entered nothing in the ring.
    EXPECT_EQ(Globals().retryBudget, 4);
    EXPECT_EQ(line.ringIndex, 0);
    // Height: top margin 2 + tmHeight 20 + top margin 2.
    EXPECT_EQ(line.ClientHeight, 24);
}

TEST_F(MathLineTest, EmptyTextAndWholeSelectionBothLeaveOneBlank) {
    Caret(1);
    line.SetCodes(P(7));
    line.SetText("");
    EXPECT_EQ(line.Text(), " ");
    EXPECT_EQ(line.Codes(), "");
    EXPECT_EQ(line.Selstart, 0);
    EXPECT_EQ(line.Seleinde, 1);

    // Selection 0..4 of a four-character text covers all of it.
    line.Selstart = 0;
    line.Seleinde = 4;
    line.SetText(" abc");
    EXPECT_EQ(line.Text(), " ");
    EXPECT_EQ(line.Seleinde, 0);

    // One character short of the whole text: kept.
    line.Selstart = 0;
    line.Seleinde = 3;
    line.SetText(" abc");
    EXPECT_EQ(line.Text(), " abc");
    EXPECT_EQ(line.Seleinde, 3);
}

TEST_F(MathLineTest, TypedNamesAreRecognisedAndTheCaretFollows) {
    Caret(4);
    line.SetText(" sin");
    EXPECT_EQ(line.Text(), T(" @"));
    EXPECT_EQ(line.Codes(), P(19));
    EXPECT_EQ(line.CaretPos, 2);
    EXPECT_EQ(line.Selstart, 2);
    EXPECT_EQ(line.Seleinde, 2);
    EXPECT_EQ(line.Cursieftext(), T(" @"));
    EXPECT_EQ(line.DispCaret, 2);

    // Two unquoted occurrences: one per pass, both replaced.
    Caret(6);
    Load(" ab\"cos cos", "");
    EXPECT_EQ(line.Text(), " ab\"cos cos");
    Caret(8);
    Load(" cos+cos", "");
    EXPECT_EQ(line.Text(), T(" @+@"));
    EXPECT_EQ(line.Codes(), Codes({16, 16}));
    EXPECT_EQ(line.CaretPos, 4);

    // cumnv at the end of a line.
    Caret(6);
    Load(" cumnv", "");
    EXPECT_EQ(line.Text(), T(" @($);($);(Xl);(x)"));
    EXPECT_EQ(line.Codes(), Codes({32, 'm', 's'}));
    EXPECT_EQ(line.CaretPos, 2);
}

TEST_F(MathLineTest, NamesOfOtherFormulasBecomeReferences) {
    FormulaSource self{"f"}, other{"g"};
    std::vector<const FormulaSource*> sources{&self, &other};
    line.Self = &self;
    line.ExtFormulelijst = &sources;
    Caret(1);
    Load(" f+g", "");
    EXPECT_EQ(line.Text(), B({" f+", kRef}));
    EXPECT_EQ(line.Codes(), P(1));
    EXPECT_EQ(line.Cursieftext(), B({" ", kOn, "f", kOff, "+", kRef}));
    ASSERT_EQ(Globals().references.size(), 1u);
    EXPECT_EQ(Globals().references[0], &other);
}

TEST_F(MathLineTest, SelectionIsOnlyMovedWhenSomethingWasRecognised) {
    line.Selstart = 1;
    line.Seleinde = 3;
    line.CaretPos = 3;
    line.SetText(" abc");
    EXPECT_EQ(line.Selstart, 1);
    EXPECT_EQ(line.Seleinde, 3);
}

TEST_F(MathLineTest, LettersAreItalicUnlessThePlainTextModeIsOn) {
    Caret(1);
    line.SetText(" ab1c");
    EXPECT_EQ(line.Cursieftext(), B({" ", kOn, "ab", kOff, "1", kOn, "c", kOff}));

    line.SetPlainText(true);
    EXPECT_EQ(line.Cursieftext(), " ab1c");
    line.SetText(" sin x");
    EXPECT_EQ(line.Text(), " sin x");
    EXPECT_EQ(line.Cursieftext(), " sin x");
    EXPECT_EQ(line.Codes(), "");

    // Back in formula mode the name is recognised at once.
    line.SetPlainText(false);
    EXPECT_EQ(line.Text(), T(" @ x"));
    EXPECT_EQ(line.Cursieftext(), B({" ", kName, " ", kOn, "x", kOff}));
}

TEST_F(MathLineTest, TextPlusCodeSplitsAtTheFirstZero) {
    Caret(1);
    line.SetTextPlusCode(Bytes("x") + '\0');
    EXPECT_EQ(line.Text(), "x");
    EXPECT_EQ(line.Codes(), "");

    // No zero at all: everything is text, and there is no code string.
    line.SetTextPlusCode(" y");
    EXPECT_EQ(line.Text(), " y");
    EXPECT_EQ(line.Codes(), "");

    // Only the first zero splits: a symbol whose parameter is 0 keeps it.
    line.SetTextPlusCode(T(" $") + P(0) + P(0));
    EXPECT_EQ(line.Text(), T(" $"));
    EXPECT_EQ(line.Codes(), P(0));

    Load(T(" a#2#"), Codes({7, 8}));
    const Bytes saved = line.TextPlusCode();
    EXPECT_EQ(saved, B({" ", kOn, "a", kOff, kStruct, "2", kStruct, Bytes(1, '\0'), P(7), P(8)}));

    test::FixedCanvas otherCanvas;
    MathLine other(otherCanvas);
    other.Selstart = other.Seleinde = other.CaretPos = 1;
    other.SetTextPlusCode(saved);
    // The markers come along into Text and get wrapped again, the codes are the same.
    EXPECT_EQ(other.Text(), B({" ", kOn, "a", kOff, kStruct, "2", kStruct}));
    EXPECT_EQ(other.Codes(), Codes({7, 8}));
    EXPECT_EQ(other.Cursieftext(), B({" ", kOn, kOn, "a", kOff, kOff, kStruct, "2", kStruct}));
    EXPECT_EQ(StripItalicMarkers(other.Text()), line.Text());
}

TEST_F(MathLineTest, AMismatchedCodeStringFallsBackToTheFocusSnapshot) {
    Caret(1);
    Load(T(" a#2#"), Codes({7, 8}));
    line.TakeFocusSnapshot();
    line.SetText(" ab");
    // One code too few for the text: what was typed since the focus came is lost.
    Load(T(" b#3#"), P(7));
    EXPECT_EQ(line.Text(), T(" a#2#"));
    EXPECT_EQ(line.Codes(), Codes({7, 8}));
    // Too many codes likewise.
    Load(" c", P(7));
    EXPECT_EQ(line.Text(), T(" a#2#"));
}

TEST_F(MathLineTest, TheRingKeepsEachEarlierStateOnce) {
    Caret(1);
    const Bytes start = line.TextPlusCode(); // " " and a zero
    line.SetText(" a");
    EXPECT_EQ(line.ringIndex, 1);
    EXPECT_EQ(line.ring[1], start);
    line.SetText(" a"); // the state before is " a" now: a new slot
    EXPECT_EQ(line.ringIndex, 2);
    EXPECT_EQ(line.ring[2], B({" ", kOn, "a", kOff, Bytes(1, '\0')}));
    line.SetText(" a"); // the same state again: not entered twice
    EXPECT_EQ(line.ringIndex, 2);

    // Writing " 11" enters nothing (the state before is " a" again); each of the next nine
    // writes enters the one before it, in slots 3 to 10 and then slot 1.
    for (int ones = 2; ones <= 11; ++ones)
        line.SetText(" " + std::string(std::size_t(ones), '1'));
    EXPECT_EQ(line.ringIndex, 1);
    EXPECT_EQ(line.ring[1], Bytes(" 1111111111") + '\0');
    EXPECT_EQ(line.ring[10], Bytes(" 111111111") + '\0');
    EXPECT_EQ(line.ring[3], Bytes(" 11") + '\0');
}

TEST_F(MathLineTest, PositionsConvertBetweenTextAndDisplay) {
    Caret(1);
    line.SetText(" ab"); // display " " 5 "a" "b" 6
    const int expected[] = {0, 2, 3, 5};
    for (int t = 0; t <= 3; ++t) {
        line.Selstart = line.CaretPos = 0;
        line.Seleinde = t;
        line.TextToDisplay();
        EXPECT_EQ(line.DispSelEnd, expected[t]) << t;
    }
    // Text positions above Seleinde keep their old display positions.
    line.DispSelStart = line.DispCaret = 77;
    line.Selstart = 3;
    line.CaretPos = 2;
    line.Seleinde = 1;
    line.TextToDisplay();
    EXPECT_EQ(line.DispSelStart, 77);
    EXPECT_EQ(line.DispCaret, 77);
    EXPECT_EQ(line.DispSelEnd, 2);
    // Past the end one text position is one display position: 5 + (6 - 3).
    line.Selstart = 4;
    line.CaretPos = 5;
    line.Seleinde = 6;
    line.TextToDisplay();
    EXPECT_EQ(line.DispSelStart, 6);
    EXPECT_EQ(line.DispCaret, 7);
    EXPECT_EQ(line.DispSelEnd, 8);

    for (int d : {1, 2}) {
        line.DispSelStart = line.DispCaret = line.DispSelEnd = d;
        line.DisplayToText();
        EXPECT_EQ(line.Selstart, 1) << d;
        EXPECT_EQ(line.CaretPos, 1) << d;
    }
    line.DispSelStart = 0;
    line.DispCaret = 4;
    line.DispSelEnd = 5;
    line.DisplayToText();
    EXPECT_EQ(line.Selstart, 0);
    EXPECT_EQ(line.CaretPos, 3);
    EXPECT_EQ(line.Seleinde, 3);
    // Outside the display text nothing changes.
    line.DispSelEnd = 9;
    line.Seleinde = 42;
    line.DisplayToText();
    EXPECT_EQ(line.Seleinde, 42);
}

TEST_F(MathLineTest, TheCaretCellLiesUnderTheNextCharacter) {
    Caret(1);
    line.SetText(" ab");
    // Parts: " " 0..4 and the italic "ab" from 4, both with bottom 22 (margin 2 + tmHeight
    // 20). Measured with 1 pixel extra spacing for the italic part: 'a' is 8 + 1 wide.
    EXPECT_EQ(line.CaretCell(2), (CaretRect{4, 22, 9, 1}));
    // In front of "b": 4 + width of "a" 9 = 13.
    EXPECT_EQ(line.CaretCell(3), (CaretRect{13, 22, 9, 1}));
    // A one-character part gives its first character's width: the space, 4.
    EXPECT_EQ(line.CaretCell(0), (CaretRect{0, 22, 4, 1}));
    // At and past the end: after the last part, which ends at 4 + 2 * (8 + 2) = 24, two
    // thirds of 16 = 10 wide.
    EXPECT_EQ(line.CaretCell(5), (CaretRect{24, 22, 10, 1}));
    EXPECT_EQ(line.CaretCell(40), (CaretRect{24, 22, 10, 1}));

    // Raw symbol entry doubles the thickness under a character but not at the end.
    EditorState().rawSymbolArmed = true;
    EXPECT_EQ(line.CaretCell(3), (CaretRect{13, 22, 9, 2}));
    EXPECT_EQ(line.CaretCell(5), (CaretRect{24, 22, 10, 1}));
    // Measuring leaves the measuring context as it was.
    EXPECT_EQ(canvas.Font(), line.BaseFont());
    EXPECT_EQ(canvas.TextCharacterExtra(), 0);
}

TEST_F(MathLineTest, CaretCellsOnANameAndAfterALogBase) {
    Caret(4);
    line.SetText(" log"); // " ", name 23, separator 25: the base is still empty
    ASSERT_EQ(line.Cursieftext(), T(" @#"));
    // The name "log" is added bold at 4: l 5 + o 9 + g 9 = 23 wide, to 27. Its base region
    // moves it right by the average width 8 (12..35); the separator, made at the base's pen
    // x 12, then moves it right by 12 - 12 + 1 = 1: 13..36.
    // At display 1 the caret covers the rest of the name, from the next part's left (the
    // separator at 12, left of the name's 13) to the name's right: 36 - 12 = 24.
    EXPECT_EQ(line.CaretCell(1), (CaretRect{12, 22, 24, 1}));
    // After the separator the caret stands behind its owner, the name; the separator was
    // made in the base's cell height 8 (c = 6), still 1 thick.
    EXPECT_EQ(line.CaretCell(3), (CaretRect{36, 22, 10, 1}));
}

TEST_F(MathLineTest, NeededWidthIsTheLineWidthPlusTheEndCaret) {
    Caret(1);
    line.SetText(" ab");
    // 24 + 10, see the caret cell above.
    EXPECT_EQ(line.NeededWidth, 34);
}

TEST_F(MathLineTest, EventsReportChangesAfterTheLayout) {
    std::vector<std::string> events;
    int heightSeenByTheEvent = -1;
    line.OnGewijzigd = [&](MathLine&) { events.push_back("gewijzigd"); };
    line.OnHeightChange = [&](MathLine& l, int h) {
        events.push_back("height " + std::to_string(h));
        heightSeenByTheEvent = l.ClientHeight;
    };
    line.OnWidthChange = [&](MathLine&, int w) { events.push_back("width " + std::to_string(w)); };
    line.Tag = 34;
    Caret(1);

    line.SetText(" ab"); // needs 34: not more than Tag
    EXPECT_EQ(events, (std::vector<std::string>{"gewijzigd"}));
    events.clear();
    line.Tag = 33;
    line.SetText(" ab");
    EXPECT_EQ(events, (std::vector<std::string>{"gewijzigd", "width 34"}));
    events.clear();

    // A font twice as high: c = 32, margin 4, tmHeight 40, so 48 high; the event comes
    // while the line is still 24 high. Needed: space 8 + caret 21 = 29.
    FontDesc big;
    big.height = -32;
    line.SetText(" ");
    events.clear();
    line.SetFont(big, false); // taken, but no layout yet
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(canvas.Font(), big);
    line.SetFont(big, true);
    EXPECT_EQ(events, (std::vector<std::string>{"gewijzigd", "height 48"}));
    EXPECT_EQ(heightSeenByTheEvent, 24);
    EXPECT_EQ(line.ClientHeight, 48);
    EXPECT_EQ(line.NeededWidth, 29);
    EXPECT_EQ(line.ClientWidth, 200); // never shrinks
}

TEST_F(MathLineTest, TheClientWidthGrowsToTheNeededWidth) {
    test::FixedCanvas narrowCanvas;
    MathLine narrow(narrowCanvas, 20);
    std::vector<std::string> resized;
    narrow.hooks.resize = [&](int w, int h) {
        resized.push_back(std::to_string(w) + "x" + std::to_string(h));
    };
    narrow.Selstart = narrow.Seleinde = narrow.CaretPos = 1;
    narrow.SetText(" ab");
    EXPECT_EQ(narrow.ClientWidth, 34);
    EXPECT_EQ(resized, (std::vector<std::string>{"34x24"}));
}

TEST_F(MathLineTest, EveryRunEndsByRepaintingAndPlacingTheCaret) {
    std::vector<std::string> calls;
    line.hooks.hideCaret = [&] { calls.push_back("hide"); };
    line.hooks.paint = [&] {
        calls.push_back(EditorState().eraseBackground ? "paint erased" : "paint");
    };
    line.hooks.placeCaret = [&] {
        calls.push_back("caret " + std::to_string(line.CaretCellValue().x));
    };
    EditorState().eraseBackground = false;
    Caret(1);
    line.SetText(" ab");
    // The caret goes in front of "a" (display 2): x 4.
    EXPECT_EQ(calls, (std::vector<std::string>{"hide", "paint erased", "caret 4"}));
}

TEST_F(MathLineTest, FocusTakesTheSnapshotAndTheReferenceWidth) {
    test::FixedCanvas c;
    MathLine l(c);
    l.ClientWidth = 90;
    l.EnterFocus();
    EXPECT_EQ(l.Tag, 90);
    EXPECT_EQ(l.snapshotText, " ");
    l.ClientWidth = 120;
    l.EnterFocus();
    EXPECT_EQ(l.Tag, 90);
}

// ---- Repairs through the setter (the layout finds them, the setter lays out again) ----

TEST_F(MathLineTest, StrayClosersOfEveryFamilyAreDeleted) {
    for (int kind : {8, 13, 16, 17, 24, 25, 27, 28, 31}) {
        Caret(1);
        Load(T(" a#b"), P(kind));
        EXPECT_EQ(line.Text(), " ab") << kind;
        EXPECT_EQ(line.Codes(), "") << kind;
        EXPECT_FALSE(line.PartList().Repaired()) << kind;
        EXPECT_EQ(Globals().retryBudget, 4) << kind;
    }
}

TEST_F(MathLineTest, MissingMiddlesAreInserted) {
    Caret(1);
    // A fraction closer without a bar gets one right before it.
    Load(T(" #1#"), Codes({15, 17}));
    EXPECT_EQ(line.Text(), T(" #1##"));
    EXPECT_EQ(line.Codes(), Codes({15, 16, 17}));
    // A slanted fraction likewise gets its slash.
    Load(T(" #1#"), Codes({26, 28}));
    EXPECT_EQ(line.Codes(), Codes({26, 27, 28}));
    // A root without an index becomes a square root showing the index 2.
    Load(T(" #x#"), Codes({12, 13}));
    EXPECT_EQ(line.Text(), T(" #2#x#"));
    EXPECT_EQ(line.Codes(), Codes({12, 25, 13}));
}

TEST_F(MathLineTest, OpenStructuresAreClosedInFamilyOrder) {
    Caret(1);
    // Root with index 3, then a power, a bracket and an index, none closed.
    Load(T(" #3#x#2#y#i"), Codes({12, 25, 7, 23, 30}));
    EXPECT_EQ(line.Text(), T(" #3#x#2#y#i####"));
    EXPECT_EQ(line.Codes(), Codes({12, 25, 7, 23, 30, 13, 8, 24, 31}));
}

/// " " followed by n roots without an index: each layout can mend only the first one left,
/// since inserting an index ends the pass (each root has its own separator link, so a mended
/// root does not cover for the next one). Each such pass also appends a separator for the
/// index region still open, and one more layout drops those strays: n + 1 repaired layouts.
Bytes RootsWithoutIndex(int n, Bytes& codes) {
    Bytes text = " ";
    codes.clear();
    for (int i = 0; i < n; ++i) {
        text += T("#x#");
        codes += Codes({12, 13});
    }
    return text;
}

TEST_F(MathLineTest, FourRepairedLayoutsInARowAreAllowed) {
    Bytes codes;
    Caret(1);
    Load(RootsWithoutIndex(3, codes), codes);
    EXPECT_EQ(CountCodeChars(line.Text()), 9);
    EXPECT_EQ(line.Codes().size(), 9u);
    EXPECT_EQ(Globals().retryBudget, 4);
}

TEST_F(MathLineTest, AnEmptyBudgetRaisesFoutjeButKeepsEveryRepair) {
    // Four roots need five repaired layouts, five roots six: all are made, then the error.
    for (int roots : {4, 5}) {
        Bytes codes;
        Caret(1);
        Globals().retryBudget = 0;
        const Bytes broken = RootsWithoutIndex(roots, codes);
        line.SetCodes(codes);
        try {
            line.SetText(broken);
            ADD_FAILURE() << "no error " << roots;
        } catch (const ZelmError& e) {
            EXPECT_STREQ(e.what(), "Foutje");
        }
        EXPECT_EQ(Globals().retryBudget, 0) << roots;
        // The line holds the text with every repair made: the setter keeps it as it is, even
        // on the empty budget, so a saved line loads back unchanged.
        EXPECT_EQ(CountCodeChars(line.Text()), 3 * roots) << roots;
        EXPECT_EQ(line.Text().find(kOn), Bytes::npos) << roots;
        const Bytes kept = line.Text(), keptCodes = line.Codes();
        line.SetText(kept);
        EXPECT_EQ(line.Text(), kept) << roots;
        EXPECT_EQ(line.Codes(), keptCodes) << roots;
        EXPECT_EQ(Globals().retryBudget, 4) << roots;
    }
}

TEST_F(MathLineTest, AnEmptyBudgetFailsOnTheFirstRepair) {
    Caret(1);
    Globals().retryBudget = 0;
    line.SetCodes(P(8));
    EXPECT_THROW(line.SetText(T(" a#")), ZelmError);
    // The stray closer is gone already.
    EXPECT_EQ(line.Text(), " a");
    EXPECT_EQ(line.Codes(), "");
}

// After a "Foutje" the budget is 0; a text that is nothing but a stray power closer repairs to
// nothing, and the line keeps the blank instead of an empty text.
TEST_F(MathLineTest, RepairsThatEmptyTheTextOnAnEmptyBudgetLeaveTheBlank) {
    Caret(0);
    Globals().retryBudget = 0;
    line.SetCodes(P(8));
    EXPECT_THROW(line.SetText(kStruct), ZelmError);
    EXPECT_EQ(line.Text(), " ");
    EXPECT_EQ(line.Codes(), "");
    line.SetText(line.Text());
    EXPECT_EQ(line.Text(), " ");
}

} // namespace
} // namespace zelm

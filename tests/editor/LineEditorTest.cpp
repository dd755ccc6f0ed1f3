// The line widget driven by Qt events, measuring with the fixed canvas and without font
// smoothing. Font "Tahoma" -16, so c = 16: tmHeight 20, top margin 2 (underline position -2),
// line height 2 + 20 + 2 = 24, part bottoms at 22, underline thickness 1, end caret 16 * 2 / 3
// = 10 wide. Widths: ' ' 4, 'a'..'d' '+' 8, '1' 4; italic runs are laid out with 2 pixels of
// extra spacing per character, while the hit test and the caret measure them with the part's
// Italic value 1 as extra spacing (so an italic 'a' measures 9).
//
// " ab" in formula mode shows as " " 5 "a" "b" 6 and lays out as " " (display 0, 0..4) and the
// italic run "ab" (display 2 and 3, 4..24).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "editor/LineEditor.h"
#include "support/FixedLines.h"
#include "support/RecordingLineOwner.h"

namespace zelm {
namespace {

const Bytes kOn(1, Code::ItalicOn);
const Bytes kOff(1, Code::ItalicOff);

class LineEditorTest : public ::testing::Test {
protected:
    test::FixedLines fixedLines;    // first: outlives the widgets below
    test::RecordingLineOwner owner; // outlives the lines that report to it
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(300, 200);
        other = new QLineEdit(window.get()); // somewhere else to put the focus
        other->setGeometry(0, 150, 100, 30);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { window.reset(); }

    /// A new line in the window, as wide as the window is now.
    TMathEditor* NewEditor() {
        auto* e = new TMathEditor(window.get());
        e->show();
        return e;
    }
    /// A line holding `text` with the caret at text position 1, as the main window makes it.
    TMathEditor* EditorWith(const Bytes& text) {
        TMathEditor* e = NewEditor();
        Caret(*e, 1);
        e->SetText(text);
        return e;
    }
    static void Caret(TMathEditor& e, int p) {
        e.Line().Selstart = e.Line().Seleinde = e.Line().CaretPos = p;
    }
    static std::array<int, 3> Disp(const TMathEditor& e) {
        return {e.Line().DispSelStart, e.Line().DispCaret, e.Line().DispSelEnd};
    }
    static std::array<int, 3> TextPositions(const TMathEditor& e) {
        return {e.Line().Selstart, e.Line().CaretPos, e.Line().Seleinde};
    }
    void Focus(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(w->hasFocus());
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* other = nullptr;
};

TEST_F(LineEditorTest, ANewControlHoldsOneBlankAtPositionZero) {
    TMathEditor* e = NewEditor();
    EXPECT_EQ(e->Text(), " ");
    EXPECT_EQ(e->Cursieftext(), " ");
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(e->Line().Tag, 300); // the owner's client width
    EXPECT_EQ(e->width(), 300);
    EXPECT_EQ(e->height(), 24);
    EXPECT_TRUE(e->Line().modified);
    EXPECT_EQ(e->Offset(), 0);
    EXPECT_FALSE(e->PlainText());
    EXPECT_EQ(e->Font(), FontDesc{});
    // Editing does not move the offset either.
    Caret(*e, 1);
    e->SetText(" ab");
    EXPECT_EQ(e->Offset(), 0);
}

TEST_F(LineEditorTest, PositionsConvertAroundTheItalicMarkers) {
    TMathEditor* e = EditorWith(" ab");
    ASSERT_EQ(e->Cursieftext(), " " + kOn + "ab" + kOff);
    MathLine& m = e->Line();
    // Text positions 0..3 in front of display positions 0, 2, 3, 5: a marker stands in front
    // of "a" and after "b", and a position lands behind it.
    const int display[] = {0, 2, 3, 5};
    for (int t = 0; t <= 3; ++t) {
        m.Selstart = m.CaretPos = m.Seleinde = t;
        m.TextToDisplay();
        EXPECT_EQ(Disp(*e), (std::array<int, 3>{display[t], display[t], display[t]})) << t;
    }
    // Display positions 1 and 2 both lie behind one text character.
    m.DispSelStart = 1;
    m.DispCaret = 2;
    m.DispSelEnd = 4;
    m.DisplayToText();
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{1, 1, 3}));
}

TEST_F(LineEditorTest, AClickPutsTheCaretInFrontOfTheCharacterUnderThePointer) {
    TMathEditor* e = EditorWith(" ab");
    // The italic 'a' measures 4..13 and 'b' 13..22 (9 each with the extra pixel).
    struct Row {
        int x, dispCaret, caretPos;
    } rows[] = {
        {6, 2, 1},   // left half of 'a'
        {12, 2, 1},  // right half of 'a': still in front of it
        {15, 3, 2},  // 'b': 15 - 4 = 11 holds "a" (9) but not "ab" (18)
        {1, 0, 0},   // on the leading blank, a one-character part
        {100, 5, 3}, // right of every part: the end of the line, length of " " 5 "ab" 6
    };
    for (const Row& r : rows) {
        QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(r.x, 10));
        EXPECT_TRUE(e->hasFocus()) << r.x;
        EXPECT_EQ(Disp(*e), (std::array<int, 3>{r.dispCaret, r.dispCaret, r.dispCaret})) << r.x;
        EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{r.caretPos, r.caretPos, r.caretPos}))
            << r.x;
    }
    // A point below the parts still finds the first part reaching its x.
    QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(15, 23));
    EXPECT_EQ(e->Line().CaretPos, 2);
}

TEST_F(LineEditorTest, AClickEntersTheFocusAgainAndFiresOnclick) {
    TMathEditor* e = EditorWith(" ab");
    int clicks = 0;
    e->SetOwner(&owner);
    e->Onclick = [&](TMathEditor&) { ++clicks; };
    QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
    EXPECT_EQ(clicks, 1);
    const int entersAfterFirst = owner.Count("enter");
    EXPECT_GE(entersAfterFirst, 1);
    // A click on the focused line takes a fresh focus snapshot.
    Caret(*e, 3);
    e->SetText(" abc");
    QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(owner.Count("enter"), entersAfterFirst + 1);
    EXPECT_EQ(e->Line().snapshotText, " abc");
    // A right click is no click.
    QTest::mouseClick(e, Qt::RightButton, Qt::NoModifier, QPoint(6, 10));
    EXPECT_EQ(clicks, 2);
}

TEST_F(LineEditorTest, DraggingMovesTheStartLeftAndTheEndRight) {
    // " abcd": " " 5 "abcd" 6; the italic run starts at display 2, x 4, and its characters
    // measure 9 each, so display boundaries 2, 3, 4, 5, 6 lie at x 4, 13, 22, 31, 40. While
    // dragging the nearest boundary counts: x - 4 + 9 / 2 = x divided by 9 characters.
    TMathEditor* e = EditorWith(" abcd");
    ASSERT_EQ(e->Cursieftext(), " " + kOn + "abcd" + kOff);
    QTest::mousePress(e, Qt::LeftButton, Qt::NoModifier, QPoint(24, 10)); // 20 holds "ab"
    EXPECT_EQ(Disp(*e), (std::array<int, 3>{4, 4, 4}));
    struct Step {
        int x;
        std::array<int, 3> disp; // DispSelStart, DispCaret, DispSelEnd
    } steps[] = {
        {10, {3, 4, 4}}, // 10 / 9 = 1 character: d = 3, left of the start, which moves
        {5, {2, 4, 4}},  // 5 / 9 = 0: d = 2
        // Left of the line counts as x 0, on the blank (0..4): 0 + 4 / 2 does not hold it, d 0.
        {-7, {0, 4, 4}},
        {14, {0, 3, 3}}, // 14 / 9 = 1: d = 3 right of the start: the end moves, the caret too
        {33, {0, 3, 5}}, // 33 / 9 = 3: d = 5; the caret stays left of the end
        {30, {0, 3, 5}}, // 30 / 9 = 3 again: no change
    };
    for (const Step& s : steps) {
        QTest::mouseMove(e, QPoint(s.x, 10));
        EXPECT_EQ(Disp(*e), s.disp) << s.x;
    }
    QTest::mouseRelease(e, Qt::LeftButton, Qt::NoModifier, QPoint(30, 10));
    // Display 0, 3, 5 are text positions 0, 2, 4: the selection is " abc".
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{0, 2, 4}));

    // Back onto the caret collapses the end onto it.
    QTest::mousePress(e, Qt::LeftButton, Qt::NoModifier, QPoint(24, 10)); // d 4
    QTest::mouseMove(e, QPoint(33, 10));                                  // end 5
    QTest::mouseMove(e, QPoint(24, 10));                                  // 24 / 9 = 2: d 4
    EXPECT_EQ(Disp(*e), (std::array<int, 3>{4, 4, 4}));
    QTest::mouseRelease(e, Qt::LeftButton, Qt::NoModifier, QPoint(24, 10));

    // Without the held left button, or with a modifier, moving selects nothing.
    QTest::mouseMove(e, QPoint(5, 10)); // d 2 would move the start
    EXPECT_EQ(Disp(*e), (std::array<int, 3>{4, 4, 4}));
    QMouseEvent shifted(QEvent::MouseMove, QPointF(33, 10), e->mapToGlobal(QPointF(33, 10)),
                        Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(e, &shifted);
    EXPECT_EQ(Disp(*e), (std::array<int, 3>{4, 4, 4}));
}

TEST_F(LineEditorTest, ARightClickGivesTheFocusButKeepsTheCaret) {
    TMathEditor* e = EditorWith(" ab");
    Focus(other);
    Caret(*e, 3);
    e->Line().TextToDisplay();
    e->SetOwner(&owner);
    QTest::mouseClick(e, Qt::RightButton, Qt::NoModifier, QPoint(6, 10));
    EXPECT_TRUE(e->hasFocus());
    EXPECT_EQ(owner.Count("enter"), 1);
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{3, 3, 3}));
    EXPECT_EQ(e->Line().DispCaret, 5);
}

TEST_F(LineEditorTest, ADoubleClickSelectsThePartUnderTheCaret) {
    // " ab+1": " " 5 "ab" 6 "+1"; parts " " (display 0, 0..4), "ab" (display 2..3, 4..24)
    // and "+1" (display 5..6, 24..36).
    TMathEditor* e = EditorWith(" ab+1");
    ASSERT_EQ(e->Cursieftext(), " " + kOn + "ab" + kOff + "+1");
    auto doubleClick = [&](int x) {
        QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
        QTest::mouseDClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
        QTest::mouseRelease(e, Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
    };
    doubleClick(6); // caret at display 2: the part "ab", text characters 2 and 3
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{1, 1, 3}));
    EXPECT_EQ(e->Text(), " ab+1");
    doubleClick(26); // caret at display 5: the part "+1", text characters 4 and 5
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{3, 3, 5}));
    EXPECT_EQ(e->Text(), " ab+1");

    // Right of the last part no part lies at the caret (the end, display 7): nothing selected.
    doubleClick(100);
    EXPECT_EQ(Disp(*e), (std::array<int, 3>{7, 7, 7}));
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{5, 5, 5}));

    // In the first part the whole line is selected and its content stays.
    std::vector<Bytes> changes;
    e->OnGewijzigd = [&](TMathEditor& s) { changes.push_back(s.Text()); };
    doubleClick(1);
    EXPECT_EQ(e->Text(), " ab+1");
    EXPECT_EQ(changes, std::vector<Bytes>{" ab+1"}); // laid out once, as it was
    EXPECT_EQ(e->Line().Selstart, 0);
    EXPECT_EQ(e->Line().CaretPos, 0);
    EXPECT_GE(e->Line().Seleinde, int(e->Text().size()));
    EXPECT_EQ(e->Line().DispSelStart, 0);
    EXPECT_GE(e->Line().DispSelEnd, int(e->Cursieftext().size()));
}

TEST_F(LineEditorTest, SelectAllReachesOnePastTheEnd) {
    TMathEditor* e = EditorWith(" ab");
    e->SelectAll();
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{0, 4, 4}));
    // Text position 4 lies one past the end of the display text (length 5): display 6.
    EXPECT_EQ(Disp(*e), (std::array<int, 3>{0, 6, 6}));
    EXPECT_EQ(e->Text(), " ab");
}

TEST_F(LineEditorTest, TheCaretLiesUnderTheNextCharacterAndThickensForRawSymbols) {
    TMathEditor* e = EditorWith(" ab");
    Focus(e);
    auto cellAt = [&](int caretPos) {
        Caret(*e, caretPos);
        e->Line().TextToDisplay();
        e->PlaceCaret();
        return e->Line().CaretCellValue();
    };
    // In front of "b" (display 3): x 4 + 'a' 9, bottom 22, 'b' 9 wide, underline 1 thick.
    EXPECT_EQ(cellAt(2), (CaretRect{13, 22, 9, 1}));
    // At the end: behind the italic run (24), two thirds of 16 wide.
    EXPECT_EQ(cellAt(3), (CaretRect{24, 22, 10, 1}));

    // Scroll Lock arms raw symbol entry for every line and shows it in the caret at once.
    Caret(*e, 2);
    e->Line().TextToDisplay();
    QTest::keyClick(e, Qt::Key_ScrollLock);
    EXPECT_TRUE(EditorState().rawSymbolArmed);
    EXPECT_EQ(e->Line().CaretCellValue(), (CaretRect{13, 22, 9, 2}));
    EXPECT_EQ(cellAt(3), (CaretRect{24, 22, 10, 1})); // the end keeps its thickness
    QTest::keyClick(e, Qt::Key_ScrollLock);
    EXPECT_FALSE(EditorState().rawSymbolArmed);
    EXPECT_EQ(cellAt(2), (CaretRect{13, 22, 9, 1}));
}

TEST_F(LineEditorTest, TheFocusedLineInvertsItsCaretCell) {
    TMathEditor* e = EditorWith(" ab");
    Focus(e);
    Caret(*e, 3);
    e->Line().TextToDisplay();
    e->PlaceCaret(); // the end cell: x 24..33 at y 22, one pixel high, below the letters
    const QImage shown = e->grab().toImage();
    const QColor background = shown.pixelColor(30, 23);
    EXPECT_EQ(shown.pixelColor(30, 22).rgb(), (~background.rgb() & 0xFFFFFF) | 0xFF000000);
    EXPECT_EQ(shown.pixelColor(36, 22), background); // right of the cell
    // Without the focus there is no caret.
    Focus(other);
    const QImage unfocused = e->grab().toImage();
    EXPECT_EQ(unfocused.pixelColor(30, 22), unfocused.pixelColor(30, 23));
}

TEST_F(LineEditorTest, AutoSelectSelectsOnlyOnTheFirstFocus) {
    TMathEditor* e = EditorWith(" ab");
    Focus(other);
    e->AutoSelect = true;
    Focus(e);
    EXPECT_FALSE(e->AutoSelect);
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{0, 4, 4}));
    Focus(other);
    Caret(*e, 2);
    Focus(e);
    EXPECT_EQ(TextPositions(*e), (std::array<int, 3>{2, 2, 2}));
}

TEST_F(LineEditorTest, AFontChangeLaysTheLineOutAgainAndReports) {
    window->resize(40, 200);
    TMathEditor* e = EditorWith(" ab"); // needs 24 + 10 = 34, inside the reference width 40
    ASSERT_EQ(e->Line().Tag, 40);
    int heightDuringReport = -1;
    e->SetOwner(&owner);
    e->OnGewijzigd = [&](TMathEditor&) { owner.calls.push_back("gewijzigd"); };
    owner.onCall = [&](TMathEditor& s) {
        if (owner.calls.back().starts_with("height")) heightDuringReport = s.height();
    };
    const auto events = [&] { return owner.Of({"gewijzigd", "height", "width"}); };

    // Height -32: c = 32, top margin 32 / 8 = 4, tmHeight 32 + 8 = 40, so 4 + 40 + 4 = 48
    // high. Widths ' ' 8, italic 'a' 'b' 16 + 2 each: the line ends at 8 + 36 = 44; the end
    // caret is 32 * 2 / 3 = 21 wide: needed 65, beyond the reference width 40.
    e->SetFont(FontDesc{"Tahoma", -32}, Rgb(0, 0, 255));
    EXPECT_EQ(events(), (std::vector<std::string>{"gewijzigd", "height 48", "width 65"}));
    EXPECT_EQ(heightDuringReport, 24); // reported before the line takes it
    EXPECT_EQ(e->height(), 48);
    EXPECT_EQ(e->width(), 65);
    EXPECT_EQ(e->NeededWidth(), 65);
    EXPECT_EQ(e->Font().height, -32);
    EXPECT_EQ(e->FontColor(), Rgb(0, 0, 255));
    EXPECT_EQ(e->Line().PartList()[2].FontHeight, -32);
    EXPECT_EQ(e->Text(), " ab");

    // Back to -16: the height shrinks and is reported; 34 needs no width report.
    owner.calls.clear();
    e->SetFont(FontDesc{}, 0);
    EXPECT_EQ(events(), (std::vector<std::string>{"gewijzigd", "height 24"}));
    EXPECT_EQ(e->height(), 24);
}

TEST_F(LineEditorTest, ThePointerMarkerIsAnIBeamAsTallAsThePart) {
    TMathEditor* e = EditorWith(" ab");
    Focus(e);
    // Over 'a' at x 10: the italic run's rectangle is 4..24 by 2..22, font height -16, so the
    // cross bars reach -16 / 4 = -4 to either side of x.
    QTest::mouseMove(e, QPoint(10, 10));
    const EditorGlobals& g = EditorState();
    ASSERT_TRUE(g.pointerMarkerShown);
    EXPECT_EQ(g.pointerMarkerOwner, e);
    const std::array<Point, 6> ibeam = {Point{10, 22}, Point{10, 2}, Point{6, 3},
                                        Point{14, 3},  Point{6, 22}, Point{14, 22}};
    EXPECT_EQ(g.pointerMarker, ibeam);
    EXPECT_EQ(e->cursor().shape(), Qt::BlankCursor);
    // The caret did not move: hovering is not dragging.
    EXPECT_EQ(e->Line().CaretPos, 1);

    // Over the blank (0..4) the marker follows, still 20 high.
    QTest::mouseMove(e, QPoint(2, 12));
    ASSERT_TRUE(g.pointerMarkerShown);
    EXPECT_EQ(g.pointerMarker[0], (Point{2, 22}));
    EXPECT_EQ(g.pointerMarker[1], (Point{2, 2}));

    // Right of every part there is no part: the normal pointer comes back.
    QTest::mouseMove(e, QPoint(200, 10));
    EXPECT_FALSE(g.pointerMarkerShown);
    EXPECT_EQ(e->cursor().shape(), Qt::ArrowCursor);

    // Back over a part, then out of the line.
    QTest::mouseMove(e, QPoint(10, 10));
    ASSERT_TRUE(g.pointerMarkerShown);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(e, &leave);
    EXPECT_FALSE(g.pointerMarkerShown);
    EXPECT_EQ(e->cursor().shape(), Qt::ArrowCursor);
}

// A menu or a dialog takes the pointer away unheard by the lines; the marker goes with it, also
// from a line without the focus, so that afterwards the focused line's caret is the only bar.
TEST_F(LineEditorTest, AMenuOrDialogTakesThePointerMarkerAlong) {
    TMathEditor* focused = EditorWith(" ab");
    TMathEditor* hovered = EditorWith(" ab");
    hovered->move(0, 50);
    const EditorGlobals& g = EditorState();
    for (const bool byMenu : {true, false}) {
        SCOPED_TRACE(byMenu ? "menu" : "dialog");
        Focus(focused);
        QTest::mouseMove(hovered, QPoint(byMenu ? 10 : 12, 10)); // a move each time
        ASSERT_TRUE(g.pointerMarkerShown);
        QMenu menu;
        menu.addAction("x");
        QWidget dialog;
        if (byMenu) {
            menu.popup(window->mapToGlobal(QPoint(0, 0)));
        } else {
            dialog.show();
            QApplication::setActiveWindow(&dialog);
        }
        QApplication::processEvents();
        EXPECT_FALSE(g.pointerMarkerShown);
        menu.hide();
        dialog.hide();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
        EXPECT_FALSE(g.pointerMarkerShown);
        EXPECT_TRUE(focused->CaretShown());
    }
}

TEST_F(LineEditorTest, PlainTextDropsTheMarkersAndBringsThemBack) {
    TMathEditor* e = EditorWith(" ab");
    e->SetPlainText(true);
    EXPECT_EQ(e->Cursieftext(), " ab");
    e->SetPlainText(false);
    EXPECT_EQ(e->Cursieftext(), " " + kOn + "ab" + kOff);
}

// At 200 % the line measures in "Tahoma" -32 (c = 32): top margin 4, tmHeight 40, height 48,
// ' ' 8 and 'a' 16 wide; the italic 'a' hit-tests 17 wide (its extra pixel does not grow), so
// " ab" holds ' ' 0..8, 'a' 8..25 and 'b' 25..42; the end caret is 32 * 2 / 3 = 21 wide.
TEST_F(LineEditorTest, AZoomedLineIsLaidOutAndHitTestedAtItsSize) {
    TMathEditor* e = EditorWith(" ab");
    const int width100 = e->NeededWidth();
    e->SetZoom(200);
    EXPECT_EQ(e->height(), 48);
    EXPECT_EQ(e->Font(), FontDesc{}); // the document's font stays
    EXPECT_EQ(e->Line().PartList()[e->Line().PartCount()].Bottom, 44);
    EXPECT_EQ(e->NeededWidth(), 8 + 36 + 21) << "at 100 %: " << width100;
    struct Row {
        int x, dispCaret;
    } rows[] = {{2, 0}, {12, 2}, {24, 2}, {27, 3}, {41, 3}, {200, 5}};
    for (const Row& r : rows) {
        QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(r.x, 20));
        EXPECT_EQ(e->Line().DispCaret, r.dispCaret) << r.x;
    }
    // The caret cell under 'b' follows: at its left edge, as wide as it measures.
    QTest::mouseClick(e, Qt::LeftButton, Qt::NoModifier, QPoint(27, 20));
    EXPECT_EQ(e->Line().CaretCellValue().x, 25);
    EXPECT_EQ(e->Line().CaretCellValue().width, 17);
    e->SetZoom(100);
    EXPECT_EQ(e->height(), 24);
    EXPECT_EQ(e->NeededWidth(), width100);
    // Zooming is no edit: the owner hears of no changed text (that would store a crash copy).
    e->SetOwner(&owner);
    e->SetZoom(150);
    EXPECT_EQ(owner.Count("text"), 0);
}

} // namespace
} // namespace zelm

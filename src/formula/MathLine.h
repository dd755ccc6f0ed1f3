// The state of one formula line and the work every change of it goes through: the Text
// setter (recognition, italics, layout, repair, events), the position conversions and the
// caret cell. No Qt: the widget TMathEditor wraps it and supplies painting and the caret.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "formula/Canvas.h"
#include "formula/EditorGlobals.h"
#include "formula/FormulaText.h"
#include "formula/Keys.h"
#include "formula/Layout.h"
#include "formula/Parts.h"

namespace zelm {

/// The most characters a line's Text may hold: the text field of the record that a document
/// and every recovery state store it in. No input makes a line longer.
constexpr std::size_t LongestStoredLine = 255;

/// Where the caret is drawn: top-left corner, width and height in client pixels.
struct CaretRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const CaretRect&) const = default;
};

class MathLine;

/// The column's own steps that a split or a join asks for; the line's key code (SplitOrJoin)
/// decides and does the text's share. Each line of a column answers for itself.
class ColumnSteps {
public:
    /// The line `offset` places from this one (-1 above, 1 below, 0 itself); nullptr where
    /// there is none, or while this line is in no column.
    virtual MathLine* Neighbour(int offset) = 0;
    /// Throws the user's message when the document has no room for one more line.
    virtual void CheckRoomForLine() = 0;
    /// Stores the document as it stands as a recovery state.
    virtual void SaveHerstel() = 0;
    /// A new line directly below this one, as the window makes every line.
    virtual MathLine& InsertLineBelow() = 0;
    /// Takes this line out of the column; the lines below close the gap.
    virtual void RemoveLine() = 0;
    /// Destroys this line, taken out before, once its key is done.
    virtual void DestroyLine() = 0;
    virtual void FocusLine() = 0;

protected:
    ~ColumnSteps() = default;
};

/// What the line needs of the window around it; the widget fills these in.
struct LineHooks {
    std::function<void()> hideCaret;
    std::function<void()> paint;              ///< paint the line (the painter reads this model)
    std::function<void()> placeCaret;         ///< show the caret at CaretCellValue()
    std::function<void(int w, int h)> resize; ///< the client size changed
    std::function<void()> refuse;             ///< input was refused: the line's beep
    ColumnSteps* column = nullptr;            ///< none: the line never splits or joins
};

/// One formula line. Text positions (Selstart, Seleinde, CaretPos) count Text characters in
/// front of the caret; display positions (DispSelStart, ...) are 0-based into Cursieftext.
class MathLine {
public:
    /// `measure` is the measuring context; it holds the line's font and outlives the line.
    /// `clientWidth` is the width the window gives the line (also the first `Tag`);
    /// `fontSmoothing` is the platform's screen font-smoothing setting, read once here.
    explicit MathLine(Canvas& measure, int clientWidth = 0, bool fontSmoothing = false);

    // The four views.
    const Bytes& Text() const { return text_; }
    /// Runs the setter: recognition, italics, layout, repair, events, repaint. May throw
    /// ZelmError("Foutje").
    void SetText(const Bytes& value);
    /// Stores Text as it stands, without the setter (the key handlers' placeholder rule);
    /// the other views keep describing the old text until the next run of the setter.
    void StoreText(const Bytes& value) { text_ = value; }
    const Bytes& Codes() const { return codes_; }
    /// Writes the code string directly (the writer must then set Text).
    void SetCodes(const Bytes& codes) { codes_ = codes; }
    const Bytes& Cursieftext() const { return cursief_; }
    const Bytes& TextPlusCode() const { return textPlusCode_; }
    /// Everything after the first byte 0 becomes the code string, the part before `Text`.
    void SetTextPlusCode(const Bytes& value);
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool on);

    // Positions.
    int Selstart = 0, Seleinde = 0, CaretPos = 0;
    int DispSelStart = 0, DispSelEnd = 0, DispCaret = 0;
    /// Display positions from Selstart, CaretPos and Seleinde (only those up to Seleinde).
    void TextToDisplay();
    /// Text positions from the display positions, skipping the italic markers.
    void DisplayToText();
    /// Computes the caret cell for display position `d`, stores and returns it.
    CaretRect CaretCell(int d);
    /// The caret cell of `DispCaret`, then the widget shows the caret there.
    void PlaceCaret();
    const CaretRect& CaretCellValue() const { return caretCell_; }

    // Layout results.
    const TTextdelen& PartList() const { return parts_; }
    int PartCount() const { return partCount_; }
    int CurrentPart = 0;

    // Font and colours.
    const FontDesc& BaseFont() const { return font_; }
    /// Selects `f` into the measuring context and takes it as the base font description
    /// (the font change handler); with `relayout` the line is laid out again.
    void SetFont(const FontDesc& f, bool relayout);
    /// The size the line is laid out and drawn at, in percent of its font's; the document
    /// keeps the base font whatever the zoom. A change lays the line out again.
    void SetZoom(int percent);
    int Zoom() const { return zoom_; }
    /// The base font at the zoom: what the line measures, paints and places its caret with.
    FontDesc LayoutFont() const { return ZoomedFont(font_, zoom_); }
    /// The line's width (its parts and the end caret) and height at its actual size, as the
    /// document stores its place; a zoomed line is laid out again for it once per change.
    Size ActualExtent();
    ColorRef fontColor = 0;
    ColorRef bkColor = Rgb(255, 255, 255);
    bool fontSmoothing = false;
    Canvas& Measure() { return measure_; }

    // Other published state.
    bool modified = false;
    int Tag = 0;
    int NeededWidth = 0;
    int Offset() const { return 0; }
    int ClientWidth = 0, ClientHeight = 0;
    std::vector<const FormulaSource*>* ExtFormulelijst = nullptr;
    const FormulaSource* Self = nullptr; ///< this line as a reference source (its parent)

    /// The model's share of receiving the focus: reference width, snapshot, caret.
    void EnterFocus();
    /// The focus snapshot: Text and code string when the line last received the focus.
    void TakeFocusSnapshot();
    Bytes snapshotText, snapshotCodes;

    /// Ten earlier TextPlusCode values (slots 1 to 10; index 0 unused) and the current slot.
    std::array<Bytes, 11> ring{};
    int ringIndex = 0;
    /// Steps back to the newest state in the ring that differs from the line; false, with the
    /// line unchanged, once it shows the oldest state the ring holds.
    bool Undo();
    /// Steps forward again through what Undo undid; false when nothing was undone since the
    /// last edit.
    bool Redo();

    /// Runs `edit`, which may run the setter any number of times (an edit inside it is part
    /// of it). An edit that leaves Text longer than LongestStoredLine, and longer than it was,
    /// is undone whole: the line, its positions and its ring are put back, `hooks.refuse`
    /// sounds and the result is false.
    bool EditWithinRecord(const std::function<void()>& edit);
    /// Input the line cannot take: `hooks.refuse` sounds, nothing changes.
    void Refuse() const {
        if (hooks.refuse) hooks.refuse();
    }

    // Events.
    std::function<void(MathLine&)> OnGewijzigd;
    std::function<void(MathLine&, int newHeight)> OnHeightChange;
    std::function<void(MathLine&, int newWidth)> OnWidthChange;
    /// A navigation key leaves the line: 37 Left at its start, 39 Right at its end, 38 Up or
    /// 40 Down where no fraction jump applies.
    std::function<void(MathLine&, int direction)> OnUpDownKeys;
    /// A key the key-down handler passed on; the key is 0 by then.
    std::function<void(MathLine&, int& key, ShiftState shift)> Onkeydown;
    /// A character below 32 that the key-press handler passed on.
    std::function<void(MathLine&, unsigned char& c)> Onkeypress;

    LineHooks hooks;

private:
    bool LayOutText(const Bytes& value);
    bool FinishRepairs();
    void ApplyWholeSelectionRule();
    void ApplyEmptyRule();
    void EnterRing();
    void StepRingBack();
    void ShowState(const Bytes& textPlusCode);
    struct Before;
    void PutBack(const Before& before);
    void RecognizeNames();
    void LayOut();
    void ReportSize();
    void SetClientSize(int width, int height);
    void Repaint();
    CaretRect CellInPart(int i, int d, int heightFactor);
    CaretRect CellAtEnd() const;

    Canvas& measure_;
    Bytes text_;
    Bytes codes_;
    Bytes cursief_;
    Bytes textPlusCode_;
    bool plainText_ = false;
    TTextdelen parts_;
    int partCount_ = 0;
    FontDesc font_;
    int zoom_ = 100;
    std::optional<Size> actualExtent_; ///< ActualExtent of the current layout, once asked
    CaretRect caretCell_;
    int undoable_ = 0;            ///< states in the ring, from the current slot back, Undo may show
    std::vector<Bytes> redo_;     ///< the states Undo left, the newest last
    unsigned long changes_ = 0;   ///< setter runs that changed the line, Undo and Redo aside
    unsigned long steppedAt_ = 0; ///< changes_ at the last Undo or Redo
    bool ringHeld_ = false;       ///< the setter runs for Undo, Redo or a refused edit
    bool editing_ = false;        ///< inside EditWithinRecord
    /// The ring slots an edit inside EditWithinRecord overwrote, with what they held.
    std::vector<std::pair<int, Bytes>> ringJournal_;
};

} // namespace zelm

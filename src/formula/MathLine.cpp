#include "formula/MathLine.h"

#include <algorithm>
#include <cstdlib>

#include "formula/Errors.h"

namespace zelm {

namespace {

/// Layouts without a repair reset the shared retry budget to this; a repaired layout is
/// retried only while it is above 0.
constexpr int RetriesAfterCleanLayout = 4;

/// Holds the ring while it lives: the setter runs it covers enter no state.
class RingHold {
public:
    explicit RingHold(bool& held) : held_(held), was_(held) { held_ = true; }
    RingHold(const RingHold&) = delete;
    RingHold& operator=(const RingHold&) = delete;
    ~RingHold() { held_ = was_; }

private:
    bool& held_;
    bool was_;
};

/// Ring slots run from 1 to 10; slot 0 only stands for "nothing entered yet".
constexpr int RingSlots = 10;

} // namespace

MathLine::MathLine(Canvas& measure, int clientWidth, bool smoothing)
    : fontSmoothing(smoothing), measure_(measure) {
    Tag = ClientWidth = clientWidth;
    // The window starts one character height tall; the first layout gives the real height.
    ClientHeight = std::abs(measure_.Font().height);
    SetFont(measure_.Font(), false);
    // A new line is laid out from its (empty) display text, which the setter turns into " ".
    SetText(cursief_);
}

// ---- The Text setter ----

void MathLine::SetText(const Bytes& value) {
    auto& budget = Globals().retryBudget;
    // One edit can leave more repairs than there are retries: a layout mends only the first
    // missing bar, slash or root index it meets, and the closers it appends may need mending
    // in turn (a deleted closer leaves every later one a level deeper, each without its
    // slash). The retry therefore lays out until the repairs settle; only an empty budget
    // or repairs that never settle end in "Foutje".
    if (LayOutText(value)) {
        const bool mayRetry = budget > 0;
        // The state before the edit went into the ring; the halfway repaired ones do not.
        const RingHold hold(ringHeld_);
        if (!FinishRepairs() || !mayRetry) {
            budget = 0;
            throw ZelmError("Foutje");
        }
    }
    budget = RetriesAfterCleanLayout;
    TextToDisplay();
    CaretCell(int(cursief_.size()));
    if (OnGewijzigd) OnGewijzigd(*this);
    ReportSize();
    Repaint();
}

/// The setter up to the layout. Returns true when the layout repaired the text, which then
/// is `Text` for the next run.
bool MathLine::LayOutText(const Bytes& value) {
    modified = true;
    text_ = value;
    ApplyWholeSelectionRule();
    ApplyEmptyRule();
    // A code string that does not match the text cannot be trusted; the state at the last
    // focus entry can. A line that never had the focus has an empty snapshot, and a line is
    // never empty.
    if (CountCodeChars(text_) != int(codes_.size())) {
        text_ = snapshotText;
        codes_ = snapshotCodes;
        ApplyEmptyRule();
    }
    EnterRing();
    if (!plainText_) RecognizeNames();
    if (ExtFormulelijst) MakeReferences(text_, codes_, *ExtFormulelijst, Self);
    cursief_ = plainText_ ? text_ : MarkItalics(text_);
    Bytes now = cursief_ + '\0' + codes_;
    if (!ringHeld_ && now != textPlusCode_) ++changes_;
    textPlusCode_ = std::move(now);
    LayOut();
    if (!parts_.Repaired()) return false;
    text_ = StripItalicMarkers(cursief_);
    return true;
}

/// Lays the repaired text out until a layout needs no repair; false when the repairs do not
/// settle. Also out of retries the repairs run to their end before the error is raised: a
/// text left halfway would be repaired further when it is loaded again, so a saved line would
/// not come back as it was. The bound only guards against repairs that never settle.
bool MathLine::FinishRepairs() {
    for (int passes = 2 * int(text_.size()) + 8; passes > 0; --passes)
        if (!LayOutText(Bytes(text_))) return true;
    return false;
}

/// Replacing the whole text leaves the blank that starts every line.
void MathLine::ApplyWholeSelectionRule() {
    if (Selstart == 0 && Seleinde == int(text_.size())) {
        text_ = " ";
        codes_.clear();
        Seleinde = Selstart;
    }
}

/// A line is never empty.
void MathLine::ApplyEmptyRule() {
    if (text_.empty()) {
        text_ = " ";
        Selstart = 0;
        Seleinde = 1;
        codes_.clear();
    }
}

/// The state before this change goes into the ring unless it is the one already in it.
void MathLine::EnterRing() {
    if (ringHeld_ || textPlusCode_ == ring[std::size_t(ringIndex)]) return;
    ringIndex = ringIndex % RingSlots + 1;
    // An edit that may yet be refused keeps what it overwrites, to put it back.
    if (editing_) ringJournal_.emplace_back(ringIndex, std::move(ring[std::size_t(ringIndex)]));
    ring[std::size_t(ringIndex)] = textPlusCode_;
    undoable_ = std::min(undoable_ + 1, RingSlots);
}

/// Passes until nothing is left to replace; a replacement ends any selection at the caret.
void MathLine::RecognizeNames() {
    while (RecognizeNamesOnce(text_, codes_, CaretPos))
        Selstart = Seleinde = CaretPos;
}

void MathLine::LayOut() {
    actualExtent_.reset();
    parts_ =
        LayoutFormula(cursief_, codes_, measure_, {.cell = false, .fontSmoothing = fontSmoothing});
    // A header that claims more parts than the list holds is not believed.
    partCount_ = std::clamp(parts_.Count(), 0, int(parts_.items.size()) - 1);
    CurrentPart = 2;
}

/// Tells the window about a new height (before the line takes it) and a needed width beyond
/// the reference width. The client width only ever grows here.
void MathLine::ReportSize() {
    const auto neededWidth = [this] { return caretCell_.width + parts_.Width(); };
    if (ClientHeight != parts_.Height()) {
        NeededWidth = neededWidth();
        SetClientSize(std::max(ClientWidth, NeededWidth), ClientHeight);
        if (OnHeightChange) OnHeightChange(*this, parts_.Height());
        SetClientSize(ClientWidth, parts_.Height());
    }
    NeededWidth = neededWidth();
    SetClientSize(std::max(ClientWidth, NeededWidth), ClientHeight);
    if (NeededWidth > Tag && OnWidthChange) OnWidthChange(*this, NeededWidth);
}

void MathLine::SetClientSize(int width, int height) {
    if (width == ClientWidth && height == ClientHeight) return;
    ClientWidth = width;
    ClientHeight = height;
    if (hooks.resize) hooks.resize(width, height);
}

void MathLine::Repaint() {
    if (hooks.hideCaret) hooks.hideCaret();
    EditorState().eraseBackground = true;
    if (hooks.paint) hooks.paint();
    PlaceCaret();
}

// ---- Undo, redo and refused edits ----

bool MathLine::Undo() {
    if (changes_ != steppedAt_) redo_.clear(); // edited since the last step
    // A run of the setter that changed nothing entered the state the line shows.
    while (undoable_ > 0 && ring[std::size_t(ringIndex)] == textPlusCode_)
        StepRingBack();
    if (undoable_ == 0) return false;
    redo_.push_back(textPlusCode_);
    ShowState(Bytes(ring[std::size_t(ringIndex)]));
    StepRingBack();
    return true;
}

bool MathLine::Redo() {
    if (changes_ != steppedAt_) redo_.clear();
    if (redo_.empty()) return false;
    // The current slot goes forward to the state Undo showed, unless a run of the setter
    // entered it there already.
    if (ring[std::size_t(ringIndex)] != textPlusCode_) {
        ringIndex = ringIndex % RingSlots + 1;
        ++undoable_;
    }
    const Bytes state = std::move(redo_.back());
    redo_.pop_back();
    ShowState(state);
    return true;
}

void MathLine::StepRingBack() {
    ringIndex = ringIndex < 2 ? RingSlots : ringIndex - 1;
    --undoable_;
}

/// Shows a state of the ring or of redo; the ring stays as it is. The state's text is its
/// Cursieftext: without the italic markers it is the Text the line had, which its record
/// stores (the markers would go into Text and grow it at every step). A selection over the
/// whole line would make the state a blank: the caret stays where it is.
void MathLine::ShowState(const Bytes& state) {
    const auto zero = state.find('\0');
    codes_ = zero == Bytes::npos ? Bytes() : state.substr(zero + 1);
    Selstart = Seleinde = CaretPos;
    {
        const RingHold hold(ringHeld_);
        SetText(StripItalicMarkers(state.substr(0, zero)));
    }
    steppedAt_ = changes_;
}

struct MathLine::Before {
    Bytes text, codes;
    bool plainText;
    int selstart, seleinde, caret;
    int ringIndex, undoable;
    unsigned long changes;

    bool OutgrownBy(const Bytes& now) const {
        return now.size() > LongestStoredLine && now.size() > text.size();
    }
};

bool MathLine::EditWithinRecord(const std::function<void()>& edit) {
    if (editing_) {
        edit();
        return true;
    }
    // The ring is not copied: a keystroke must stay cheap. What the edit overwrites in it is
    // kept in the journal instead.
    const Before before{text_,    codes_,    plainText_, Selstart, Seleinde,
                        CaretPos, ringIndex, undoable_,  changes_};
    ringJournal_.clear();
    editing_ = true;
    try {
        edit();
    } catch (...) {
        editing_ = false;
        if (before.OutgrownBy(text_)) PutBack(before);
        ringJournal_.clear();
        throw;
    }
    editing_ = false;
    if (!before.OutgrownBy(text_)) {
        ringJournal_.clear();
        return true;
    }
    PutBack(before);
    Refuse();
    return false;
}

/// The line as it was before a refused edit. The setter runs on a collapsed selection: a
/// selection over the whole text would make it a blank.
void MathLine::PutBack(const Before& before) {
    codes_ = before.codes;
    plainText_ = before.plainText;
    Selstart = Seleinde = CaretPos = 1;
    {
        const RingHold hold(ringHeld_);
        SetText(before.text);
    }
    changes_ = before.changes;
    for (auto slot = ringJournal_.rbegin(); slot != ringJournal_.rend(); ++slot)
        ring[std::size_t(slot->first)] = std::move(slot->second);
    ringJournal_.clear();
    ringIndex = before.ringIndex;
    undoable_ = before.undoable;
    Selstart = before.selstart;
    Seleinde = before.seleinde;
    CaretPos = before.caret;
    TextToDisplay();
    Repaint();
}

// ---- The other views and modes ----

void MathLine::SetTextPlusCode(const Bytes& value) {
    textPlusCode_ = value;
    const auto zero = value.find('\0');
    codes_ = zero == Bytes::npos ? Bytes() : value.substr(zero + 1);
    SetText(value.substr(0, zero));
}

void MathLine::SetPlainText(bool on) {
    plainText_ = on;
    SetText(text_);
}

void MathLine::SetFont(const FontDesc& f, bool relayout) {
    font_ = f;
    measure_.SelectFont(LayoutFont());
    if (relayout) SetText(text_);
}

Size MathLine::ActualExtent() {
    if (actualExtent_) return *actualExtent_;
    const auto extentOf = [this](const TTextdelen& parts) {
        return Size{parts.Width() + std::abs(font_.height) * 2 / 3, parts.Height()};
    };
    if (zoom_ == 100) return *(actualExtent_ = extentOf(parts_));
    const FontDesc zoomed = measure_.SelectFont(font_);
    actualExtent_ = extentOf(
        LayoutFormula(cursief_, codes_, measure_, {.cell = false, .fontSmoothing = fontSmoothing}));
    measure_.SelectFont(zoomed);
    return *actualExtent_;
}

void MathLine::SetZoom(int percent) {
    if (percent == zoom_) return;
    zoom_ = percent;
    // Only the drawing changes: the line is laid out again at its new size without the text
    // setter, so it is not marked changed and its text, names and undo ring stay as they are.
    measure_.SelectFont(LayoutFont());
    LayOut();
    TextToDisplay();
    CaretCell(int(cursief_.size()));
    ReportSize();
    Repaint();
}

void MathLine::EnterFocus() {
    if (Tag == 0) Tag = ClientWidth;
    TakeFocusSnapshot();
    if (text_.empty()) SetText(text_);
    PlaceCaret();
}

void MathLine::TakeFocusSnapshot() {
    snapshotText = text_;
    snapshotCodes = codes_;
}

// ---- Positions ----

void MathLine::TextToDisplay() {
    if (Seleinde < 0) return;
    const int length = int(cursief_.size());
    int d = -1;
    for (int i = 0; i <= Seleinde; ++i) {
        ++d;
        // At most one marker stands between two characters of Text.
        if (d < length && IsItalicMarker(cursief_[std::size_t(d)])) ++d;
        if (i == Selstart) DispSelStart = d;
        if (i == CaretPos) DispCaret = d;
        if (i == Seleinde) DispSelEnd = d;
        if (d >= length) {
            // Past the end every text position is one display position further.
            const int past = d - i;
            if (Selstart > i && Selstart <= Seleinde) DispSelStart = Selstart + past;
            if (CaretPos > i && CaretPos <= Seleinde) DispCaret = CaretPos + past;
            if (Seleinde > i) DispSelEnd = Seleinde + past;
            break;
        }
    }
}

void MathLine::DisplayToText() {
    int t = -1;
    for (int d = 0; d <= int(cursief_.size()); ++d) {
        // t counts the characters in front of d that are not italic markers.
        if (d == 0 || !IsItalicMarker(cursief_[std::size_t(d - 1)])) ++t;
        if (d == DispSelStart) Selstart = t;
        if (d == DispCaret) CaretPos = t;
        if (d == DispSelEnd) Seleinde = t;
    }
}

CaretRect MathLine::CaretCell(int d) {
    // Raw symbol entry shows a caret twice as thick.
    const int heightFactor = EditorState().rawSymbolArmed ? 2 : 1;
    caretCell_ = CellAtEnd();
    for (int i = 1; i <= partCount_; ++i) {
        const TTextdeel& part = parts_[i];
        if (part.TextPos == d || (part.TextPos < d && part.TextPos + part.Len > d)) {
            caretCell_ = CellInPart(i, d, heightFactor);
            break;
        }
    }
    return caretCell_;
}

/// The caret under the character at display position `d` of part `i`, measured in the
/// part's own font.
CaretRect MathLine::CellInPart(int i, int d, int heightFactor) {
    const TTextdeel& part = parts_[i];
    FontDesc f = LayoutFont();
    f.height = part.FontHeight;
    f.italic = part.Italic;
    if (part.Len == 0) f.width = 1;
    if (part.Kind == PartKind::Symbol) f.face = "Symbol";
    const int oldExtra = measure_.SetTextCharacterExtra(part.Italic);
    const FontDesc old = measure_.SelectFont(f);

    const auto width = [this](const Bytes& s) { return measure_.TextExtent(s).cx; };
    const auto displayChars = [this](int from, int to) {
        from = std::clamp(from, 0, int(cursief_.size()));
        to = std::clamp(to, from, int(cursief_.size()));
        return cursief_.substr(std::size_t(from), std::size_t(to - from));
    };
    CaretRect c;
    c.y = part.Bottom;
    switch (part.Kind) {
    case PartKind::Text:
    case PartKind::Symbol:
    case PartKind::RootSign:
        c.x = width(displayChars(part.TextPos, d));
        c.width = part.Len > 1 ? width(displayChars(d, d + 1)) : width(Bytes(1, part.FirstChar));
        c.height = part.LineWidth * heightFactor;
        break;
    case PartKind::Name:
        c.width = width(part.Name);
        c.height = part.LineWidth * heightFactor;
        break;
    case PartKind::FractionOpen:
    case PartKind::FractionBarCode:
    case PartKind::FractionClose:
    case PartKind::RootClose:
    case PartKind::PowerOpen:
    case PartKind::PowerClose:
    case PartKind::IndexOpen:
    case PartKind::IndexClose:
    case PartKind::BoldSign:
    case PartKind::BoldD:
    case PartKind::Separator:
    case PartKind::FractionBar:
    case PartKind::BracketOpen:
    case PartKind::BracketClose:
    case PartKind::Dot:
    case PartKind::SlantedOpen:
    case PartKind::Slash:
    case PartKind::SlantedClose:
        // A thin upright bar over the part's height.
        c.width = part.LineWidth;
        c.y = std::min(part.Top, part.Bottom);
        c.height = std::abs(part.Bottom - part.Top);
        break;
    }
    c.x += part.Left;
    if (part.Kind == PartKind::Slash) c.x += 3 * part.LineWidth;
    if (part.Kind == PartKind::RootSign || part.Kind == PartKind::Name) {
        // The caret covers the rest of the root sign or name.
        if (i + 1 <= partCount_) c.x = std::min(c.x, parts_[i + 1].Left);
        c.width = part.Right - c.x;
    }
    measure_.SelectFont(old);
    measure_.SetTextCharacterExtra(oldExtra);
    return c;
}

/// The caret after the last part: under the empty place behind it, two thirds of a character
/// height wide. A line ending in a separator continues after the separator's owner.
CaretRect MathLine::CellAtEnd() const {
    const TTextdeel& last = parts_[partCount_];
    const TTextdeel* anchor = &last;
    if (partCount_ > 0 && last.Kind == PartKind::Separator && last.Partner >= 0 &&
        last.Partner <= partCount_)
        anchor = &parts_[last.Partner];
    return {anchor->Right, anchor->Bottom, std::abs(ZoomedHeight(font_.height, zoom_)) * 2 / 3,
            last.LineWidth};
}

void MathLine::PlaceCaret() {
    CaretCell(DispCaret);
    if (hooks.placeCaret) hooks.placeCaret();
}

} // namespace zelm

// TMathEditor: the windowed control in which the user edits one formula line. A thin QWidget
// over the Qt-free MathLine: it turns Qt events into calls on the model, draws the caret and
// paints the laid-out line through the Qt canvas.
#pragma once

#include <QBasicTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "editor/LineOwner.h"
#include "formula/MathLine.h"

class QMenu;

namespace zelm {

class SpriteCache;
class TFuncFormMath;
struct DecodedKey;

class TMathEditor : public QWidget {
    Q_OBJECT
    // First, beside the widget's own geometry: renumbering and moving the lines below a split
    // in a long column touch little else of each line.
    int lineIndex_ = 0;

public:
    /// Creates the line inside `owner`, as wide as the owner's client area.
    explicit TMathEditor(QWidget* owner);
    ~TMathEditor() override;

    MathLine& Line() { return *line_; }
    const MathLine& Line() const { return *line_; }

    // Published properties (see MathLine for the positions).
    const Bytes& Text() const { return line_->Text(); }
    void SetText(const Bytes& t) { line_->SetText(t); }
    const Bytes& Cursieftext() const { return line_->Cursieftext(); }
    const Bytes& TextPlusCode() const { return line_->TextPlusCode(); }
    void SetTextPlusCode(const Bytes& v) { line_->SetTextPlusCode(v); }
    bool PlainText() const { return line_->PlainText(); }
    void SetPlainText(bool on) { line_->SetPlainText(on); }
    /// The line's 0-based place in the window's column; the window keeps it.
    int LineIndex() const { return lineIndex_; }
    void SetLineIndex(int i) { lineIndex_ = i; }
    /// The sprites this line paints from, shared with the other lines of its window; none (the
    /// default) paints everything directly.
    void SetSprites(SpriteCache* sprites) { sprites_ = sprites; }
    int NeededWidth() const { return line_->NeededWidth; }
    int Offset() const { return 0; }
    bool AutoSelect = false;
    /// The line menu, opened by a right click.
    QMenu* popupmenu = nullptr;
    /// The line's own function list window, made on the first request; it goes with the line.
    TFuncFormMath* FunctieLijst = nullptr;
    /// The last character typed into that window's grid; 0 for none.
    unsigned char LastListKey = 0;

    /// The line's font and its colour; a change lays the line out again (font change handler).
    void SetFont(const FontDesc& f, ColorRef colour);
    const FontDesc& Font() const { return line_->BaseFont(); }
    ColorRef FontColor() const { return line_->fontColor; }
    /// The size the line is drawn at, in percent; the document keeps its fonts.
    void SetZoom(int percent) { line_->SetZoom(percent); }
    int Zoom() const { return line_->Zoom(); }
    /// The top and width the document stores: the line's own, or at the actual size.
    std::pair<int, int> StoredPlace() const;
    /// The background colour (`color`).
    void SetColor(ColorRef c);

    // Operations other parts of the program call.
    void SelectAll();
    void PlaceCaret();
    void PaintLine() { update(); }
    /// The help context of every line.
    static constexpr int HelpContext = 3;

    /// The window the line reports its height, width, arrow keys, focus and caret to; nullptr
    /// for none.
    LineOwner* Owner() const { return owner_; }
    void SetOwner(LineOwner* owner) { owner_ = owner; }

    // Events.
    std::function<void(TMathEditor&)> Onclick, OnGewijzigd;
    /// A key the line passed on, with the key already set to 0.
    std::function<void(TMathEditor&, int& key, ShiftState shift)> Onkeydown;
    /// A character below 32 that the line passed on.
    std::function<void(TMathEditor&, unsigned char& c)> Onkeypress;

    /// Makes the measuring context of new lines; tests put a fixed-metrics canvas here.
    static std::function<std::unique_ptr<Canvas>()> measureFactory;
    /// Answers whether screen font smoothing is on (read once per new line); tests fix it.
    static std::function<bool()> fontSmoothingSource;
    /// Sounds the system beep for refused input; tests count the beeps.
    static std::function<void()> beep;
    /// The beep for refused input: `beep` when one is set, else the system's.
    static void Beep();

    /// Types `text` as the keyboard would, character by character (TypeCharacter): a
    /// character outside Windows-1252 comes in as its "Symbol" character, or is refused with
    /// a beep; a text that would make the line too long is refused whole.
    void TypeText(const QString& text);

    /// Asks the memory ahead of time for what moving and saving this line read. A pass over
    /// the thousands of lines of a long column otherwise waits for each line in turn; asked a
    /// few lines ahead, those waits overlap. Read its widget (the object) first.
    void Prefetch() const;
    /// The same for the line's widget object itself, the first of the two steps.
    static void PrefetchObject(const TMathEditor* line) {
        __builtin_prefetch(line);
        __builtin_prefetch(reinterpret_cast<const char*>(line) + 64);
    }

    /// Whether the caret is drawn right now (blink phase, focus).
    bool CaretShown() const { return caretShown_ && hasFocus(); }

protected:
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void inputMethodEvent(QInputMethodEvent*) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void leaveEvent(QEvent*) override;
    void timerEvent(QTimerEvent*) override;
    bool event(QEvent*) override;

private:
    /// The column's steps of this line's splits and joins, asked of its owner.
    class Column final : public ColumnSteps {
    public:
        explicit Column(TMathEditor& line) : line_(line) {}
        MathLine* Neighbour(int offset) override;
        void CheckRoomForLine() override { line_.owner_->CheckRoomForNewLine(); }
        void SaveHerstel() override { line_.owner_->SaveRecoveryState(); }
        MathLine& InsertLineBelow() override { return line_.owner_->NewLineBelow(line_).Line(); }
        void RemoveLine() override { line_.owner_->TakeOut(line_); }
        void DestroyLine() override { line_.owner_->Discard(line_); }
        void FocusLine() override { line_.owner_->Focus(line_); }

    private:
        TMathEditor& line_;
    };

    void ConnectModel();
    /// The window's key preview and the splits and joins, before the line's own keys; true
    /// when one of them took the key.
    bool ColumnKey(DecodedKey& k);
    /// The line's own handling of a key.
    void LineKey(const DecodedKey& k);
    void EnterFocus();
    void RemovePointerMarker();
    void RestartCaretBlink();
    /// Queues one report of the line's changes to the accessibility bus, while one listens.
    void AccessibleChange();

    LineOwner* owner_ = nullptr;
    Column column_{*this};
    std::unique_ptr<Canvas> measure_;
    std::unique_ptr<MathLine> line_;
    QBasicTimer caretTimer_;
    bool caretShown_ = false;
    bool pressed_ = false;
    bool accessiblePending_ = false;
    bool inKey_ = false;        // a key is being handled: it reports its changes at its end
    bool changedInKey_ = false; // and it changed something
    SpriteCache* sprites_ = nullptr;
};

} // namespace zelm

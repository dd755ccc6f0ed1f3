#include "editor/LineEditor.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <utility>

#include "editor/LineAccessible.h"
#include "formula/LineGeometry.h"
#include "formula/LineKeys.h"
#include "formula/Painter.h"
#include "platform/KeyCodes.h"
#include "platform/QtCanvas.h"

namespace zelm {

namespace {

// A line is a piece of paper: white whatever the desktop's palette, so that the document's
// own text colour stays readable under a dark theme.
constexpr ColorRef Paper = Rgb(255, 255, 255);

} // namespace

std::function<std::unique_ptr<Canvas>()> TMathEditor::measureFactory;
std::function<bool()> TMathEditor::fontSmoothingSource;
std::function<void()> TMathEditor::beep;

std::pair<int, int> LineOwner::StoredPlace(const TMathEditor& line) {
    return {line.y(), line.width()};
}

std::pair<int, int> TMathEditor::StoredPlace() const {
    return owner_ && Zoom() != 100 ? owner_->StoredPlace(*this) : std::pair{y(), width()};
}

void TMathEditor::Beep() {
    if (beep)
        beep();
    else
        QApplication::beep();
}

namespace {

// The line that shows the pointer marker; only lines make themselves its owner.
TMathEditor* MarkerLine() {
    return static_cast<TMathEditor*>(const_cast<void*>(EditorState().pointerMarkerOwner));
}

} // namespace

TMathEditor::TMathEditor(QWidget* owner)
    : QWidget(owner), measure_(measureFactory ? measureFactory() : std::make_unique<QtCanvas>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);         // Tabstop until the main window says otherwise
    setAttribute(Qt::WA_InputMethodEnabled); // dead keys and compose arrive as commit strings
    setCursor(Qt::ArrowCursor);

    // A line starts as wide as its owner and one character height tall; its first layout
    // (in the model's constructor) gives it the height of the laid-out line.
    measure_->SelectFont(FontDesc{});
    const bool smoothing = fontSmoothingSource ? fontSmoothingSource() : FontSmoothingOn();
    line_ = std::make_unique<MathLine>(*measure_, owner ? owner->width() : 0, smoothing);
    line_->bkColor = Paper;
    ConnectModel();
    resize(line_->ClientWidth, line_->ClientHeight);
}

void TMathEditor::Prefetch() const {
    // geometry() is a reference into the widget's private record, beside its attributes.
    const char* record = reinterpret_cast<const char*>(&geometry());
    __builtin_prefetch(record - 32);
    __builtin_prefetch(record + 32);
    __builtin_prefetch(d_ptr.data());
    const MathLine& m = *line_; // the addresses of its members only, nothing read yet
    __builtin_prefetch(&m.Text());
    __builtin_prefetch(&m.Codes());
    __builtin_prefetch(&m.BaseFont());
}

TMathEditor::~TMathEditor() {
    if (EditorState().pointerMarkerOwner == this) {
        EditorState().pointerMarkerOwner = nullptr;
        EditorState().pointerMarkerShown = false;
    }
}

void TMathEditor::ConnectModel() {
    line_->hooks.paint = [this] {
        update();
        AccessibleChange();
    };
    line_->hooks.placeCaret = [this] {
        RestartCaretBlink();
        update();
        AccessibleChange();
        if (owner_) owner_->CaretMoved(*this);
    };
    line_->hooks.resize = [this](int w, int h) { resize(w, h); };
    line_->hooks.refuse = &TMathEditor::Beep;
    line_->hooks.column = &column_;
    line_->OnGewijzigd = [this](MathLine&) {
        if (owner_) owner_->TextChanged(*this);
        if (OnGewijzigd) OnGewijzigd(*this);
    };
    line_->OnHeightChange = [this](MathLine&, int h) {
        if (owner_) owner_->HeightChanged(*this, h);
    };
    line_->OnWidthChange = [this](MathLine&, int w) {
        if (owner_) owner_->WidthChanged(*this, w);
    };
    line_->OnUpDownKeys = [this](MathLine&, int direction) {
        if (owner_) owner_->UpDown(*this, (unsigned short)direction);
    };
    line_->Onkeydown = [this](MathLine&, int& key, ShiftState shift) {
        if (Onkeydown) Onkeydown(*this, key, shift);
    };
    line_->Onkeypress = [this](MathLine&, unsigned char& c) {
        if (Onkeypress) Onkeypress(*this, c);
    };
}

void TMathEditor::SetFont(const FontDesc& f, ColorRef colour) {
    line_->fontColor = colour;
    line_->SetFont(f, true);
}

void TMathEditor::SetColor(ColorRef c) {
    line_->bkColor = c;
    update();
}

void TMathEditor::SelectAll() {
    SelectAllPositions(*line_);
    update();
    AccessibleChange();
}

// Reported once the event that changed the line is done: a keystroke runs the setter more
// than once, and the screen reader hears of it once. A key reports as it ends; any other
// change once the event loop comes round.
void TMathEditor::AccessibleChange() {
    if (!Listening()) return;
    if (inKey_) {
        changedInKey_ = true;
        return;
    }
    if (accessiblePending_) return;
    accessiblePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            accessiblePending_ = false;
            ReportLineChanges(*this);
        },
        Qt::QueuedConnection);
}

void TMathEditor::PlaceCaret() {
    line_->PlaceCaret();
}

void TMathEditor::RestartCaretBlink() {
    caretShown_ = true;
    // Only the line with the focus shows a caret; a timer per line would make loading a long
    // document cost a timer restart per line and change.
    const int flash = QApplication::cursorFlashTime();
    if (flash > 0 && hasFocus())
        caretTimer_.start(flash / 2, this);
    else
        caretTimer_.stop();
}

void TMathEditor::timerEvent(QTimerEvent* e) {
    if (e->timerId() != caretTimer_.timerId()) return QWidget::timerEvent(e);
    caretShown_ = !caretShown_;
    update();
}

void TMathEditor::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtCanvas canvas(painter, line_->LayoutFont(), sprites_);

    // Every paint starts from a clean background; the marker of this line is drawn last.
    EditorGlobals& g = EditorState();
    g.eraseBackground = true;
    const bool markerShown = g.pointerMarkerShown;
    if (g.pointerMarkerOwner != this) g.pointerMarkerShown = false;

    zelm::PaintLine(canvas, PaintInputOf(*line_, Rect{0, 0, width(), height()}));
    g.pointerMarkerShown = markerShown;

    if (CaretShown()) {
        // The caret inverts what lies under it, as a system caret does.
        const CaretRect& c = line_->CaretCellValue();
        QRect r(c.x, c.y, c.width, c.height);
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(r.normalized(), Qt::black);
    }
}

void TMathEditor::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    EnterFocus();
}

void TMathEditor::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    caretTimer_.stop();
    update();
    // A menu or another window takes the pointer along, and no line hears it leave: the marker
    // would stay behind as a second caret, wherever it was.
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason) {
        if (TMathEditor* marked = MarkerLine()) marked->RemovePointerMarker();
    }
    if (owner_) owner_->Exited(*this);
}

void TMathEditor::EnterFocus() {
    line_->EnterFocus();
    if (owner_) owner_->Entered(*this);
    if (AutoSelect) {
        SelectAll();
        AutoSelect = false;
    }
}

void TMathEditor::mousePressEvent(QMouseEvent* e) {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton) return;
    pressed_ = true;
    ClickAt(*line_, Point{int(e->position().x()), int(e->position().y())});
    PlaceCaret();
    update();
}

void TMathEditor::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_) return QWidget::mouseReleaseEvent(e);
    pressed_ = false;
    if (Onclick) Onclick(*this);
    // The click hands the focus to the parent and back, which enters the focus once more:
    // a fresh focus snapshot, the caret, Entered.
    if (hasFocus())
        EnterFocus();
    else
        setFocus(Qt::MouseFocusReason);
}

void TMathEditor::mouseMoveEvent(QMouseEvent* e) {
    const Point pt{int(e->position().x()), int(e->position().y())};
    if (hasFocus() && e->buttons() == Qt::LeftButton && e->modifiers() == Qt::NoModifier) {
        if (DragTo(*line_, pt)) {
            update();
            AccessibleChange();
        }
    }
    line_->DisplayToText();

    RemovePointerMarker();
    if (!rect().contains(pt.x, pt.y)) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    const int part = PartUnderPoint(*line_, pt);
    if (part == 0) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    // Our own I-beam, as tall as the part under the pointer, replaces the screen pointer.
    EditorGlobals& g = EditorState();
    if (TMathEditor* previous = MarkerLine(); previous && previous != this) previous->update();
    g.pointerMarker = IBeamMarker(line_->PartList()[part], pt.x);
    g.pointerMarkerShown = true;
    g.pointerMarkerOwner = this;
    setCursor(Qt::BlankCursor);
    update();
}

void TMathEditor::RemovePointerMarker() {
    EditorGlobals& g = EditorState();
    if (g.pointerMarkerShown && g.pointerMarkerOwner == this) {
        g.pointerMarkerShown = false;
        update();
    }
}

void TMathEditor::leaveEvent(QEvent* e) {
    RemovePointerMarker();
    setCursor(Qt::ArrowCursor);
    QWidget::leaveEvent(e);
}

void TMathEditor::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    SelectPartAtCaret(*line_);
    update();
    AccessibleChange();
}

void TMathEditor::contextMenuEvent(QContextMenuEvent* e) {
    if (popupmenu) popupmenu->popup(e->globalPos());
}

void TMathEditor::keyPressEvent(QKeyEvent* e) {
    DecodedKey k = DecodeKey(*e);
    if (ColumnKey(k)) return;
    // Ctrl+Alt+S speaks the whole line; no structure key uses Ctrl with Alt.
    constexpr auto chord = Qt::ControlModifier | Qt::AltModifier;
    const auto held = e->modifiers() & (chord | Qt::ShiftModifier | Qt::MetaModifier);
    if (e->key() == Qt::Key_S && held == chord) {
        SpeakWholeLine(*this);
        return;
    }
    LineKey(k);
}

// Their changes are the column's: each line reports its own once the event loop comes round,
// as for any change outside a key of its own. Keys without a code ("ü") are never taken.
bool TMathEditor::ColumnKey(DecodedKey& k) {
    if (k.key == 0 || !owner_) return false;
    const bool gathering = std::exchange(inKey_, false);
    owner_->FormKeyDown(*this, k.key, k.shift);
    if (k.key != 0) SplitOrJoin(*line_, k.key);
    inKey_ = gathering;
    return k.key == 0;
}

void TMathEditor::LineKey(const DecodedKey& k) {
    int key = k.key;
    if (key == VK::Scroll) {
        // Scroll Lock arms (or disarms) the one-shot raw symbol entry for every line.
        EditorState().rawSymbolArmed = !EditorState().rawSymbolArmed;
        PlaceCaret();
        return;
    }
    if (k.typed.size() > 1 || (k.typed.size() == 1 && k.character == 0)) {
        // A composed sequence or a character outside Windows-1252.
        TypeText(k.typed);
        return;
    }
    // The key down and its character are one edit.
    line_->EditWithinRecord([&] {
        if (key != 0) KeyDown(*line_, key, k.shift);
        unsigned char c = k.character;
        if (c != 0) KeyPress(*line_, c);
    });
}

MathLine* TMathEditor::Column::Neighbour(int offset) {
    TMathEditor* other = line_.owner_ ? line_.owner_->Neighbour(line_, offset) : nullptr;
    return other ? &other->Line() : nullptr;
}

// A commit string is one edit: one that would make the line too long goes in not at all.
void TMathEditor::TypeText(const QString& text) {
    line_->EditWithinRecord([&] {
        for (char32_t u : text.toUcs4())
            TypeCharacter(*line_, u);
    });
}

void TMathEditor::inputMethodEvent(QInputMethodEvent* e) {
    // Only the committed text is typed; a preedit string shows nowhere.
    TypeText(e->commitString());
    e->accept();
}

QVariant TMathEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle: {
        // The input method's window opens at the caret.
        const CaretRect& c = line_->CaretCellValue();
        return QRect(c.x, c.y, c.width, c.height).normalized();
    }
    default:
        return QWidget::inputMethodQuery(query);
    }
}

bool TMathEditor::event(QEvent* e) {
    // The keys the line keeps for itself (space to Delete, and every character) are never
    // taken by the window as shortcuts; Tab and Enter take the usual route.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        const int vk = VirtualKeyOf(*k);
        const bool modifierShortcut = k->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        if ((vk >= VK::Space && vk <= VK::Delete && !modifierShortcut) ||
            (!modifierShortcut && !k->text().isEmpty() && k->text().at(0).isPrint())) {
            e->accept();
            return true;
        }
    }
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::InputMethod) return QWidget::event(e);
    // A key's changes are gathered only while a screen reader listens, and by the outermost key.
    if (inKey_ || !Listening()) return QWidget::event(e);
    inKey_ = true;
    bool handled = false;
    try {
        handled = QWidget::event(e);
    } catch (...) {
        inKey_ = false;
        if (std::exchange(changedInKey_, false)) AccessibleChange(); // after the error's message
        throw;
    }
    inKey_ = false;
    if (std::exchange(changedInKey_, false)) ReportLineChanges(*this);
    return handled;
}

} // namespace zelm

#include "editor/LineAccessible.h"

#include <QAccessible>
#include <QPointer>
#include <algorithm>
#include <utility>

#include "editor/LineEditor.h"
#include "exchange/MathWriters.h"
#include "exchange/Speech.h"
#include "formula/LineGeometry.h"

namespace zelm {

std::optional<bool> listeningOverride;
void (*eventSink)(QAccessibleEvent* event) = nullptr;

namespace {

void Send(QAccessibleEvent& e) {
    if (eventSink)
        eventSink(&e);
    else
        QAccessible::updateAccessibility(&e);
}

/// The display position of Text position `t`: behind the italic marker that may stand there,
/// as the line maps its own caret, since no part starts at a marker.
int DisplayOf(const Bytes& cursief, int t) {
    int seen = 0;
    for (int d = 0; d < int(cursief.size()); ++d) {
        const bool marker = IsItalicMarker(cursief[std::size_t(d)]);
        if (seen >= t && !marker) return d;
        if (!marker) ++seen;
    }
    return int(cursief.size());
}

/// The Text position of display position `d`: the characters in front of it, less markers.
int TextOf(const Bytes& cursief, int d) {
    d = std::clamp(d, 0, int(cursief.size()));
    return int(std::count_if(cursief.begin(), cursief.begin() + d,
                             [](char c) { return !IsItalicMarker(c); }));
}

/// What only the screen reader sees of a line: the status bar that holds what the line last
/// said of itself ("in de teller", the whole line), and those words as a notification in it.
/// The notification shows anew for every announcement; a screen reader speaks a notification
/// that shows, and one inside a status bar without the role word.
class LinePart : public QAccessibleInterface {
public:
    LinePart(TMathEditor* line, QAccessible::Role role, QAccessible::Id parent)
        : line_(line), role_(role), parent_(parent) {}
    QString words;
    QAccessible::Id childId = 0;

    bool isValid() const override { return !line_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return line_ ? line_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        if (!line_) return nullptr;
        return parent_ ? QAccessible::accessibleInterface(parent_)
                       : QAccessible::queryAccessibleInterface(line_.data());
    }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && childId ? QAccessible::accessibleInterface(childId) : nullptr;
    }
    int childCount() const override { return childId ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* c) const override {
        return childId && c == QAccessible::accessibleInterface(childId) ? 0 : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? words : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return role_; }
    QAccessible::State state() const override { return {}; }

private:
    QPointer<TMathEditor> line_;
    QAccessible::Role role_;
    QAccessible::Id parent_;
};

} // namespace

QAccessibleInterface* LineAccessibleFor(QObject* object) {
    if (auto* line = qobject_cast<TMathEditor*>(object)) return new LineAccessible(line);
    return nullptr;
}

namespace {

/// What the written form adds around a region: the "(" of "^(", "/(" and "√(", the ")" that
/// closes a region, a script's "^" and "_", the blank behind a script or a name, the glue of
/// an operator to its operand. They share the caret of the character they stand beside.
bool IsMark(QChar c) {
    return c == u'(' || c == u')' || c == u'^' || c == u'_' || c == u'&' || c == u' ' ||
           c == u'\u2592';
}

} // namespace

int AccessibleText::OffsetOf(int caret) const {
    // Offsets run with the caret: the offsets of `caret` come together, in writing order.
    const int n = int(caretAt.size());
    if (n == 0) return 0;
    int first = 0;
    while (first < n && caretAt[std::size_t(first)] < caret)
        ++first;
    if (first == n) return n - 1;
    int last = first;
    while (last + 1 < n && caretAt[std::size_t(last + 1)] == caret)
        ++last;
    // In front of the character the caret stands before, not a mark its region adds; only
    // marks: the last, nearest to the region's content.
    for (int i = first; i <= last; ++i)
        if (i >= int(text.size()) || !IsMark(text[i])) return i;
    return last;
}

int AccessibleText::CaretOf(int offset) const {
    if (caretAt.empty()) return 0;
    return caretAt[std::size_t(std::clamp(offset, 0, int(caretAt.size()) - 1))];
}

AccessibleText AccessibleTextOf(const Bytes& text, const Bytes& codes, bool plainText) {
    AccessibleText r;
    r.tree = BuildTree(text, codes, plainText);
    // A text-mode line shows its letters otherwise, not other structures: it is written as one.
    r.tree.plainText = false;
    LinearText linear = ToUnicodeMath(r.tree);
    r.tree.plainText = plainText;
    r.text = QString::fromUtf8(linear.utf8.data(), qsizetype(linear.utf8.size()));
    // The differential d and the e of the exponential, for which a screen reader has no name,
    // as the letters they are.
    r.text.replace(QChar(0x2146), u'd').replace(QChar(0x2147), u'e');
    // The writer maps code points; a character beyond the BMP takes two UTF-16 offsets.
    const auto caretOfPoint = [&](std::size_t cp) {
        return linear.caretAt.empty() ? 0 : linear.caretAt[std::min(cp, linear.caretAt.size() - 1)];
    };
    if (std::size_t(r.text.size()) + 1 == linear.caretAt.size()) {
        r.caretAt = std::move(linear.caretAt); // every character in the BMP: one offset each
        return r;
    }
    r.caretAt.reserve(std::size_t(r.text.size()) + 1);
    std::size_t cp = 0;
    for (QChar c : r.text) {
        r.caretAt.push_back(caretOfPoint(cp));
        if (!c.isHighSurrogate()) ++cp;
    }
    r.caretAt.push_back(caretOfPoint(cp));
    return r;
}

LineAccessible::LineAccessible(TMathEditor* line)
    : QAccessibleWidget(line, QAccessible::EditableText) {
    // What the screen reader finds when it first looks is taken as told.
    const AccessibleText& now = Current();
    const MathLine& m = line->Line();
    reportedText_ = now.text;
    reportedCaret_ = m.CaretPos;
    reportedCodes_ = m.Codes();
    reportedSelStart_ = reportedSelEnd_ = -1;
    reportedContext_ = SpeakCaretContext(now.tree, m.CaretPos);
}

LineAccessible::~LineAccessible() {
    if (notification_) QAccessible::deleteAccessibleInterface(notification_);
    if (status_) QAccessible::deleteAccessibleInterface(status_);
}

int LineAccessible::childCount() const {
    return 1;
}

QAccessibleInterface* LineAccessible::child(int index) const {
    if (index != 0) return nullptr;
    if (!status_) {
        auto* self = const_cast<LineAccessible*>(this);
        auto* status = new LinePart(&Editor(), QAccessible::StatusBar, 0);
        self->status_ = QAccessible::registerAccessibleInterface(status);
        self->notification_ = QAccessible::registerAccessibleInterface(
            new LinePart(&Editor(), QAccessible::Notification, status_));
        status->childId = notification_;
    }
    return QAccessible::accessibleInterface(status_);
}

int LineAccessible::indexOfChild(const QAccessibleInterface* c) const {
    return status_ && c == QAccessible::accessibleInterface(status_) ? 0 : -1;
}

TMathEditor& LineAccessible::Editor() const {
    return *static_cast<TMathEditor*>(widget());
}

const AccessibleText& LineAccessible::Current() const {
    const MathLine& m = Editor().Line();
    if (!cached_ || cachePlain_ != m.PlainText() || cacheText_ != m.Text() ||
        cacheCodes_ != m.Codes()) {
        cache_ = AccessibleTextOf(m.Text(), m.Codes(), m.PlainText());
        cacheText_ = m.Text();
        cacheCodes_ = m.Codes();
        cachePlain_ = m.PlainText();
        cached_ = true;
    }
    return cache_;
}

void* LineAccessible::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString LineAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        // A line outside the window's column (the settings' preview) names itself.
        if (!widget()->accessibleName().isEmpty()) return widget()->accessibleName();
        return "Regel " + QString::number(Editor().LineIndex() + 1);
    case QAccessible::Description:
        return QString::fromStdString(SpeakLine(Current().tree));
    case QAccessible::Value:
        return Current().text;
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State LineAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = true;
    s.selectableText = true;
    s.multiLine = false;
    return s;
}

void LineAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0) return;
    const MathLine& m = Editor().Line();
    const AccessibleText& r = Current();
    const int a = r.OffsetOf(m.Selstart), b = r.OffsetOf(m.Seleinde);
    *startOffset = std::min(a, b);
    *endOffset = std::max(a, b);
}

int LineAccessible::selectionCount() const {
    const MathLine& m = Editor().Line();
    return m.Selstart != m.Seleinde ? 1 : 0;
}

void LineAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void LineAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) setCursorPosition(cursorPosition());
}

void LineAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex != 0) return;
    MathLine& m = Editor().Line();
    const AccessibleText& r = Current();
    m.Selstart = r.CaretOf(std::min(startOffset, endOffset));
    m.Seleinde = m.CaretPos = r.CaretOf(std::max(startOffset, endOffset));
    m.TextToDisplay();
    Editor().PlaceCaret();
}

int LineAccessible::cursorPosition() const {
    return Current().OffsetOf(Editor().Line().CaretPos);
}

void LineAccessible::setCursorPosition(int position) {
    MathLine& m = Editor().Line();
    m.Selstart = m.Seleinde = m.CaretPos = Current().CaretOf(position);
    m.TextToDisplay();
    Editor().PlaceCaret();
}

QString LineAccessible::text(int startOffset, int endOffset) const {
    const QString& t = Current().text;
    startOffset = std::clamp(startOffset, 0, int(t.size()));
    endOffset = endOffset < 0 ? int(t.size()) : std::clamp(endOffset, startOffset, int(t.size()));
    return t.mid(startOffset, endOffset - startOffset);
}

int LineAccessible::characterCount() const {
    return int(Current().text.size());
}

QRect LineAccessible::characterRect(int offset) const {
    MathLine& m = Editor().Line();
    const AccessibleText& r = Current();
    const CaretRect from = m.CaretCell(DisplayOf(m.Cursieftext(), r.CaretOf(offset)));
    const CaretRect to = m.CaretCell(DisplayOf(m.Cursieftext(), r.CaretOf(offset + 1)));
    m.CaretCell(m.DispCaret); // the caret the line shows
    const QRect cell = QRect(from.x, from.y, std::max(1, to.x - from.x), from.height).normalized();
    return QRect(Editor().mapToGlobal(cell.topLeft()), cell.size());
}

int LineAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint p = Editor().mapFromGlobal(point);
    MathLine& m = Editor().Line();
    const int d = HitTest(m, Point{p.x(), p.y()}, true);
    return d < 0 ? -1 : Current().OffsetOf(TextOf(m.Cursieftext(), d));
}

void LineAccessible::scrollToSubstring(int, int) {
    // The window keeps the caret of its focused line in view; a line scrolls no further.
}

QString LineAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    (void)offset;
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

// A screen reader that comes to a line reads its name, its line of text and its description.
// The description is the line read in Dutch; the UnicodeMath is there to be read character by
// character and word by word, never whole, which a Dutch voice spells sign by sign.
QString LineAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundary,
                                     int* startOffset, int* endOffset) const {
    if (boundary == QAccessible::LineBoundary || boundary == QAccessible::SentenceBoundary ||
        boundary == QAccessible::ParagraphBoundary) {
        *startOffset = *endOffset = 0;
        return {};
    }
    return QAccessibleTextInterface::textAtOffset(offset, boundary, startOffset, endOffset);
}

void LineAccessible::ReportChanges() {
    if (!Listening()) return;
    QObject* line = &Editor();
    const AccessibleText& now = Current();
    const QString& before = reportedText_;
    const QString& after = now.text;
    const bool textChanged = before != after;
    if (textChanged) {
        // Only the stretch that changed, so that the screen reader says that, not the line.
        const int shorter = int(std::min(before.size(), after.size()));
        int head = 0;
        while (head < shorter && before[head] == after[head])
            ++head;
        int tail = 0;
        while (tail < shorter - head &&
               before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        const QString removed = before.mid(head, before.size() - head - tail);
        const QString inserted = after.mid(head, after.size() - head - tail);
        if (removed.isEmpty()) {
            QAccessibleTextInsertEvent e(line, head, inserted);
            Send(e);
        } else if (inserted.isEmpty()) {
            QAccessibleTextRemoveEvent e(line, head, removed);
            Send(e);
        } else {
            QAccessibleTextUpdateEvent e(line, head, removed, inserted);
            Send(e);
        }
        reportedText_ = after;
    }

    const MathLine& m = Editor().Line();
    const int caret = now.OffsetOf(m.CaretPos);
    if (textChanged || m.CaretPos != reportedCaret_) {
        QAccessibleTextCursorEvent e(line, caret);
        Send(e);
    }
    // No selection is -1 to -1: a caret move alone selects nothing.
    int selStart = -1, selEnd = -1;
    if (selectionCount() > 0) selection(0, &selStart, &selEnd);
    if (selStart != reportedSelStart_ || selEnd != reportedSelEnd_) {
        QAccessibleTextSelectionEvent e(line, selStart < 0 ? caret : selStart,
                                        selEnd < 0 ? caret : selEnd);
        Send(e);
        reportedSelStart_ = selStart;
        reportedSelEnd_ = selEnd;
    }

    // Where the caret stands, only when that changed: "in de teller", "uit de wortel". A
    // change of ordinary characters leaves the caret in its structure.
    const bool structureChanged = m.Codes() != reportedCodes_;
    if (structureChanged || (!textChanged && m.CaretPos != reportedCaret_)) {
        std::string context = SpeakCaretContext(now.tree, m.CaretPos);
        std::string words;
        if (!textChanged)
            words = SpeakContextChange(now.tree, reportedCaret_, m.CaretPos);
        else if (context != reportedContext_)
            words = context;
        reportedContext_ = std::move(context);
        if (!words.empty()) Announce(QString::fromStdString(words));
    }
    reportedCaret_ = m.CaretPos;
    if (structureChanged) reportedCodes_ = m.Codes();
}

void LineAccessible::SpeakWholeLine() {
    Announce(QString::fromStdString(SpeakLine(Current().tree)));
}

void LineAccessible::Announce(const QString& words) {
    QAccessibleInterface* notification = child(0)->child(0);
    static_cast<LinePart*>(notification)->words = words;
    QAccessibleEvent e(notification, QAccessible::ObjectShow);
    Send(e);
}

namespace {

LineAccessible* InterfaceOf(TMathEditor& line) {
    return dynamic_cast<LineAccessible*>(QAccessible::queryAccessibleInterface(&line));
}

} // namespace

void ReportLineChanges(TMathEditor& line) {
    if (!Listening()) return;
    if (LineAccessible* a = InterfaceOf(line)) a->ReportChanges();
}

void SpeakWholeLine(TMathEditor& line) {
    if (!Listening()) return;
    if (LineAccessible* a = InterfaceOf(line)) a->SpeakWholeLine();
}

void Announce(TMathEditor& line, const QString& words) {
    if (!Listening()) return;
    if (LineAccessible* a = InterfaceOf(line)) a->Announce(words);
}

} // namespace zelm

// The line editor on the accessibility bus: an editable text named "Regel n" whose description
// is the Dutch speech of the line and whose text is the line's UnicodeMath, its offsets mapped
// to and from caret positions. Nothing here runs while no assistive technology listens.
#pragma once

#include <QAccessibleWidget>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "exchange/MathTree.h"

namespace zelm {

class TMathEditor;

/// Set by tests and benchmarks: offscreen, Qt never has a screen reader listening, and drops
/// the events; `eventSink`, when set, receives them instead of the bus.
extern std::optional<bool> listeningOverride;
extern void (*eventSink)(QAccessibleEvent* event);
/// Whether an assistive technology listens; nothing is computed for it while none does.
inline bool Listening() {
    return listeningOverride ? *listeningOverride : QAccessible::isActive();
}

/// The accessible interface of `object` when it is a line editor, else nullptr.
QAccessibleInterface* LineAccessibleFor(QObject* object);

/// A line as the screen reader reads it: its tree, its UnicodeMath and the caret position of
/// every UTF-16 offset (one more entry than the text has units).
struct AccessibleText {
    MathTree tree;
    QString text;
    std::vector<int> caretAt;

    /// The offset of caret position `caret`: in front of the character it stands before, not
    /// of a bracket or script mark the written form adds there; else of the next character.
    int OffsetOf(int caret) const;
    /// The caret position of `offset`, clamped to the text.
    int CaretOf(int offset) const;
};

/// The accessible text of a line with this Text, code string and mode.
AccessibleText AccessibleTextOf(const Bytes& text, const Bytes& codes, bool plainText);

class LineAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LineAccessible(TMathEditor* line);
    ~LineAccessible() override;

    void* interface_cast(QAccessible::InterfaceType t) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override;

    /// Sends what changed since the last report: the text inserted, removed or replaced, the
    /// caret, the selection, and the caret's context when that changed.
    void ReportChanges();
    /// Has the screen reader speak the whole line.
    void SpeakWholeLine();
    /// Qt 6.4 has no announcement, and its description and name changes reach the bus
    /// without their text: the words go to the line's notification, which then shows.
    void Announce(const QString& words);

private:
    TMathEditor& Editor() const;
    const AccessibleText& Current() const;

    mutable AccessibleText cache_;
    mutable Bytes cacheText_, cacheCodes_;
    mutable bool cachePlain_ = false, cached_ = false;
    // What the screen reader was last told.
    QString reportedText_;
    int reportedCaret_ = 0, reportedSelStart_ = 0, reportedSelEnd_ = 0;
    std::string reportedContext_;
    Bytes reportedCodes_;
    QAccessible::Id status_ = 0, notification_ = 0;
};

/// After a change of `line`: its accessible interface reports the change.
void ReportLineChanges(TMathEditor& line);
/// Ctrl+Alt+S: the screen reader speaks the whole line.
void SpeakWholeLine(TMathEditor& line);
/// The screen reader says `words` as the line's own news ("formulemodus").
void Announce(TMathEditor& line, const QString& words);

} // namespace zelm

// The line on the accessibility bus, offscreen: the events a keystroke sends (recorded instead
// of sent), and caret positions read back through the text interface.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>

#include "editor/LineAccessible.h"
#include "editor/LineEditor.h"
#include "samples/HelpFormulas.h"
#include "support/KeyScriptQt.h"

namespace zelm {
namespace {

std::vector<std::string> recorded;

void Record(QAccessibleEvent* e) {
    switch (e->type()) {
    case QAccessible::TextInserted:
        return recorded.push_back(
            "+" + static_cast<QAccessibleTextInsertEvent*>(e)->textInserted().toStdString());
    case QAccessible::TextRemoved:
        return recorded.push_back(
            "-" + static_cast<QAccessibleTextRemoveEvent*>(e)->textRemoved().toStdString());
    case QAccessible::TextCaretMoved:
        return recorded.push_back(
            "caret " +
            std::to_string(static_cast<QAccessibleTextCursorEvent*>(e)->cursorPosition()));
    case QAccessible::TextSelectionChanged: {
        const auto* s = static_cast<QAccessibleTextSelectionEvent*>(e);
        return recorded.push_back("sel " + std::to_string(s->selectionStart()) + "-" +
                                  std::to_string(s->selectionEnd()));
    }
    case QAccessible::ObjectShow:
        return recorded.push_back("say " +
                                  e->accessibleInterface()->text(QAccessible::Name).toStdString());
    default:
        return;
    }
}

class LineAccessibleTest : public ::testing::Test {
protected:
    void SetUp() override {
        eventSink = Record;
        listeningOverride = true;
        line.SetPlainText(false);
        line.Line().Selstart = line.Line().Seleinde = line.Line().CaretPos = 1;
        line.SetText(" ");
        line.SetLineIndex(4);
        iface = QAccessible::queryAccessibleInterface(&line);
        Keys("");
    }
    void TearDown() override {
        listeningOverride.reset();
        eventSink = nullptr;
    }
    /// Sends the key script `keys` and returns the events the line reported for them.
    std::vector<std::string> Keys(const char* keys) {
        QCoreApplication::sendPostedEvents();
        recorded.clear();
        test::ClickKeys(&line, keys);
        QCoreApplication::sendPostedEvents();
        return recorded;
    }
    QString Text() const { return iface->textInterface()->text(0, -1); }
    int Caret() const { return iface->textInterface()->cursorPosition(); }

    TMathEditor line{nullptr};
    QAccessibleInterface* iface = nullptr;
};

using Events = std::vector<std::string>;

TEST_F(LineAccessibleTest, OneReportPerKeyOfWhatChangedAtTheCaret) {
    EXPECT_EQ(iface->text(QAccessible::Name), "Regel 5");
    const int end = int(Text().size());
    const std::string at = std::to_string(end), behind = std::to_string(end + 1);
    // Typed: the character alone, then the caret behind it.
    EXPECT_EQ(Keys("b"), (Events{"+b", "caret " + behind}));
    EXPECT_EQ(Keys("{Left}"), (Events{"caret " + at}));
    EXPECT_EQ(Keys("{S-Right}"), (Events{"caret " + behind, "sel " + at + "-" + behind}));
    EXPECT_EQ(Keys("{Del}"), (Events{"-b", "caret " + at, "sel " + at + "-" + at}));
    EXPECT_EQ(Text().size(), end);
    // Nothing when no assistive technology listens.
    listeningOverride = false;
    EXPECT_EQ(Keys("c"), Events{});
}

TEST_F(LineAccessibleTest, CaretInAFractionMapsIntoItsNumeratorAndSaysWhereItIs) {
    Keys("a");
    const Events events = Keys("{A-Up}x");
    EXPECT_EQ(std::count(events.begin(), events.end(), "say in de teller"), 1);
    // The caret stands behind the typed x at the numerator's end, in front of the bar.
    EXPECT_EQ(Text().mid(Caret() - 2, 3), "x)/") << Text().toStdString();
    iface->textInterface()->setCursorPosition(int(Text().size()));
    EXPECT_EQ(line.Line().CaretPos, int(line.Text().size()));
}

// Arrowing hears the first character of every region too, and the d and e signs as letters.
TEST_F(LineAccessibleTest, ArrowingHearsEveryCharacterOfEveryRegion) {
    Keys(help::QuadraticFormula);
    Keys("{End}+a{S-Down}n{Right}+{C-0}y{End}+{C-Up}{Left}3{Right}8{End}+{C-E}{C-D}f{Home}");
    QString heard;
    for (int caret = -1, offset = -1; caret != line.Line().CaretPos; Keys("{Right}")) {
        caret = line.Line().CaretPos;
        EXPECT_GE(Caret(), offset) << "offset going back at caret " << caret;
        heard += Caret() != offset ? Text().mid(Caret(), 1) : QString();
        offset = Caret();
    }
    EXPECT_EQ(heard.toStdString(), "x=(-b+√(b^2-4ac)/2a)+a_n+(y)+∛(8)+e(df/dx)")
        << Text().toStdString();
}

// The line speaks through a notification in a status bar, which a screen reader says without a
// role word; the line is read once, from its Dutch description: its text has no line to read.
TEST_F(LineAccessibleTest, SpeaksWithoutARoleWordAndIsReadOnceInDutch) {
    Keys("a{A-Up}x");
    ASSERT_EQ(iface->child(0)->role(), QAccessible::StatusBar);
    EXPECT_EQ(iface->child(0)->child(0)->parent()->role(), QAccessible::StatusBar);
    int start = -1, end = -1;
    for (auto whole : {QAccessible::LineBoundary, QAccessible::SentenceBoundary})
        EXPECT_EQ(iface->textInterface()->textAtOffset(1, whole, &start, &end), "");
    EXPECT_NE(iface->text(QAccessible::Description), "");
}

// Each character's box stands where it is drawn: left to right along a line without structures,
// the first letter of an italic run too (its marker stands in front of it in the display text).
TEST_F(LineAccessibleTest, CharacterBoxesRunLeftToRight) {
    QTest::keyClicks(&line, "2ab+c");
    QCoreApplication::sendPostedEvents();
    QAccessibleTextInterface* text = iface->textInterface();
    int left = text->characterRect(0).x();
    for (int i = 1; i < text->characterCount(); ++i) {
        const int x = text->characterRect(i).x();
        EXPECT_GT(x, left) << "offset " << i << " of \"" << Text().toStdString() << '"';
        left = x;
    }
}

} // namespace
} // namespace zelm

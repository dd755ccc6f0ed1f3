#include <gtest/gtest.h>

#include <QKeyEvent>

#include "platform/KeyCodes.h"

namespace zelm {
namespace {

QKeyEvent Press(int key, Qt::KeyboardModifiers m = Qt::NoModifier, const QString& text = {}) {
    return QKeyEvent(QEvent::KeyPress, key, m, text);
}

TEST(KeyCodes, TypedCharactersBecomeWindows1252Bytes) {
    EXPECT_EQ(ToWindows1252(U'a'), 'a');
    EXPECT_EQ(ToWindows1252(U'\u00E9'), 0xE9); // é stands at its own code
    EXPECT_EQ(ToWindows1252(U'\u20AC'), 0x80); // € moved into 0x80..0x9F
    EXPECT_EQ(ToWindows1252(U'\u0153'), 0x9C); // œ
    EXPECT_EQ(ToWindows1252(U'\u0081'), 0);    // an unassigned byte is not a character
    EXPECT_EQ(ToWindows1252(U'\u03C0'), 0);    // π has no byte: it is typed as a symbol
    EXPECT_EQ(CharacterOf(Press(Qt::Key_E, Qt::NoModifier, QString(QChar(0x20AC)))), 0x80);
}

TEST(KeyCodes, KeysGetTheCodesOfTheOriginalPlatform) {
    EXPECT_EQ(VirtualKeyOf(Press(Qt::Key_A)), 65);
    EXPECT_EQ(VirtualKeyOf(Press(Qt::Key_Minus)), 189);
    EXPECT_EQ(VirtualKeyOf(Press(Qt::Key_Minus, Qt::KeypadModifier)), 109);
    // Shift+5 arrives as "%" on a US keyboard; the handlers see the key "5".
    EXPECT_EQ(VirtualKeyOf(Press(Qt::Key_Percent, Qt::ShiftModifier | Qt::ControlModifier)), 53);
    EXPECT_EQ(VirtualKeyOf(Press(Qt::Key_ScrollLock)), 145);
    EXPECT_EQ(VirtualKeyOf(Press(Qt::Key_F4, Qt::AltModifier)), 115);
}

TEST(KeyCodes, CtrlLettersTypeControlCharactersAndAltTypesNothing) {
    EXPECT_EQ(CharacterOf(Press(Qt::Key_C, Qt::ControlModifier, "c")), 3);
    EXPECT_EQ(CharacterOf(Press(Qt::Key_5, Qt::ControlModifier, "5")), 0);
    EXPECT_EQ(CharacterOf(Press(Qt::Key_N, Qt::AltModifier | Qt::ShiftModifier, "N")), 0);
    EXPECT_EQ(CharacterOf(Press(Qt::Key_Backspace)), 8);
    EXPECT_EQ(CharacterOf(Press(Qt::Key_Return)), 13);
    const ShiftState s = ShiftStateOf(Press(Qt::Key_A, Qt::ShiftModifier | Qt::AltModifier));
    EXPECT_TRUE(s.ShiftAlt());
}

} // namespace
} // namespace zelm

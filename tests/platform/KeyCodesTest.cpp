#include <gtest/gtest.h>

#include <QKeyEvent>
#include <vector>

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

// Keys as Qt's X11 platform delivers them, with their text, on US, German and Dutch layouts.
TEST(KeyCodes, EveryKeyGetsItsCodeAndAtMostItsOwnCharacter) {
    struct Row {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        int code;
        int character;
    };
    const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
    const std::vector<Row> rows = {
        {"Delete types no 127", Qt::Key_Delete, {}, "\x7f", 46, 0},
        {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, "\x7f", 46, 0},
        {"the keypad's Delete", Qt::Key_Delete, pad, "", 46, 0},
        {"Escape is passed on as 27", Qt::Key_Escape, {}, "\x1b", 27, 27},
        {"Tab", Qt::Key_Tab, {}, "\t", 9, 9},
        {"a function key", Qt::Key_F5, {}, "", 116, 0},
        {"keypad 7", Qt::Key_7, pad, "7", 103, '7'},
        {"Ctrl+keypad 0 is not Ctrl+0", Qt::Key_0, pad | Qt::ControlModifier, "0", 96, 0},
        {"keypad *", Qt::Key_Asterisk, pad, "*", 106, '*'},
        {"the German keypad's decimal comma", Qt::Key_Comma, pad, ",", 110, ','},
        {"German u-umlaut", Qt::Key_Udiaeresis, {}, QString::fromUtf8("ü"), VK::Packet, 0xFC},
        {"German AltGr+E on X11", 0x20AC, Qt::GroupSwitchModifier, QString::fromUtf8("€"),
         VK::Packet, 0x80},
        {"AltGr+E as Ctrl+Alt", Qt::Key_E, Qt::ControlModifier | Qt::AltModifier,
         QString::fromUtf8("€"), 'E', 0x80},
        {"a dead key alone", Qt::Key_Dead_Acute, {}, "", 0, 0},
        {"a character Windows-1252 lacks", 0x2264, {}, QString::fromUtf8("≤"), VK::Packet, 0},
        {"Ctrl with a character of another layout", Qt::Key_Udiaeresis, Qt::ControlModifier,
         QString::fromUtf8("ü"), 0, 0},
    };
    for (const Row& r : rows) {
        const QKeyEvent e = Press(r.key, r.modifiers, r.text);
        EXPECT_EQ(VirtualKeyOf(e), r.code) << r.name;
        EXPECT_EQ(CharacterOf(e), r.character) << r.name;
    }
}

} // namespace
} // namespace zelm

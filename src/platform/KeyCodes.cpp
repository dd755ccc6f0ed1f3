#include "platform/KeyCodes.h"

#include "platform/FontMetricsTables.h"

namespace zelm {

namespace {

// The unshifted key of a symbol typed with Shift on a US keyboard.
int KeyUnderShiftedSymbol(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    case Qt::Key_Underscore:
        return VK::Minus;
    default:
        return 0;
    }
}

// The keys of the numeric keypad that type a digit or an operator have codes of their own.
int KeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 96 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: // the decimal key of a German or Dutch keypad
        return 110;
    case Qt::Key_Slash:
        return 111;
    default:
        return 0;
    }
}

// Alt without Ctrl types no character; Ctrl with Alt is AltGr on the original platform.
bool AltOnly(Qt::KeyboardModifiers m) {
    return (m & Qt::AltModifier) && !(m & Qt::ControlModifier);
}
bool CtrlOnly(Qt::KeyboardModifiers m) {
    return (m & Qt::ControlModifier) && !(m & Qt::AltModifier);
}

bool IsControl(char32_t u) {
    return u < 0x20 || (u >= 0x7F && u < 0xA0);
}

} // namespace

unsigned char ToWindows1252(char32_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return (unsigned char)u;
    // The characters of bytes 0x80 to 0x9F, which the code page puts elsewhere in Unicode; the
    // unassigned bytes stand for themselves there and are not typed.
    for (int b = 0x80; b < 0xA0; ++b)
        if (Cp1252ToUnicode((unsigned char)b) == u && u > 0xFF) return (unsigned char)b;
    return 0;
}

int VirtualKeyOf(const QKeyEvent& e) {
    const int k = e.key();
    if (e.modifiers() & Qt::KeypadModifier)
        if (const int pad = KeypadKey(k)) return pad;
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return k; // '0'..'9'
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k; // 'A'..'Z'
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return VK::F1 + (k - Qt::Key_F1);
    if (const int base = KeyUnderShiftedSymbol(k)) return base;
    switch (k) {
    case Qt::Key_Backspace:
        return VK::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK::Return;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return VK::Escape;
    case Qt::Key_Space:
        return VK::Space;
    case Qt::Key_PageUp:
        return VK::Prior;
    case Qt::Key_PageDown:
        return VK::Next;
    case Qt::Key_End:
        return VK::End;
    case Qt::Key_Home:
        return VK::Home;
    case Qt::Key_Left:
        return VK::Left;
    case Qt::Key_Up:
        return VK::Up;
    case Qt::Key_Right:
        return VK::Right;
    case Qt::Key_Down:
        return VK::Down;
    case Qt::Key_Select:
        return 41;
    case Qt::Key_Print:
        return 42;
    case Qt::Key_Execute:
        return 43;
    case Qt::Key_SysReq:
        return 44;
    case Qt::Key_Insert:
        return VK::Insert;
    case Qt::Key_Delete:
        return VK::Delete;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return VK::Scroll;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return 188;
    case Qt::Key_Minus:
        return VK::Minus;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
        return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
        return 222;
    default:
        // A character key of another layout ("ü", "ß", a composed "é"): the handlers only
        // need to know that a key typing a character went down.
        return TypedText(e).isEmpty() ? 0 : VK::Packet;
    }
}

QString TypedText(const QKeyEvent& e) {
    if (AltOnly(e.modifiers()) || CtrlOnly(e.modifiers())) return {};
    const QString text = e.text();
    for (char32_t u : text.toUcs4())
        if (IsControl(u)) return {};
    return text;
}

ShiftState ShiftStateOf(const QKeyEvent& e) {
    const Qt::KeyboardModifiers m = e.modifiers();
    return {bool(m & Qt::ShiftModifier), bool(m & Qt::ControlModifier), bool(m & Qt::AltModifier)};
}

unsigned char CharacterOf(const QKeyEvent& e) {
    const Qt::KeyboardModifiers m = e.modifiers();
    if (AltOnly(m)) return 0;
    switch (e.key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    default:
        break;
    }
    // Ctrl with a letter types its control character; with any other key it types nothing.
    if (CtrlOnly(m)) {
        const int k = e.key();
        return k >= Qt::Key_A && k <= Qt::Key_Z ? (unsigned char)(k - Qt::Key_A + 1) : 0;
    }
    // Any other control character is Qt's text of a key that types none: Delete's 127 above
    // all, which would otherwise be typed into the line.
    const QString text = TypedText(e);
    if (text.size() != 1) return 0;
    return ToWindows1252(text.at(0).unicode());
}

DecodedKey DecodeKey(const QKeyEvent& e) {
    return {VirtualKeyOf(e), ShiftStateOf(e), CharacterOf(e), TypedText(e)};
}

} // namespace zelm

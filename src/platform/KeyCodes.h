// Qt key events turned into the virtual-key codes, shift states and 8-bit characters that the
// line editor's handlers work in.
#pragma once

#include <QKeyEvent>

#include "formula/Keys.h"

namespace zelm {

/// The virtual-key code of the key of `e`, or 0 when it has none. A symbol typed with Shift on
/// a US layout ("%" of Shift+5) gives the code of its key ("5"), as the original platform does.
int VirtualKeyOf(const QKeyEvent& e);
/// The printable text the key types (empty for control characters, Ctrl or Alt combinations,
/// and keys that type nothing); it may hold characters that Windows-1252 lacks.
QString TypedText(const QKeyEvent& e);
/// The Shift, Ctrl and Alt keys held with `e`.
ShiftState ShiftStateOf(const QKeyEvent& e);
/// The character the key types, as a Windows-1252 byte (the control characters of their keys
/// included: Ctrl+A gives 1, Backspace 8, Enter 13, Escape 27). 0 when the key types nothing:
/// no text, Qt's control text of Delete, a character outside Windows-1252, or Alt held
/// without Ctrl (Alt combinations type no characters).
unsigned char CharacterOf(const QKeyEvent& e);
/// A key event as the line, and its window's key preview before it, take it: decoded once.
struct DecodedKey {
    int key = 0; ///< VirtualKeyOf
    ShiftState shift;
    unsigned char character = 0; ///< CharacterOf
    QString typed;               ///< TypedText
};
DecodedKey DecodeKey(const QKeyEvent& e);
/// A Unicode character as its Windows-1252 byte, or 0 when it has none.
unsigned char ToWindows1252(char32_t u);

} // namespace zelm

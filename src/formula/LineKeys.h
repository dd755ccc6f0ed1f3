// The keys of a formula line: the key-down handler (caret movement, keyboard selection,
// deletion, the structure keys and templates, leaving the line), the key-press handler (typed
// characters, Backspace, raw symbol entry) with the edit operations they share, and the split
// and the joins (LineKeysSplit.cpp).
// Text positions are 1-based as in MathLine: position p lies in front of Text character p + 1.
#pragma once

#include "formula/DeclMath.h"
#include "formula/Keys.h"
#include "formula/MathLine.h"

namespace zelm {

/// The key-down handler. Like the key-press handler it refuses, whole, a key that would make
/// the line longer than its record stores (MathLine::EditWithinRecord). A key it passes on is set
/// to 0 and fires `Onkeydown`; a key it stops keeps its value. A letter key of a one-character
/// power or index becomes its lower-case character first.
void KeyDown(MathLine& line, int& key, ShiftState shift);

/// The key-press handler for character `c` (Windows-1252). A used character is set to 0;
/// characters below 32 fire `Onkeypress`.
void KeyPress(MathLine& line, unsigned char& c);

/// The keys that split and join lines, whatever Shift, Ctrl or Alt is held: Enter splits the
/// line at the caret, Backspace at its start joins it to the line above and Delete at its end
/// joins the line below to it (the joins only without a selection). The recovery state comes
/// first; a result its record cannot hold is refused whole, with the line's beep. Sets `key`
/// to 0 when it took the key; other keys, and a line in no column, it leaves alone.
void SplitOrJoin(MathLine& line, int& key);

/// Types Unicode character `u` as a key that types it would: a Windows-1252 character as
/// itself, else the "Symbol" character that shows it (as raw symbol entry makes one). A
/// character the line cannot hold, or one that would make it longer than its record stores,
/// is refused: the line stays as it was and `hooks.refuse` sounds.
void TypeCharacter(MathLine& line, char32_t u);

/// Deletes the selected Text characters with their parameters; the caret goes to Selstart.
void DeleteSelection(MathLine& line);

/// Puts a structure code of kind `opener` in front of the selection and one of kind `closer`
/// behind it. Positions stay; the caller moves the caret and runs the setter.
void WrapSelection(MathLine& line, StructKind opener, StructKind closer);

/// Inserts one structure code at the caret and steps over it.
void InsertSingleCode(MathLine& line, StructKind kind);

/// The Up (38) or Down (40) jump between numerator and denominator of the fraction around
/// the caret. False when there is no such fraction.
bool StructureJump(MathLine& line, int key);

} // namespace zelm

// The key handlers of a formula line. Text positions are 1-based: position p lies in front of
// Text character p + 1; character 1 is the blank that starts every line. Positions that a
// sequence of keys pushes outside the text are tolerated: every access is bounded, an insert
// beyond the end appends and a delete outside the text does nothing.
#include "formula/LineKeys.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "formula/Charset.h"

namespace zelm {

namespace {

Bytes Run(std::initializer_list<char> bytes) {
    return Bytes(bytes);
}

int Length(const Bytes& text) {
    return int(text.size());
}

/// Text character p (1-based), or 0 outside the text.
unsigned char CharAt(const Bytes& text, int p) {
    return p >= 1 && p <= Length(text) ? static_cast<unsigned char>(text[std::size_t(p - 1)]) : 0;
}

/// Code characters (1 to 6) and the byte 0 that ends a text: what Ctrl+Left/Right stop at.
bool StopsCodeJump(const Bytes& text, int p) {
    return CharAt(text, p) < 7;
}

/// The code position of text position p: the code characters among the first p characters,
/// a position past the end counting the end as one more.
int CodePosition(const Bytes& text, int p) {
    const int counted = CodeIndexAt(text, p + 1);
    return p > Length(text) ? counted + 1 : counted;
}

/// Inserts plain characters at text position p (an insert beyond the end appends).
void InsertPlain(Bytes& text, int p, const Bytes& chars) {
    text.insert(std::size_t(std::clamp(p - 1, 0, Length(text))), chars);
}

/// Inserts `parameters` after the first `count` bytes of the code string.
void InsertParametersAfter(Bytes& codes, int count, const Bytes& parameters) {
    codes.insert(std::size_t(std::clamp(count, 0, int(codes.size()))), parameters);
}

/// Keeps an edit in the line without running the setter (the caller runs it later).
void Store(MathLine& line, const Bytes& text, const Bytes& codes) {
    line.SetCodes(codes);
    line.StoreText(text);
}

/// Writes an edit through the setter.
void Commit(MathLine& line, const Bytes& text, const Bytes& codes) {
    line.SetCodes(codes);
    line.SetText(text);
}

/// Runs the setter on the line as it stands (lays out, repaints, places the caret).
void Relayout(MathLine& line) {
    line.SetText(line.Text());
}

void CollapseOnCaret(MathLine& line) {
    line.Selstart = line.Seleinde = line.CaretPos;
}

/// A caret or selection move: only the display positions, the picture and the caret change.
void ShowMove(MathLine& line) {
    line.TextToDisplay();
    if (line.hooks.paint) line.hooks.paint();
    line.PlaceCaret();
}

/// A key the handler passes on reaches the standard handling as key 0.
void PassKeyOn(MathLine& line, int& key, ShiftState shift) {
    key = 0;
    if (line.Onkeydown) line.Onkeydown(line, key, shift);
}

/// Left at the start, Right at the end, Up or Down with nowhere to jump: the window moves
/// the focus to a neighbouring line. False when nobody listens.
bool LeaveLine(MathLine& line, int direction) {
    if (!line.OnUpDownKeys) return false;
    line.OnUpDownKeys(line, direction);
    return true;
}

void InsertCodeAt(MathLine& line, int p, StructKind kind) {
    Bytes text = line.Text(), codes = line.Codes();
    InsertStructureCode(text, codes, p, kind);
    Store(line, text, codes);
}

/// Inserts a template at the caret, puts the caret `advance` characters into it and lays
/// the line out.
void InsertTemplate(MathLine& line, const Bytes& chars, const Bytes& parameters, int advance) {
    Bytes text = line.Text(), codes = line.Codes();
    InsertWithParameters(text, codes, line.CaretPos + 1, chars, parameters);
    line.CaretPos += advance;
    CollapseOnCaret(line);
    Commit(line, text, codes);
}

// ---- Key down ----

/// Home leaves the caret in front of the leading blank; any next key puts it behind again.
void KeepCaretBehindBlank(MathLine& line) {
    if (line.CaretPos != 0) return;
    line.CaretPos = 1;
    line.Selstart = 1;
    // Home left the selection's end at 0 too; a selection ending before it starts would be
    // wrapped or deleted backwards.
    if (line.Seleinde < line.Selstart) line.Seleinde = line.Selstart;
}

/// A line holding only the placeholder "0" is emptied to its blank, its "0" selected.
void ClearPlaceholderForKey(MathLine& line) {
    if (!IsPlaceholder(line.Text())) return;
    line.StoreText(" ");
    line.CaretPos = 1;
    line.Selstart = 1;
    line.Seleinde = 2;
}

/// The derivative template d(caret) over dx, or, directly behind the numerator's "d" of one,
/// the second derivative: a power 2 on that "d" and one behind the denominator's variable.
void Derivative(MathLine& line) {
    const Bytes& text = line.Text();
    const Bytes& codes = line.Codes();
    const int k = CodePosition(text, line.CaretPos);
    const bool behindNumeratorD = CharAt(text, line.CaretPos - 1) == Code::Structure && k >= 1 &&
                                  k <= int(codes.size()) &&
                                  codes[std::size_t(k - 1)] == KindByte(StructKind::NumeratorD);
    const Bytes square = Run({Code::Structure, '2', Code::Structure});
    const Bytes squareKinds = Run({KindByte(StructKind::Power), KindByte(StructKind::PowerEnd)});
    if (behindNumeratorD) {
        Bytes newText = text, newCodes = codes;
        InsertPlain(newText, line.CaretPos + 1, square);
        InsertParametersAfter(newCodes, k, squareKinds);
        line.CaretPos += 3;
        // The template's denominator is "d" and one variable: its power goes 4 further on.
        InsertPlain(newText, line.CaretPos + 4, square);
        InsertParametersAfter(newCodes, k + 4, squareKinds);
        CollapseOnCaret(line);
        Commit(line, newText, newCodes);
        return;
    }
    const char s = Code::Structure;
    InsertTemplate(line, Run({s, s, s, s, 'x', s}),
                   Run({KindByte(StructKind::Fraction), KindByte(StructKind::NumeratorD),
                        KindByte(StructKind::FractionBar), KindByte(StructKind::DenominatorD),
                        KindByte(StructKind::FractionEnd)}),
                   2);
}

/// An integral from 0 to x with an empty integrand (the caret) and "dx" behind it.
void IntegralTemplate(MathLine& line) {
    const char s = Code::Structure;
    InsertTemplate(line, Run({s, '0', s, 'x', s, s, 'x'}),
                   Run({KindByte(StructKind::Integral), KindByte(StructKind::Separator),
                        KindByte(StructKind::Separator), KindByte(StructKind::IntegralD)}),
                   5);
}

/// A sum sign with two empty limits; the caret stands where the summand goes.
void SumTemplate(MathLine& line) {
    const char s = Code::Structure;
    InsertTemplate(line, Run({s, s, s}),
                   Run({KindByte(StructKind::Sum), KindByte(StructKind::Separator),
                        KindByte(StructKind::Separator)}),
                   3);
}

/// Two underline switches around the selection; the caret ends behind its last character.
void UnderlineSelection(MathLine& line) {
    WrapSelection(line, StructKind::Underline, StructKind::Underline);
    ++line.Seleinde;
    line.Selstart = line.Seleinde;
    Relayout(line);
    line.CaretPos = line.Seleinde;
    line.TextToDisplay();
    line.PlaceCaret();
}

/// The shortcuts with exactly Ctrl held; each ends in a run of the setter.
void CtrlShortcut(MathLine& line, int key) {
    switch (key) {
    case '0':
    case '9':
        InsertSingleCode(line, StructKind::Bracket);
        break;
    case 'E':
        InsertSingleCode(line, StructKind::BoldE);
        break;
    case 'K':
        InsertSingleCode(line, StructKind::BoldX);
        break;
    case 'P':
        InsertSingleCode(line, StructKind::Pi);
        break;
    case 'D':
        Derivative(line);
        break;
    case 'I':
        IntegralTemplate(line);
        break;
    case 'S':
        SumTemplate(line);
        break;
    case VK::Minus:
        UnderlineSelection(line);
        break;
    default:
        break;
    }
}

/// Ctrl+Shift or Shift+Alt with a letter or digit: that one character as a power or index.
/// A letter key is taken as its lower-case letter.
void OneCharacterScript(MathLine& line, int& key, StructKind opener, StructKind closer) {
    if (IsLetterKey(key)) key += 'a' - 'A';
    InsertTemplate(line, Run({Code::Structure, char(key), Code::Structure}),
                   Run({KindByte(opener), KindByte(closer)}), 3);
}

/// Mirror of InFrontOfNextCode: directly behind the nearest code character in front of
/// position c, position 1 when there is none.
int BehindPreviousCode(const Bytes& text, int c) {
    for (int q = std::min(c, Length(text)); q >= 1; --q)
        if (StopsCodeJump(text, q)) return q;
    return 1;
}

/// In front of the first code character from character c + 1 on, the end when there is none.
int InFrontOfNextCode(const Bytes& text, int c) {
    for (int q = c + 1; q <= Length(text); ++q)
        if (StopsCodeJump(text, q)) return q - 1;
    return Length(text);
}

/// Left: one position back, the selection growing or shrinking with Shift, to the previous
/// code with Ctrl. True when the key is passed on.
bool Left(MathLine& line, ShiftState shift) {
    if (line.CaretPos <= 1) {
        LeaveLine(line, VK::Left);
        return false;
    }
    --line.CaretPos;
    if (shift.OnlyShift()) {
        // A selection made to the left grows at its start, one made to the right shrinks.
        if (line.CaretPos == line.Selstart - 1)
            --line.Selstart;
        else
            --line.Seleinde;
        ShowMove(line);
        return false;
    }
    if (shift.OnlyCtrl()) line.CaretPos = BehindPreviousCode(line.Text(), line.CaretPos);
    CollapseOnCaret(line);
    ShowMove(line);
    return true;
}

/// Right: the mirror of Left.
bool Right(MathLine& line, ShiftState shift) {
    if (line.CaretPos >= Length(line.Text())) {
        LeaveLine(line, VK::Right);
        return false;
    }
    ++line.CaretPos;
    if (shift.OnlyShift()) {
        if (line.CaretPos == line.Seleinde + 1)
            ++line.Seleinde;
        else
            ++line.Selstart;
        ShowMove(line);
        return false;
    }
    if (shift.OnlyCtrl()) line.CaretPos = InFrontOfNextCode(line.Text(), line.CaretPos);
    CollapseOnCaret(line);
    ShowMove(line);
    return true;
}

/// Up and Down: the fraction jump, or a structure around the selection by the modifiers.
/// True when the key is passed on.
bool UpDown(MathLine& line, int key, ShiftState shift) {
    const bool up = key == VK::Up;
    if (shift.None()) {
        if (!StructureJump(line, key) && LeaveLine(line, key)) return false;
    } else if (shift.OnlyShift()) {
        if (up)
            WrapSelection(line, StructKind::Power, StructKind::PowerEnd);
        else
            WrapSelection(line, StructKind::Index, StructKind::IndexEnd);
        ++line.CaretPos;
    } else if (shift.OnlyAlt()) {
        if (up) {
            WrapSelection(line, StructKind::Fraction, StructKind::FractionEnd);
            InsertCodeAt(line, line.CaretPos + 2, StructKind::FractionBar);
            ++line.CaretPos;
        }
    } else if (shift.OnlyCtrl()) {
        if (up) {
            // An empty index region in front of the selection, which becomes the radicand.
            WrapSelection(line, StructKind::Root, StructKind::RootEnd);
            InsertCodeAt(line, line.Selstart + 2, StructKind::Separator);
            line.CaretPos += 2;
        } else {
            InsertCodeAt(line, line.CaretPos + 1, StructKind::RootEnd);
        }
    }
    CollapseOnCaret(line);
    Relayout(line);
    return true;
}

/// Delete: the character behind the caret with its parameter, or the selection.
void DeleteKey(MathLine& line) {
    if (line.Selstart == line.Seleinde) {
        Bytes text = line.Text(), codes = line.Codes();
        DeleteCodeChar(text, codes, line.CaretPos + 1); // nothing at the end of the line
        Commit(line, text, codes);
        return;
    }
    DeleteSelection(line);
    Relayout(line);
}

/// First part that starts at or after display position d or holds it; count + 1 if none.
int PartAtOrAfter(const TTextdelen& parts, int count, int d) {
    for (int i = 1; i <= count; ++i) {
        const TTextdeel& part = parts[i];
        if (part.TextPos >= d || (part.TextPos < d && d < part.TextPos + part.Len)) return i;
    }
    return count + 1;
}

bool ValidPart(int count, int i) {
    return i >= 1 && i <= count;
}

bool IsBoldD(const TTextdelen& parts, int count, int i) {
    return ValidPart(count, i) && parts[i].Kind == PartKind::BoldD;
}

// ---- Key press ----

/// A line holding only the placeholder "0" (or nothing) is emptied to its blank.
void ClearPlaceholderForTyping(MathLine& line) {
    const Bytes& text = line.Text();
    if (!IsPlaceholder(text) && !text.empty()) return;
    line.StoreText(" ");
    line.CaretPos = line.Selstart = line.Seleinde = 1;
    line.SetCodes({});
}

/// A space in front of a structure code steps over the code instead of being typed. The
/// text position indexes Cursieftext directly, so in formula mode the italic markers in
/// front of the caret shift what is looked at.
bool SpaceStepsOverCode(MathLine& line) {
    if (CharAt(line.Cursieftext(), line.CaretPos + 1) != Code::Structure) return false;
    ++line.CaretPos;
    ++line.Selstart;
    ++line.Seleinde;
    Relayout(line);
    return true;
}

/// Backspace with no selection in front of the caret: the character in front of the caret
/// with its parameter. Position 1 normally holds the blank, but a "/" typed there puts a code
/// in front of it, and that code too goes with its parameter, or the line would no longer
/// match its code string and fall back to its focus snapshot.
void BackspaceOneCharacter(MathLine& line) {
    Bytes text = line.Text(), codes = line.Codes();
    const int p = line.CaretPos;
    if (p >= 1 && HasParameter(char(CharAt(text, p)))) {
        const auto index = std::size_t(CodeIndexAt(text, p));
        if (index < codes.size()) codes.erase(index, 1);
    }
    if (p >= 1 && p <= Length(text)) text.erase(std::size_t(p - 1), 1);
    --line.CaretPos;
    --line.Selstart;
    --line.Seleinde;
    Commit(line, text, codes);
}

void PassCharacterOn(MathLine& line, unsigned char& c) {
    if (line.Onkeypress) line.Onkeypress(line, c);
}

/// What is inserted for a typed character: the byte and, for a new code character, its
/// parameter (a "/" has put its parameter in the code string already).
struct Typed {
    unsigned char c;
    std::optional<char> parameter;
};

/// "/": a slanted fraction whose numerator is the character in front of the caret and whose
/// empty denominator (with the caret) follows it. Leaves the opener to be inserted.
Typed StartSlantedFraction(MathLine& line) {
    WrapSelection(line, StructKind::Slash, StructKind::SlantedEnd);
    // The opener goes in at the caret, in front of the character before it; its parameter
    // goes at the matching place, so that a code character standing there (a name, say)
    // keeps its own parameter.
    const int opener = line.CaretPos;
    Bytes codes = line.Codes();
    const auto at = std::min(std::size_t(CodeIndexAt(line.Text(), opener)), codes.size());
    codes.insert(at, 1, KindByte(StructKind::Slanted));
    line.SetCodes(codes);
    line.Selstart = line.Seleinde = line.CaretPos + 1;
    --line.CaretPos;
    return {Code::Structure, std::nullopt};
}

/// The characters that make structures: "." (formula mode only), "|" and "/".
Typed StructureFor(MathLine& line, unsigned char c) {
    if (c == '.' && !line.PlainText()) return {Code::Structure, KindByte(StructKind::Dot)};
    if (c == '|') return {Code::Structure, KindByte(StructKind::Bar)};
    if (c == '/') return StartSlantedFraction(line);
    return {c, std::nullopt};
}

/// Raw symbol entry, armed for one character: the character becomes the parameter of a
/// symbol character. The parameter goes in with the byte 4 itself, so that typing over a
/// selection keeps the code string matched while the selection is deleted.
Typed RawSymbol(unsigned char c) {
    EditorState().rawSymbolArmed = false;
    return {Code::Symbol, char(c)};
}

/// Typing "1" into the empty denominator of a slanted fraction at the end of a line: the
/// caret leaves the fraction behind its closer.
bool TypedIntoSlantedDenominator(const MathLine& line, const Bytes& text, const Bytes& codes) {
    const int s = line.Selstart;
    if (CharAt(text, s) != Code::Structure || CharAt(text, s + 2) != Code::Structure) return false;
    const auto index = std::size_t(CodeIndexAt(text, s));
    return index < codes.size() && codes[index] == KindByte(StructKind::Slash);
}

/// Inserts the typed character at the caret, replacing the selection unless it is a bracket.
void InsertTyped(MathLine& line, const Typed& typed) {
    Bytes text = line.Text(), codes = line.Codes();
    const auto insert = [&] {
        const int p = line.CaretPos + 1;
        if (typed.parameter)
            InsertCodeChar(text, codes, std::clamp(p, 1, Length(text) + 1), char(typed.c),
                           *typed.parameter);
        else
            InsertPlain(text, p, Bytes(1, char(typed.c)));
    };
    const bool selection = line.Selstart != line.Seleinde;
    const bool nearEnd = Length(text) <= line.Selstart + 1;
    if (!selection && !nearEnd) {
        insert();
    } else if (typed.c == '(' || typed.c == ')') {
        insert(); // a bracket never replaces the selection
    } else {
        if (selection) {
            DeleteSelection(line);
            text = line.Text();
            codes = line.Codes();
        }
        insert();
        if (TypedIntoSlantedDenominator(line, text, codes)) ++line.Selstart;
    }
    Store(line, text, codes);
}

/// "(" directly followed by ")" is dropped (the first such pair).
Bytes WithoutEmptyBrackets(Bytes text) {
    const auto pair = text.find("()");
    if (pair != Bytes::npos) text.erase(pair, 2);
    return text;
}

/// A typed character in at the caret, the caret behind it, one run of the setter.
void InsertAndCommit(MathLine& line, const Typed& typed) {
    InsertTyped(line, typed);
    ++line.Selstart;
    line.Seleinde = line.CaretPos = line.Selstart;
    Commit(line, WithoutEmptyBrackets(line.Text()), line.Codes());
}

void KeyDownSteps(MathLine& line, int& key, ShiftState shift) {
    KeepCaretBehindBlank(line);
    ClearPlaceholderForKey(line);
    if (shift.OnlyCtrl()) CtrlShortcut(line, key);
    if (IsLetterKey(key) || IsDigitKey(key)) {
        if (shift.ShiftCtrl())
            OneCharacterScript(line, key, StructKind::Power, StructKind::PowerEnd);
        else if (shift.ShiftAlt())
            OneCharacterScript(line, key, StructKind::Index, StructKind::IndexEnd);
    }
    switch (key) {
    case VK::Home:
        line.Selstart = line.Seleinde = line.CaretPos = 0;
        Relayout(line);
        break;
    case VK::End:
        line.Selstart = line.Seleinde = line.CaretPos = Length(line.Text());
        Relayout(line);
        break;
    case VK::Left:
        if (!Left(line, shift)) return;
        break;
    case VK::Right:
        if (!Right(line, shift)) return;
        break;
    case VK::Up:
    case VK::Down:
        if (!UpDown(line, key, shift)) return;
        break;
    case VK::Insert:
        line.PlaceCaret(); // there is no overwrite mode
        break;
    case VK::Delete:
        DeleteKey(line);
        break;
    default:
        break;
    }
    PassKeyOn(line, key, shift);
}

void KeyPressSteps(MathLine& line, unsigned char& c) {
    ClearPlaceholderForTyping(line);
    if (c == ' ' && SpaceStepsOverCode(line)) c = 0;
    if (c == VK::Back) {
        // A selection made to the left (caret at its start) keeps its characters: the one in
        // front of the caret goes.
        if (line.CaretPos == line.Selstart) {
            BackspaceOneCharacter(line);
            c = 0;
            return;
        }
        DeleteSelection(line);
    }
    if (c < ' ') {
        PassCharacterOn(line, c);
        return;
    }
    // Armed raw entry takes every character, "." "/" "|" too, as a plain symbol parameter.
    InsertAndCommit(line, EditorState().rawSymbolArmed ? RawSymbol(c) : StructureFor(line, c));
    c = 0;
}

/// A typed character the line holds as a "Symbol" character: as raw symbol entry makes one.
void KeyPressSymbol(MathLine& line, unsigned char symbol) {
    ClearPlaceholderForTyping(line);
    InsertAndCommit(line, RawSymbol(symbol));
}

} // namespace

// ---- Shared edit operations ----

void DeleteSelection(MathLine& line) {
    Bytes text = line.Text(), codes = line.Codes();
    DeleteRange(text, codes, line.Selstart, line.Seleinde);
    Commit(line, text, codes);
    line.Seleinde = line.Selstart;
    line.CaretPos = line.Selstart;
    // The setter showed the line while the old selection still stood; show the collapsed
    // one, or a split line would keep showing a highlight and a caret that are not there.
    ShowMove(line);
}

void WrapSelection(MathLine& line, StructKind opener, StructKind closer) {
    Bytes text = line.Text(), codes = line.Codes();
    InsertStructureCode(text, codes, line.Selstart + 1, opener);
    // Behind the last selected character, which the opener has moved one place on.
    InsertStructureCode(text, codes, line.Seleinde + 2, closer);
    Store(line, text, codes);
}

void InsertSingleCode(MathLine& line, StructKind kind) {
    Bytes text = line.Text(), codes = line.Codes();
    InsertStructureCode(text, codes, line.CaretPos + 1, kind);
    ++line.CaretPos;
    CollapseOnCaret(line);
    Commit(line, text, codes);
}

bool StructureJump(MathLine& line, int key) {
    const TTextdelen& parts = line.PartList();
    const int count = line.PartCount();
    const int caret = line.DispCaret;
    line.CurrentPart = PartAtOrAfter(parts, count, caret);
    for (int i = line.CurrentPart; i <= count; ++i) {
        const TTextdeel& part = parts[i];
        if (key == VK::Down && part.Kind == PartKind::FractionBarCode) {
            const int opener = part.Partner;
            if (!ValidPart(count, opener) || parts[opener].TextPos >= caret) continue;
            // The start of the denominator; in a derivative behind its "d".
            line.DispCaret = part.TextPos + 1;
            if (IsBoldD(parts, count, i + 1)) ++line.DispCaret;
            line.DisplayToText();
            return true;
        }
        if (key == VK::Up && part.Kind == PartKind::FractionClose) {
            const int bar = part.Partner;
            if (!ValidPart(count, bar) || parts[bar].TextPos >= caret) continue;
            const int opener = parts[bar].Partner;
            if (!ValidPart(count, opener)) continue;
            // The start of the numerator; in a derivative behind its "d".
            line.DispCaret = parts[opener].TextPos + 1;
            if (IsBoldD(parts, count, bar + 1)) ++line.DispCaret;
            line.DisplayToText();
            return true;
        }
    }
    return false;
}

// ---- The handlers ----

void KeyDown(MathLine& line, int& key, ShiftState shift) {
    line.EditWithinRecord([&] { KeyDownSteps(line, key, shift); });
}

void KeyPress(MathLine& line, unsigned char& c) {
    line.EditWithinRecord([&] { KeyPressSteps(line, c); });
}

void TypeCharacter(MathLine& line, char32_t u) {
    if (IsControlCharacter(u)) return line.Refuse();
    const std::optional<unsigned char> plain = UnicodeToCp1252(u);
    const std::optional<unsigned char> symbol = plain ? std::nullopt : SymbolCodeOf(u);
    if (!plain && !symbol) return line.Refuse();
    line.EditWithinRecord([&] {
        int key = VK::Packet; // a key that types a character went down
        KeyDown(line, key, {});
        if (symbol) {
            KeyPressSymbol(line, *symbol);
            return;
        }
        unsigned char c = *plain;
        KeyPress(line, c);
    });
}

} // namespace zelm

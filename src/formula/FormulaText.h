// The formula text format: code positions, structure codes, name recognition, formula
// references and italic marking, and the process-wide state that belongs to the format.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formula/DeclMath.h"
#include "formula/Types.h"

namespace zelm {

/// Number of code characters 1 to 4 in `text`.
int CountCodeChars(const Bytes& text);

/// Code-string position (0-based index into the code string) of the parameter of a code
/// character standing at 1-based text position `p`: the code characters 1 to 4 in front of p.
int CodeIndexAt(const Bytes& text, int p);

/// Inserts byte 3 at 1-based text position `p` and kind `k` at the matching code position.
void InsertStructureCode(Bytes& text, Bytes& codes, int p, StructKind k);
/// Closes the structures still open at the end of the text, family by family in the order of
/// `Family`, counting each family's counter down to 0; true when it appended any closer.
bool AppendMissingClosers(Bytes& text, Bytes& codes, std::array<int, FamilyCount>& counters);
/// Inserts code character `c` (1 to 4) with `parameter` at 1-based text position `p`.
void InsertCodeChar(Bytes& text, Bytes& codes, int p, char c, char parameter);
/// Deletes the character at 1-based position `p`, with its parameter when it has one.
void DeleteCodeChar(Bytes& text, Bytes& codes, int p);
/// Inserts `chars` at 1-based text position `p` (clamped into the text) and, in front of the
/// parameters of the code characters behind them, the `parameters` of the code characters
/// among them.
void InsertWithParameters(Bytes& text, Bytes& codes, int p, const Bytes& chars,
                          const Bytes& parameters);
/// Deletes the characters between caret positions `from` and `to` (characters in front of
/// the caret, clamped into the text) with the parameters of the code characters among them.
void DeleteRange(Bytes& text, Bytes& codes, int from, int to);
/// The placeholder "0" (with or without its blank) of a line that holds nothing yet; typing
/// replaces it.
inline bool IsPlaceholder(const Bytes& text) {
    return text == "0" || text == "0 ";
}
/// Replaces the `len` characters of a name at 1-based position `p` by code character `c`.
void ReplaceName(Bytes& text, Bytes& codes, int p, int len, char c, char parameter);

/// One name-recognition pass over `text` (the order of the name table, first occurrence only,
/// the double-quote rule, "log", "normv", "cumnv"); adjusts `caretPos`. True when it replaced.
bool RecognizeNamesOnce(Bytes& text, Bytes& codes, int& caretPos);

/// Something a formula reference can point to: a component with a name.
struct FormulaSource {
    std::string name;
};

/// Replaces the first occurrence of each source's name by a formula reference (byte 2),
/// skipping `self`. Sources are looked up in (or appended to) the reference list.
void MakeReferences(Bytes& text, Bytes& codes, const std::vector<const FormulaSource*>& sources,
                    const FormulaSource* self);

/// Wraps every run of letters (and byte 4) in the italic markers 5 and 6.
Bytes MarkItalics(const Bytes& text);
/// `text` without the italic markers.
Bytes StripItalicMarkers(const Bytes& text);

/// Process-wide state of the format; `Reset` puts it back as at program start (for tests).
struct FormulaGlobals {
    /// Repaired layouts still allowed in a row before "Foutje"; 0 at start.
    int retryBudget = 0;
    /// The formulas that references point to; entries are appended and never removed.
    std::vector<const FormulaSource*> references;
    void Reset() { *this = FormulaGlobals{}; }
};
FormulaGlobals& Globals();

/// Name shown for a name part made from code `c` (1 or 2) with `parameter`.
std::string NameForCode(char c, unsigned char parameter);

} // namespace zelm

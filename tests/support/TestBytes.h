// Helpers for tests that build formula texts: byte strings with code characters read better
// built from pieces, and every test starts from the program-start state.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "formula/DeclMath.h"
#include "formula/EditorGlobals.h"
#include "formula/FormulaText.h"

namespace zelm::test {

/// The pieces joined.
inline Bytes B(std::initializer_list<Bytes> pieces) {
    Bytes out;
    for (const Bytes& p : pieces)
        out += p;
    return out;
}
/// One byte of value v (a parameter).
inline Bytes P(int v) {
    return Bytes(1, char(v));
}

/// An expected text written readably: '#' stands for byte 3, '@' for byte 1, '$' for byte 4.
inline Bytes T(const std::string& s) {
    Bytes out = s;
    for (char& c : out) {
        if (c == '#') c = Code::Structure;
        if (c == '@') c = Code::Name;
        if (c == '$') c = Code::Symbol;
    }
    return out;
}
/// A code string from its parameter values.
inline Bytes Codes(const std::vector<int>& v) {
    return Bytes(v.begin(), v.end());
}

inline const Bytes kName(1, Code::Name);
inline const Bytes kRef(1, Code::Reference);
inline const Bytes kStruct(1, Code::Structure);
inline const Bytes kSym(1, Code::Symbol);
inline const Bytes kOn(1, Code::ItalicOn);
inline const Bytes kOff(1, Code::ItalicOff);

/// Puts the process-wide state back as at program start, before and after each test.
struct FreshGlobals {
    FreshGlobals() { Reset(); }
    ~FreshGlobals() { Reset(); }
    static void Reset() {
        Globals().Reset();
        EditorState().Reset();
    }
};

} // namespace zelm::test

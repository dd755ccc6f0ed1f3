// Helpers for tests that build formula texts: byte strings with code characters read better
// built from pieces, and every test starts from the program-start state.
#pragma once

#include <initializer_list>

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

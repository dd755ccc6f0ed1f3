// The tests' one notation for a formula line: its text with '#' for the structure code (byte
// 3), '@' for a name (byte 1) and '$' for a Symbol character (byte 4), beside its code string
// as the parameters in order: T(" x#2#"), Codes({7, 8}) is x squared. B and P build what the
// notation cannot write (italic markers, raw bytes). Every test starts from the program-start
// state.
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

/// A text in the notation: '#' stands for byte 3, '@' for byte 1, '$' for byte 4.
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

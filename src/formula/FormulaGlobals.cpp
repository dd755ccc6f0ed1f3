#include "formula/FormulaText.h"

namespace zelm {

FormulaGlobals& Globals() {
    static FormulaGlobals globals;
    return globals;
}

std::string NameForCode(char c, unsigned char parameter) {
    if (c == Code::Name) {
        // Only the low 7 bits select the name; indexes past the table name nothing.
        const std::size_t i = parameter & 0x7F;
        return i < NameTable.size() ? std::string(NameTable[i]) : std::string();
    }
    // A reference names entry `parameter` (1-based) of the program-wide list; a parameter
    // outside the list names nothing.
    const auto& refs = Globals().references;
    if (parameter >= 1 && parameter <= refs.size() && refs[parameter - 1u])
        return refs[parameter - 1u]->name;
    return {};
}

} // namespace zelm

#include "formula/EditorGlobals.h"

namespace zelm {

EditorGlobals& EditorState() {
    static EditorGlobals state;
    return state;
}

} // namespace zelm

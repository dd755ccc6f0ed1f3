// The text operations of the formula format. Text positions are 1-based; code-string
// indexes are 0-based.
#include "formula/FormulaText.h"

#include <algorithm>

#include "formula/Charset.h"

namespace zelm {

namespace {

/// The characters that make up an italic run: letters and the symbol character.
bool IsItalicRunChar(char c) {
    return c == Code::Symbol || IsAsciiLetter(c);
}

/// Inserts `parameter` at `index`, or at the end when a broken code string is shorter.
void InsertParameter(Bytes& codes, int index, char parameter) {
    const auto at = std::min(std::size_t(std::max(index, 0)), codes.size());
    codes.insert(at, 1, parameter);
}

} // namespace

int CountCodeChars(const Bytes& text) {
    return int(std::count_if(text.begin(), text.end(), HasParameter));
}

int CodeIndexAt(const Bytes& text, int p) {
    // Only the characters in front of p count; a position past the end counts them all.
    const auto front = std::clamp(p - 1, 0, int(text.size()));
    return int(std::count_if(text.begin(), text.begin() + front, HasParameter));
}

void InsertStructureCode(Bytes& text, Bytes& codes, int p, StructKind k) {
    InsertCodeChar(text, codes, p, Code::Structure, KindByte(k));
}

bool AppendMissingClosers(Bytes& text, Bytes& codes, std::array<int, FamilyCount>& counters) {
    bool appended = false;
    for (int f = 0; f < FamilyCount; ++f)
        for (; counters[std::size_t(f)] > 0; --counters[std::size_t(f)]) {
            text += Code::Structure;
            codes += KindByte(CloserOf(Family(f)));
            appended = true;
        }
    return appended;
}

void InsertCodeChar(Bytes& text, Bytes& codes, int p, char c, char parameter) {
    const auto at = std::clamp(p - 1, 0, int(text.size()));
    text.insert(std::size_t(at), 1, c);
    InsertParameter(codes, CodeIndexAt(text, at + 1), parameter);
}

void DeleteCodeChar(Bytes& text, Bytes& codes, int p) {
    if (p < 1 || p > int(text.size())) return;
    if (HasParameter(text[std::size_t(p - 1)])) {
        const auto index = std::size_t(CodeIndexAt(text, p));
        if (index < codes.size()) codes.erase(index, 1);
    }
    text.erase(std::size_t(p - 1), 1);
}

void InsertWithParameters(Bytes& text, Bytes& codes, int p, const Bytes& chars,
                          const Bytes& parameters) {
    p = std::clamp(p, 1, int(text.size()) + 1);
    text.insert(std::size_t(p - 1), chars);
    const auto at = std::min(std::size_t(CodeIndexAt(text, p)), codes.size());
    codes.insert(at, parameters);
}

void DeleteRange(Bytes& text, Bytes& codes, int from, int to) {
    from = std::clamp(from, 0, int(text.size()));
    to = std::clamp(to, from, int(text.size()));
    const auto firstParameter = std::size_t(CodeIndexAt(text, from + 1));
    const auto parameters = std::size_t(CodeIndexAt(text, to + 1)) - firstParameter;
    if (firstParameter < codes.size()) codes.erase(firstParameter, parameters);
    text.erase(std::size_t(from), std::size_t(to - from));
}

void ReplaceName(Bytes& text, Bytes& codes, int p, int len, char c, char parameter) {
    text.erase(std::size_t(p - 1), std::size_t(len));
    InsertCodeChar(text, codes, p, c, parameter);
}

namespace {

/// "log" writes its base in front of the name; the separator right after the name ends
/// that (still empty) base region.
void AddLogSeparator(Bytes& text, Bytes& codes, int p, int& caretPos) {
    InsertStructureCode(text, codes, p + 1, StructKind::Separator);
    ++caretPos;
}

/// "normv" comes with its three argument slots.
void AddNormvArguments(Bytes& text, int p) {
    text.insert(std::size_t(p), "(Ex);(Sd);(x)");
}

/// "cumnv" comes with four argument slots, the first two showing mu and sigma.
void AddCumnvArguments(Bytes& text, Bytes& codes, int p) {
    const Bytes slots = Bytes("(") + Code::Symbol + ");(" + Code::Symbol + ");(Xl);(x)";
    text.insert(std::size_t(p), slots);
    const auto nameParameter = std::size_t(CodeIndexAt(text, p));
    codes.insert(std::min(nameParameter + 1, codes.size()), "ms");
}

} // namespace

bool RecognizeNamesOnce(Bytes& text, Bytes& codes, int& caretPos) {
    bool replaced = false;
    for (int i = FirstRecognisedName; i <= LastRecognisedName; ++i) {
        const std::string_view name = NameTable[std::size_t(i)];
        const auto found = text.find(name);
        if (found == Bytes::npos) continue;
        // A quote in front keeps the name as plain text; later occurrences wait for a
        // later pass, so a quoted first one shields them too.
        if (found > 0 && text[found - 1] == '"') continue;
        const int p = int(found) + 1;
        const int len = int(name.size());
        ReplaceName(text, codes, p, len, Code::Name, char(i));
        if (i == NameLog) AddLogSeparator(text, codes, p, caretPos);
        if (i == NameNormv) AddNormvArguments(text, p);
        if (i == NameCumnv) AddCumnvArguments(text, codes, p);
        if (p < caretPos) caretPos -= len - 1;
        replaced = true;
    }
    return replaced;
}

void MakeReferences(Bytes& text, Bytes& codes, const std::vector<const FormulaSource*>& sources,
                    const FormulaSource* self) {
    auto& refs = Globals().references;
    for (const FormulaSource* source : sources) {
        if (!source || source == self || source->name.empty()) continue;
        const auto found = text.find(source->name);
        if (found == Bytes::npos) continue;
        auto entry = std::find(refs.begin(), refs.end(), source);
        if (entry == refs.end()) entry = refs.insert(refs.end(), source);
        const int place = int(entry - refs.begin()) + 1;
        ReplaceName(text, codes, int(found) + 1, int(source->name.size()), Code::Reference,
                    char(place));
    }
}

Bytes MarkItalics(const Bytes& text) {
    Bytes out;
    out.reserve(text.size() + 8);
    bool inRun = false;
    for (char c : text) {
        const bool runChar = IsItalicRunChar(c);
        if (runChar && !inRun) out += Code::ItalicOn;
        if (!runChar && inRun) out += Code::ItalicOff;
        inRun = runChar;
        out += c;
    }
    if (inRun) out += Code::ItalicOff;
    return out;
}

Bytes StripItalicMarkers(const Bytes& text) {
    Bytes out;
    out.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return !IsItalicMarker(c); });
    return out;
}

} // namespace zelm

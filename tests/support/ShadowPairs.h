// A shadow of a formula text for the randomized tests: each character with the parameter it
// owns (-1 for characters without one). Deleting or inserting characters leaves every other
// character with its own parameter. Counting parameters cannot see a step that deletes a
// neighbour's parameter instead of its own; this shadow can.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "formula/DeclMath.h"

namespace zelm::test {

/// (character, parameter) for each character of a text.
using Pairs = std::vector<std::pair<char, int>>;

/// The text's characters paired with their parameters, taken from the code string in order.
/// Requires one parameter per code character.
inline Pairs PairsOf(const Bytes& text, const Bytes& codes) {
    Pairs pairs;
    std::size_t next = 0;
    for (char c : text) {
        int parameter = -1;
        if (HasParameter(c) && next < codes.size())
            parameter = static_cast<unsigned char>(codes[next++]);
        pairs.emplace_back(c, parameter);
    }
    return pairs;
}

/// Appends a line's pairs and a separator that no text holds: a column of lines is one shadow.
inline void AppendLine(Pairs& all, const Bytes& text, const Bytes& codes) {
    const Pairs line = PairsOf(text, codes);
    all.insert(all.end(), line.begin(), line.end());
    all.emplace_back('\n', -2);
}

namespace detail {
/// True when `part` is `whole` with elements left out, comparing characters only or pairs.
inline bool IsSubsequence(const Pairs& part, const Pairs& whole, bool wholePairs) {
    std::size_t next = 0;
    for (const auto& p : whole) {
        if (next == part.size()) break;
        if (wholePairs ? p == part[next] : p.first == part[next].first) ++next;
    }
    return next == part.size();
}
} // namespace detail

/// Judges a step whose text change only deletes characters or only inserts them: by the
/// definition of deleting and inserting, every character that stays keeps its own parameter,
/// so the shorter shadow lies in the longer one pair for pair. Other steps are not judged:
/// true. Keys that restructure (templates, typed structure characters) and layout repairs may
/// move code characters, so the caller judges only plain deleting and inserting steps.
inline bool KeptPairsAgree(const Pairs& before, const Pairs& after) {
    const Pairs& longer = before.size() >= after.size() ? before : after;
    const Pairs& shorter = before.size() >= after.size() ? after : before;
    if (longer.size() == shorter.size() || !detail::IsSubsequence(shorter, longer, false))
        return true;
    return detail::IsSubsequence(shorter, longer, true);
}

/// The shadow written out for a failure report: "c" or "c:parameter" per character.
inline std::string Describe(const Pairs& pairs) {
    std::string out;
    for (const auto& [c, parameter] : pairs) {
        if (c == '\n') {
            out += " | ";
            continue;
        }
        out += (c >= 32 && c < 127) ? std::string(1, c) : "\\" + std::to_string(int(c) & 0xFF);
        if (parameter >= 0) out += ":" + std::to_string(parameter);
        out += ' ';
    }
    return out;
}

} // namespace zelm::test

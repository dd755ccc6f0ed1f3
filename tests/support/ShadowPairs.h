// A shadow of a formula text for the randomized tests: each character with the parameter it
// owns (-1 for characters without one). An edit changes the text in one stretch, or in a few;
// every character outside them must keep its own parameter. Counting parameters cannot see a
// step that deletes a neighbour's parameter instead of its own; this shadow can.
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
inline bool SameChar(const Pairs& a, std::size_t i, const Pairs& b, std::size_t j) {
    return a[i].first == b[j].first;
}

/// The characters the two shadows share in front (`prefixFirst`: measured first) and behind;
/// true when each of them kept its parameter.
inline bool KeptAround(const Pairs& before, const Pairs& after, bool prefixFirst) {
    const std::size_t shortest = std::min(before.size(), after.size());
    std::size_t front = 0, back = 0;
    const auto measureFront = [&] {
        while (front + back < shortest && SameChar(before, front, after, front))
            ++front;
    };
    const auto measureBack = [&] {
        while (front + back < shortest &&
               SameChar(before, before.size() - 1 - back, after, after.size() - 1 - back))
            ++back;
    };
    if (prefixFirst) {
        measureFront();
        measureBack();
    } else {
        measureBack();
        measureFront();
    }
    for (std::size_t i = 0; i < front; ++i)
        if (before[i] != after[i]) return false;
    for (std::size_t k = 1; k <= back; ++k)
        if (before[before.size() - k] != after[after.size() - k]) return false;
    return true;
}
} // namespace detail

/// True when every character in front of and behind the changed stretch kept its parameter.
/// Where the stretch could lie in two places (a character deleted from a run of equal ones)
/// either is accepted.
inline bool KeptPairsAgree(const Pairs& before, const Pairs& after) {
    return detail::KeptAround(before, after, true) || detail::KeptAround(before, after, false);
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

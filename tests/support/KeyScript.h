// Key scripts, the one way the tests and the help pictures write keystrokes: a plain character
// is typed as itself; braces name any other key, with the modifiers held before a dash, S
// (Shift), C (Ctrl), A (Alt), K (keypad): "{S-Up}", "{C-D}", "{CS-A}", "{SA-N}", "{K-7}",
// "{BS}", "{Del}", "{Enter}", "{Scroll}" (arms raw symbol entry). One reader, two back ends:
// the line model's key down and character (here) and Qt key events for widgets (KeyScriptQt.h).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "formula/EditorGlobals.h"
#include "formula/LineKeys.h"

namespace zelm::test {

/// One key of a script: a typed character, or a named key with the modifiers held.
struct ScriptKey {
    char typed = 0;   ///< the plain character; 0 for a named key
    std::string name; ///< "Up", "BS", "D", "7"
    bool shift = false, ctrl = false, alt = false, keypad = false;
};

/// The keys of `script` in order.
inline std::vector<ScriptKey> ReadKeyScript(std::string_view script) {
    std::vector<ScriptKey> keys;
    for (std::size_t i = 0; i < script.size(); ++i) {
        ScriptKey k;
        if (script[i] != '{') {
            k.typed = script[i];
            keys.push_back(k);
            continue;
        }
        const std::size_t close = script.find('}', i);
        std::string_view token = script.substr(i + 1, close - i - 1);
        i = close;
        const std::size_t dash = token.find('-');
        if (dash != std::string_view::npos && dash > 0 && dash + 1 < token.size()) {
            for (char m : token.substr(0, dash)) {
                k.shift |= m == 'S';
                k.ctrl |= m == 'C';
                k.alt |= m == 'A';
                k.keypad |= m == 'K';
            }
            token = token.substr(dash + 1);
        }
        k.name = token;
        keys.push_back(k);
    }
    return keys;
}

/// The virtual key of a plain character on a US layout, and whether it needs Shift.
inline int VirtualKeyOfTyped(unsigned char c, bool& shift) {
    shift = (c >= 'A' && c <= 'Z') || c == '(' || c == ')' || c == '|' || c == '"' || c == '+';
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
    static const std::map<unsigned char, int> others = {{'(', '9'}, {')', '0'}, {'.', 190},
                                                        {'/', 191}, {'|', 220}, {'-', VK::Minus},
                                                        {'+', 187}, {'=', 187}, {'"', 222}};
    const auto found = others.find(c);
    return found != others.end() ? found->second : 0;
}

/// Delivers `script` to a line as its widget does: each key down, then the character the key
/// types. Ctrl with a letter types its control character, as on the original platform; Alt and
/// Ctrl+digit keys type nothing.
inline void ReplayKeys(MathLine& line, std::string_view script) {
    static const std::map<std::string, int> named = {
        {"BS", VK::Back},    {"Enter", VK::Return}, {"Home", VK::Home},  {"End", VK::End},
        {"Left", VK::Left},  {"Right", VK::Right},  {"Up", VK::Up},      {"Down", VK::Down},
        {"Ins", VK::Insert}, {"Del", VK::Delete},   {"Minus", VK::Minus}};
    for (const ScriptKey& k : ReadKeyScript(script)) {
        if (k.name == "Scroll") {
            EditorState().rawSymbolArmed = !EditorState().rawSymbolArmed;
            continue;
        }
        ShiftState shift{k.shift, k.ctrl, k.alt};
        int vk = 0, ch = -1;
        if (k.typed != 0) {
            ch = static_cast<unsigned char>(k.typed);
            vk = VirtualKeyOfTyped(static_cast<unsigned char>(ch), shift.shift);
        } else {
            const auto found = named.find(k.name);
            vk = found != named.end() ? found->second : k.name[0];
            if (vk == VK::Back || vk == VK::Return) ch = vk;
            const bool ctrlOnly = k.ctrl && !k.alt;
            if (ctrlOnly && IsLetterKey(vk)) ch = vk & 0x1F;
            if (ctrlOnly && vk == VK::Minus) ch = 0x1F;
        }
        if (vk != 0) KeyDown(line, vk, shift);
        if (ch >= 0) {
            auto c = static_cast<unsigned char>(ch);
            KeyPress(line, c);
        }
    }
}

} // namespace zelm::test

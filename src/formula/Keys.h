// Key codes and shift states as the line editor's key handlers see them: the virtual-key
// codes of the program's original platform, whatever toolkit delivers the keys.
#pragma once

namespace zelm {

/// Virtual-key codes the handlers use.
namespace VK {
constexpr int Back = 8, Tab = 9, Return = 13, Escape = 27, Space = 32, Prior = 33, Next = 34,
              End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45,
              Delete = 46, F1 = 112, F4 = 115, Scroll = 145, Minus = 189,
              Packet = 231; ///< a typed character whose key has no code of its own
} // namespace VK

/// Shift, Ctrl and Alt held with a key (mouse buttons and double clicks are not needed).
struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool operator==(const ShiftState&) const = default;
    bool None() const { return !shift && !ctrl && !alt; }
    bool OnlyShift() const { return shift && !ctrl && !alt; }
    bool OnlyCtrl() const { return ctrl && !shift && !alt; }
    bool OnlyAlt() const { return alt && !shift && !ctrl; }
    bool ShiftCtrl() const { return shift && ctrl && !alt; }
    bool ShiftAlt() const { return shift && alt && !ctrl; }
};

constexpr bool IsLetterKey(int k) {
    return k >= 65 && k <= 90;
}
constexpr bool IsDigitKey(int k) {
    return k >= 48 && k <= 57;
}

} // namespace zelm

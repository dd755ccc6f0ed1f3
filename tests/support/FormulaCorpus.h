// Formula lines as users make them: random keys through the line's own key handlers and the
// real Text setter, on the fixed-metrics canvas. Each line starts blank, as a new line does.
#pragma once

#include <random>
#include <vector>

#include "exchange/MathTree.h"
#include "formula/Errors.h"
#include "formula/LineKeys.h"
#include "support/FixedCanvas.h"
#include "support/TestBytes.h"

namespace zelm::test {

struct CorpusLine {
    LineBytes line;
    bool plainText = false;
};

/// `count` lines of random typing: characters, the structure keys with their modifiers,
/// Ctrl templates, raw symbols, moves and deletions.
inline std::vector<CorpusLine> RandomTypedLines(int count, unsigned seed) {
    static constexpr char chars[] = "sincolgtaexpdrfk0123456789 ./|()+-=*<>,:;'\"^_#$%&{}~\\\xe9";
    static constexpr int moves[] = {VK::Left, VK::Right,  VK::Home,  VK::End,
                                    VK::Back, VK::Delete, VK::Return};
    static constexpr int ctrlKeys[] = {'0', 'D', 'E', 'I', 'K', 'P', 'S', '9'};
    std::mt19937 rng(seed);
    const auto below = [&](int n) { return int(rng() % unsigned(n)); };
    std::vector<CorpusLine> out;
    out.reserve(std::size_t(count));
    FixedCanvas canvas;
    for (int n = 0; n < count; ++n) {
        FreshGlobals::Reset();
        Globals().retryBudget = 4;
        MathLine line(canvas, 300);
        line.Selstart = line.Seleinde = line.CaretPos = 1;
        line.EnterFocus();
        line.SetPlainText(below(20) == 0);
        for (int keys = 4 + below(40); keys > 0; --keys) {
            try {
                const int what = below(100);
                if (what < 55) {
                    unsigned char c = static_cast<unsigned char>(chars[below(sizeof chars - 1)]);
                    if (below(15) == 0) EditorState().rawSymbolArmed = true;
                    KeyPress(line, c);
                } else if (what < 75) {
                    int key = below(2) ? VK::Up : VK::Down;
                    ShiftState s;
                    s.shift = below(2);
                    s.ctrl = !s.shift || below(4) == 0;
                    s.alt = below(3) == 0;
                    KeyDown(line, key, s);
                } else if (what < 85) {
                    int key = ctrlKeys[below(int(std::size(ctrlKeys)))];
                    ShiftState s;
                    s.ctrl = true;
                    s.shift = below(6) == 0;
                    KeyDown(line, key, s);
                } else {
                    int key = moves[below(int(std::size(moves)))];
                    ShiftState s;
                    s.shift = below(4) == 0;
                    KeyDown(line, key, s);
                }
            } catch (const ZelmError&) {
            }
        }
        out.push_back({{line.Text(), line.Codes()}, line.PlainText()});
    }
    FreshGlobals::Reset();
    return out;
}

} // namespace zelm::test

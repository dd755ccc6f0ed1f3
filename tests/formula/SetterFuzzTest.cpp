// Random texts and code strings through the Text setter on the fixed canvas. The count comes
// from ZELM_TEST_VOLUME (percent of 100000) so that slow sanitizer builds can run fewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "formula/Errors.h"
#include "formula/MathLine.h"
#include "support/FixedCanvas.h"
#include "support/TestVolume.h"

namespace zelm {
namespace {

int SetterInputCount() {
    return test::Volume(100000);
}

std::string Hex(const Bytes& s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        out += buf;
    }
    return out;
}

struct Input {
    Bytes text, codes;
    bool plain = false;
};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    Input Next() {
        Input in;
        in.plain = Chance(10);
        const int length = Between(0, 300);
        in.text = Chance(90) ? " " : "";
        while (int(in.text.size()) < length)
            AddPiece(in);
        in.text.resize(std::min(in.text.size(), std::size_t(300)));
        TrimCodesTo(in);
        if (Chance(15)) BreakCodes(in);
        return in;
    }

private:
    int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Between(0, 99) < percent; }
    char AnyByte() { return char(Between(0, 255)); }

    /// One piece of text: plain characters, a name worth recognising, a code character
    /// with its parameter, or a random byte.
    void AddPiece(Input& in) {
        static const char* const words[] = {"sin", "log", "cumnv", "normv", "\"cos", "intgr[0,x]",
                                            "ab",  "x",   "12",    " ",     "+",     "arcsin"};
        const int what = Between(0, 99);
        if (what < 30) {
            in.text += char(Between(' ', '~'));
        } else if (what < 40) {
            in.text += words[Between(0, int(std::size(words)) - 1)];
        } else if (what < 75) {
            in.text += Code::Structure;
            in.codes += char(Between(0, 40));
        } else if (what < 85) {
            const char c = char(Between(1, 6));
            in.text += c;
            if (HasParameter(c)) in.codes += c == Code::Name ? char(Between(0, 127)) : AnyByte();
        } else {
            const char c = AnyByte();
            in.text += c;
            if (HasParameter(c)) in.codes += AnyByte();
        }
    }

    /// The text may have been cut; keep one parameter per code character that is left.
    static void TrimCodesTo(Input& in) { in.codes.resize(std::size_t(CountCodeChars(in.text))); }

    void BreakCodes(Input& in) {
        if (Chance(50) || in.codes.empty())
            in.codes += AnyByte();
        else
            in.codes.pop_back();
    }

    std::mt19937 rng_;
};

/// Switching the mode lays the previous text out again; a failure there belongs to that
/// earlier input, which was counted already.
void SwitchMode(MathLine& line, bool plain) {
    try {
        line.SetPlainText(plain);
    } catch (const ZelmError&) {
    }
    Globals().retryBudget = 4;
}

TEST(SetterFuzz, EveryRunEndsConsistentOrWithFoutje) {
    Globals().Reset();
    EditorState().Reset();
    test::FixedCanvas canvas;
    MathLine line(canvas, 300);
    line.TakeFocusSnapshot();
    Generator gen(20240611u);
    std::optional<Input> shortestFoutje;
    int foutjes = 0;
    const int count = SetterInputCount();
    for (int run = 0; run < count; ++run) {
        const Input in = gen.Next();
        // Each input gets a full budget, so that a Foutje is its own and not a neighbour's.
        Globals().retryBudget = 4;
        if (line.PlainText() != in.plain) SwitchMode(line, in.plain);
        try {
            line.Selstart = line.Seleinde = line.CaretPos = 1 + run % 7;
            line.SetCodes(in.codes);
            line.SetText(in.text);
        } catch (const ZelmError& e) {
            ASSERT_STREQ(e.what(), "Foutje") << Hex(in.text);
            ++foutjes;
            // The line holds the text with every repair made, which the setter keeps as it
            // is even on the empty budget the error leaves.
            const Bytes kept = line.Text(), keptCodes = line.Codes();
            ASSERT_NO_THROW(line.SetText(kept)) << Hex(in.text);
            ASSERT_EQ(line.Text(), kept) << Hex(in.text);
            ASSERT_EQ(line.Codes(), keptCodes) << Hex(in.text);
            if (!shortestFoutje || in.text.size() < shortestFoutje->text.size())
                shortestFoutje = in;
            continue;
        }
        ASSERT_EQ(int(line.Codes().size()), CountCodeChars(line.Text()))
            << "text " << Hex(in.text) << " codes " << Hex(in.codes);
        ASSERT_FALSE(line.Text().empty());
        // The views describe one and the same text.
        const Bytes cursief = in.plain ? line.Text() : MarkItalics(line.Text());
        ASSERT_EQ(line.Cursieftext(), cursief) << Hex(in.text);
        ASSERT_EQ(line.TextPlusCode(), cursief + '\0' + line.Codes());
    }
    std::printf("%d runs, %d raised Foutje\n", count, foutjes);
    if (shortestFoutje)
        std::printf("shortest Foutje input: text %s codes %s%s\n",
                    Hex(shortestFoutje->text).c_str(), Hex(shortestFoutje->codes).c_str(),
                    shortestFoutje->plain ? " (plain text)" : "");
    Globals().Reset();
}

} // namespace
} // namespace zelm

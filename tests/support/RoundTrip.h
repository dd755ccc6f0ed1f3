// Lines through the writers and the readers and back, for the round-trip tests.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "exchange/MathReaders.h"
#include "exchange/MathWriters.h"
#include "exchange/WriterText.h"
#include "support/FormulaCorpus.h"

namespace zelm::test {

using Writer = std::string (*)(const MathTree&);
using Reader = std::optional<ReadResult> (*)(std::string_view);

/// MathML with neighbouring numbers joined (digits of the font are numbers of their own).
inline std::string Joined(std::string written) {
    for (auto at = written.find("</mn><mn>"); at != std::string::npos;
         at = written.find("</mn><mn>"))
        written.erase(at, 9);
    return written;
}

/// The tree as the written forms hold it: what they leave out (lone switches, names past the
/// table, control characters) gone, the font's characters that LaTeX writes as ASCII
/// characters (its digits, its omicron) as those characters.
inline void Canonical(MathNode& node) {
    std::vector<MathNode> kept;
    for (MathNode& c : node.children) {
        if (c.kind == NodeKind::Symbol) {
            const std::string latex = ToLatex(MathTree{MathNode{NodeKind::Row, 0, 0, 0, {c}}});
            if (latex.size() == 1) {
                c.kind = NodeKind::Char;
                c.value = static_cast<unsigned char>(latex[0]);
            }
        }
        const bool nothing = c.kind == NodeKind::Switch ||
                             (c.kind == NodeKind::Name && NameOfNode(c).empty()) ||
                             (c.kind == NodeKind::Char && writer::TextChar(c.value) == 0) ||
                             (c.kind == NodeKind::Symbol && writer::SymbolChar(c.value) == 0);
        if (nothing) continue;
        Canonical(c);
        kept.push_back(std::move(c));
    }
    node.children = std::move(kept);
}

/// Whether no writer tells the two lines apart.
inline bool WrittenAlike(const LineBytes& a, const LineBytes& b, bool plainText) {
    const MathTree x = BuildTree(a.text, a.codes, plainText),
                   y = BuildTree(b.text, b.codes, plainText);
    return Joined(ToMathML(x)) == Joined(ToMathML(y)) && ToLatex(x) == ToLatex(y);
}

/// A line through each writer and its reader: it comes back `exactly`, or else as the written
/// forms hold it, unless no writer can tell the two apart (a "d" away from a fraction's bar,
/// pi as a sign or as a character).
inline void ExpectRoundTrip(const CorpusLine& c, bool exactly = false) {
    MathTree tree = BuildTree(c.line.text, c.line.codes, c.plainText);
    if (!exactly) Canonical(tree.root);
    // The line's blank is no content: the writers leave it out.
    MathNode content = tree.root;
    content.children.erase(content.children.begin(),
                           content.children.begin() +
                               std::ptrdiff_t(writer::FirstContent(content)));
    const LineBytes expected = LineFromTree(content);
    for (const auto& [write, read] : {std::pair<Writer, Reader>{ToLatex, ReadLatex},
                                      std::pair<Writer, Reader>{ToMathML, ReadMathML}}) {
        const std::string written = write(tree);
        const auto back = read(written);
        ASSERT_TRUE(back) << written;
        EXPECT_FALSE(back->lossy) << written;
        const LineBytes line = LineFromTree(back->row);
        if (line == expected) continue;
        ASSERT_FALSE(exactly) << written << "\n"
                              << testing::PrintToString(line.text) << " "
                              << testing::PrintToString(line.codes);
        // LaTeX still writes the typed tilde and the font's alike (\\sim). The read lines have
        // no blank: it goes back in front, where the writers leave it out.
        if (write == ToLatex) {
            ASSERT_EQ(ToLatex(BuildTree(" " + line.text, line.codes, c.plainText)), written);
            continue;
        }
        ASSERT_TRUE(WrittenAlike({" " + line.text, line.codes},
                                 {" " + expected.text, expected.codes}, c.plainText))
            << written << "\n"
            << testing::PrintToString(c.line.text) << " " << testing::PrintToString(c.line.codes)
            << "\n"
            << testing::PrintToString(line.text) << " " << testing::PrintToString(line.codes);
    }
}

} // namespace zelm::test

// The formulas of the help pages as the key scripts that type them (tests/support/KeyScript.h).
// The help pictures draw them; the tests check what the writers make of them.
#pragma once

#include <vector>

namespace zelm::help {

// The introduction's formula: a power, a fraction, a sum with limits and a bracket.
inline constexpr const char* IntroFormula =
    "f(x)=x{S-Up}2{Right}+{A-Up}{C-Up}x+1{Right}{Down}2{Right}+{C-S}{Left}{Left}"
    "k=1{Right}n{Right}{C-0}{A-Up}x{Down}k";

struct KeyedFormula {
    const char* caption;
    const char* keys;
};
/// The table of structure keys on the page "Gebruik", column by column.
inline constexpr KeyedFormula KeyTable[3][4] = {
    {{"Shift+\u2191 macht", "x{S-Up}2{Right}+y{S-Up}n"},
     {"Shift+\u2193 index", "a{S-Down}n{Right}+a{S-Down}n+1"},
     {"Alt+\u2191 breuk", "{A-Up}a+b{Down}c"},
     {"/ schuine breuk", "1/2+3/4"}},
    {{"Ctrl+\u2191 wortel", "r={C-Up}x+1{Right}+{C-Up}{Left}3{Right}8"},
     {"Ctrl+0 haakjes", "2{C-0}{A-Up}a{Down}b{End}"},
     {"Ctrl+D afgeleide", "{C-D}f"},
     {"Ctrl+P pi, Ctrl+E e", "2{C-P}r+{C-E}{S-Up}x"}},
    {{"Ctrl+I integraal", "{C-I}t{S-Up}2{End}"},
     {"Ctrl+S som", "{C-S}{Left}{Left}k=0{Right}n{Right}k{S-Up}2"},
     {"Ctrl+Shift+2 macht", "e{CS-X}+x{CS-2}"},
     {"Shift+Alt+n index", "x{SA-N}+y{SA-0}"}}};

// The recovery page's two states of one line.
inline constexpr const char* StateOne = "a{S-Up}2{Right}+b{S-Up}2{Right}=c{S-Up}2";
inline constexpr const char* StateTwo = "a{S-Up}2{Right}+b{S-Up}2{Right}=c{S-Up}2{Right}, c=5";
// The input page: one text in both modes, and Greek letters.
inline constexpr const char* BothModes = "y=sin(x)+a.b";
inline constexpr const char* GreekLetters = "{Scroll}a+{Scroll}b={Scroll}g{S-Up}2";
// The page on passing a formula on: the quadratic formula.
inline constexpr const char* QuadraticFormula = "x={A-Up}-b+{C-Up}b{S-Up}2{Right}-4ac{Down}2a";

// The pages added later: a formula passed on, one line before and after an undo, and one
// spoken by the screen reader.
inline constexpr const char* PastedFormula = "{A-Up}a+b{Down}c";
inline constexpr const char* BeforeUndo = "x{S-Up}2{Right}+1";
inline constexpr const char* AfterUndo = "x{S-Up}2{Right}+";
inline constexpr const char* SpokenFormula = "x{S-Up}2{Right}+{A-Up}1{Down}2";

struct HelpFormula {
    const char* keys;
    bool plainText = false;
};
/// Every formula the help pages show.
inline std::vector<HelpFormula> AllHelpFormulas() {
    std::vector<HelpFormula> all = {{IntroFormula},     {StateOne},      {StateTwo},
                                    {BothModes, true},  {BothModes},     {GreekLetters},
                                    {QuadraticFormula}, {PastedFormula}, {BeforeUndo},
                                    {AfterUndo},        {SpokenFormula}};
    for (const auto& column : KeyTable)
        for (const KeyedFormula& f : column)
            all.push_back({f.keys});
    return all;
}

} // namespace zelm::help

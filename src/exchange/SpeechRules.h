// The reading tables of the Dutch spoken form: what each character, "Symbol" character, name,
// sign and structure says. Included by Speech.cpp only.
#pragma once

#include <array>
#include <string_view>
#include <tuple>

#include "exchange/MathTree.h"
#include "formula/DeclMath.h"

namespace zelm::speech {

struct ByteWords {
    unsigned char byte;
    std::string_view words;
};

/// Windows-1252 characters other than letters and digits.
constexpr ByteWords CharReadings[] = {
    {'+', "plus"},
    {'-', "min"},
    {'*', "keer"},
    {'/', "gedeeld door"},
    {':', "gedeeld door"},
    {'=', "is gelijk aan"},
    {'<', "is kleiner dan"},
    {'>', "is groter dan"},
    {'~', "is ongeveer gelijk aan"},
    {'(', "haakje openen"},
    {')', "haakje sluiten"},
    {'[', "blokhaak openen"},
    {']', "blokhaak sluiten"},
    {'{', "accolade openen"},
    {'}', "accolade sluiten"},
    {',', ","}, // a pause, as a comma is read aloud
    {';', "puntkomma"},
    {'.', "punt"},
    {'!', "faculteit"},
    {'%', "procent"},
    {'^', "tot de macht"},
    {'|', "streep"},
    {'?', "vraagteken"},
    {'\'', "accent"},
    {'"', "aanhalingsteken"},
    {'&', "en"},
    {'#', "hekje"},
    {'@', "apenstaartje"},
    {'_', "laag streepje"},
    {'\\', "backslash"},
    {'$', "dollar"},
    {'`', "accent grave"},
    {0x80, "euro"},
    {0x85, "puntje puntje puntje"},
    {0x89, "promille"},
    {0x91, "aanhalingsteken"},
    {0x92, "aanhalingsteken"},
    {0x93, "aanhalingsteken"},
    {0x94, "aanhalingsteken"},
    {0x95, "bolletje"},
    {0x96, "min"},
    {0x97, "min"},
    {0xA3, "pond"},
    {0xA7, "paragraaf"},
    {0xAC, "niet"},
    {0xB0, "graden"},
    {0xB1, "plus of min"},
    {0xB2, "kwadraat"},
    {0xB3, "tot de derde"},
    {0xB5, "mu"},
    {0xB7, "keer"},
    {0xBC, "een kwart"},
    {0xBD, "een half"},
    {0xBE, "drie kwart"},
    {0xD7, "keer"},
    {0xF7, "gedeeld door"},
};

/// Characters of the "Symbol" font; its digits and the rest of its ASCII punctuation read as
/// the Windows-1252 characters they look like.
constexpr ByteWords SymbolReadings[] = {
    {'a', "alfa"},
    {'b', "bèta"},
    {'c', "chi"},
    {'d', "delta"},
    {'e', "epsilon"},
    {'f', "phi"},
    {'g', "gamma"},
    {'h', "èta"},
    {'i', "jota"},
    {'j', "phi"},
    {'k', "kappa"},
    {'l', "lambda"},
    {'m', "mu"},
    {'n', "nu"},
    {'o', "omikron"},
    {'p', "pi"},
    {'q', "thèta"},
    {'r', "rho"},
    {'s', "sigma"},
    {'t', "tau"},
    {'u', "upsilon"},
    {'v', "pi"},
    {'w', "omega"},
    {'x', "xi"},
    {'y', "psi"},
    {'z', "zèta"},
    {'A', "grote alfa"},
    {'B', "grote bèta"},
    {'C', "grote chi"},
    {'D', "grote delta"},
    {'E', "grote epsilon"},
    {'F', "grote phi"},
    {'G', "grote gamma"},
    {'H', "grote èta"},
    {'I', "grote jota"},
    {'J', "thèta"},
    {'K', "grote kappa"},
    {'L', "grote lambda"},
    {'M', "grote mu"},
    {'N', "grote nu"},
    {'O', "grote omikron"},
    {'P', "grote pi"},
    {'Q', "grote thèta"},
    {'R', "grote rho"},
    {'S', "grote sigma"},
    {'T', "grote tau"},
    {'U', "grote upsilon"},
    {'V', "sigma"},
    {'W', "grote omega"},
    {'X', "grote xi"},
    {'Y', "grote psi"},
    {'Z', "grote zèta"},
    {0x22, "voor alle"},
    {0x24, "er is een"},
    {0x27, "bevat"},
    {0x2A, "keer"},
    {0x2D, "min"},
    {0x40, "is congruent met"},
    {0x5C, "dus"},
    {0x5E, "staat loodrecht op"},
    {0x7E, "is gelijkvormig met"},
    {0xA1, "grote upsilon"},
    {0xA2, "accent"},
    {0xA3, "is kleiner dan of gelijk aan"},
    {0xA4, "gedeeld door"},
    {0xA5, "oneindig"},
    {0xA6, "f"},
    {0xAB, "pijl naar links en rechts"},
    {0xAC, "pijl naar links"},
    {0xAD, "pijl omhoog"},
    {0xAE, "pijl naar rechts"},
    {0xAF, "pijl omlaag"},
    {0xB0, "graden"},
    {0xB1, "plus of min"},
    {0xB2, "dubbel accent"},
    {0xB3, "is groter dan of gelijk aan"},
    {0xB4, "keer"},
    {0xB5, "is evenredig met"},
    {0xB6, "partiële d"},
    {0xB7, "bolletje"},
    {0xB8, "gedeeld door"},
    {0xB9, "is niet gelijk aan"},
    {0xBA, "is identiek aan"},
    {0xBB, "is ongeveer gelijk aan"},
    {0xBC, "puntje puntje puntje"},
    {0xC0, "alef"},
    {0xC1, "imaginair deel"},
    {0xC2, "reëel deel"},
    {0xC4, "maal in een cirkel"},
    {0xC5, "plus in een cirkel"},
    {0xC6, "lege verzameling"},
    {0xC7, "doorsnede"},
    {0xC8, "vereniging"},
    {0xC9, "omvat"},
    {0xCA, "omvat of is gelijk aan"},
    {0xCB, "is geen deelverzameling van"},
    {0xCC, "is een echte deelverzameling van"},
    {0xCD, "is een deelverzameling van"},
    {0xCE, "is een element van"},
    {0xCF, "is geen element van"},
    {0xD0, "hoek"},
    {0xD1, "nabla"},
    {0xD5, "product"},
    {0xD6, "wortel"},
    {0xD7, "keer"},
    {0xD8, "niet"},
    {0xD9, "en"},
    {0xDA, "of"},
    {0xDB, "is gelijkwaardig met"},
    {0xDC, "volgt uit"},
    {0xDD, "dubbele pijl omhoog"},
    {0xDE, "daaruit volgt"},
    {0xDF, "dubbele pijl omlaag"},
    {0xE1, "punthaak openen"},
    {0xE5, "som"},
    {0xF1, "punthaak sluiten"},
    {0xF2, "integraal"},
};

/// The signs of the structure codes, by kind.
constexpr ByteWords SignReadings[] = {
    {18, "d"}, {19, "d"},    {21, "d"},    {32, "pi"},
    {33, "e"}, {34, "keer"}, {35, "keer"}, {37, "streep"},
};

/// A name of the name table; `van` adds "van" when an argument follows it.
struct NameReading {
    std::string_view words;
    bool van;
};
constexpr std::array<NameReading, std::tuple_size_v<decltype(NameTable)>> NameReadings = {{
    {"is gelijk aan", false},
    {"vraagteken", false},
    {"is ongeveer gelijk aan", false},
    {"is kleiner dan", false},
    {"is groter dan", false},
    {"plus", false},
    {"min", false},
    {"keer", false},
    {"gedeeld door", false},
    {"tot de macht", false},
    {"tegengestelde", true},                  // neg
    {"absolute waarde", true},                // abs
    {"tiental", false},                       // tiental
    {"hexadecimaal", false},                  // hex
    {"e tot de macht", false},                // exp
    {"geheel deel", true},                    // geheel
    {"cosinus", false},                       // cos
    {"arcsinus", false},                      // arcsin
    {"arctangens", false},                    // arctan
    {"sinus", false},                         // sin
    {"tangens", false},                       // tan
    {"natuurlijke logaritme", true},          // ln
    {"faculteit", true},                      // fac
    {"logaritme", true},                      // log
    {"wortel uit", false},                    // wrt
    {"permutaties", true},                    // perm
    {"combinaties", true},                    // comb
    {"los op", false},                        // losop
    {"tweede afgeleide", true},               // 2eafg
    {"afgeleide", true},                      // afg
    {"cumulatieve kans", false},              // cumkans
    {"normale verdeling", false},             // normv
    {"cumulatieve normale verdeling", false}, // cumnv
    {"som", true},                            // som
    {"kans", false},                          // kans
    {"integraal", true},                      // intgr
    {"ex-functie", false},                    // ExFunctie
    {"reeks", false},                         // Reeks
    {"tweede wortel", false},                 // 2eWrt
    {"logaritme", true},                      // Log
    {"integraal van 0 tot x", true},          // intgr[0,x]
    {"antwoord", false},                      // Antw
    {"geen", false},                          // geen
}};

/// Ordinals of the small powers and roots: "tot de derde", "derdemachtswortel".
constexpr std::array<std::string_view, 11> Ordinals = {
    "", "", "", "derde", "vierde", "vijfde", "zesde", "zevende", "achtste", "negende", "tiende",
};

/// Numbers as words, for the numerators of the fractions read as ordinals ("drie vierde").
constexpr std::array<std::string_view, 11> Cardinals = {
    "", "een", "twee", "drie", "vier", "vijf", "zes", "zeven", "acht", "negen", "tien",
};
/// The denominator 2 of a fraction read as a number: "een half", "drie halve".
constexpr std::string_view Half = "half", Halves = "halve";

/// A pair of bars around a stretch of a row.
constexpr std::string_view AbsoluteOpen = "absolute waarde van",
                           AbsoluteClose = "einde absolute waarde";

/// When a structure's reading form applies; the first form of a kind that holds is taken.
enum class When {
    Always,
    FirstEmpty,   ///< region 0 says nothing
    SecondEmpty,  ///< region 1 says nothing
    BothEmpty,    ///< neither region says anything
    FirstIsTwo,   ///< region 0 is the number 2
    FirstOrdinal, ///< region 0 is a number with an ordinal (3 to 10)
    FirstSimple,  ///< region 0 is one letter, number, symbol or sign
    Derivative,   ///< region 0 starts with a numerator "d", region 1 with a denominator "d"
    SmallNumbers, ///< region 0 a whole number 1 to 10, region 1 one 2 to 10: "{number}"
};

struct Form {
    When when;
    /// Words separated by spaces; "," is a pause; "{0}" and "{1}" read a region, glued to
    /// other letters ("{0}-logaritme") only in forms where that region is simple; "{o0}" is
    /// the ordinal of region 0; "{van}" is "van" when an argument follows the structure;
    /// "{number}" a fraction of small whole numbers in words.
    std::string_view words;
};

/// Everything said of one structure kind: how it reads, what closes a compound last region
/// when more follows, and the caret's context in and around it.
struct StructureRules {
    NodeKind kind;
    std::array<Form, 5> forms;
    /// Said behind a last region of more than one symbol; behind a region of one symbol a
    /// pause does it when more follows, so that "wortel uit x, plus y" is not "√(x+y)".
    std::string_view end;
    std::string_view equals;                ///< "=" inside its regions, when not the usual
    std::array<std::string_view, 2> inside; ///< the caret in region 0 or 1
    std::string_view leaveForward, leaveBackward;
};

constexpr StructureRules Structures[] = {
    {NodeKind::Power,
     {{{When::FirstIsTwo, "kwadraat"},
       {When::FirstOrdinal, "tot de {o0}"},
       {When::Always, "tot de macht {0}"}}},
     "einde macht",
     {},
     {"in de exponent"},
     "uit de exponent",
     "voor de exponent"},
    {NodeKind::Index,
     {{{When::Always, "index {0}"}}},
     "einde index",
     {},
     {"in de index"},
     "uit de index",
     "voor de index"},
    {NodeKind::Fraction,
     {{{When::Derivative, "{0} naar {1} ,"},
       {When::SmallNumbers, "{number}"},
       {When::Always, "breuk , {0} , gedeeld door {1} , einde breuk ,"}}},
     {},
     {},
     {"in de teller", "in de noemer"},
     "na de breuk",
     "voor de breuk"},
    {NodeKind::Slanted,
     {{{When::SmallNumbers, "{number}"},
       {When::Always, "breuk , {0} , gedeeld door {1} , einde breuk ,"}}},
     {},
     {},
     {"in de teller", "in de noemer"},
     "na de breuk",
     "voor de breuk"},
    {NodeKind::Root,
     {{{When::FirstEmpty, "wortel uit {1}"},
       {When::FirstIsTwo, "wortel uit {1}"},
       {When::FirstOrdinal, "{o0}machtswortel uit {1}"},
       {When::FirstSimple, "{0}-demachtswortel uit {1}"},
       {When::Always, "wortel met wortelexponent {0} , uit {1}"}}},
     "einde wortel",
     {},
     {"in de wortelexponent", "onder de wortel"},
     "uit de wortel",
     "voor de wortel"},
    {NodeKind::Bracket,
     {{{When::Always, "haakje openen {0} haakje sluiten"}}},
     {},
     {},
     {"tussen de haakjes"},
     "uit de haakjes",
     "voor de haakjes"},
    {NodeKind::Integral,
     {{{When::BothEmpty, "integraal {van}"},
       {When::FirstEmpty, "integraal tot {1} {van}"},
       {When::SecondEmpty, "integraal vanaf {0} {van}"},
       {When::Always, "integraal van {0} tot {1} {van}"}}},
     {},
     "is",
     {"in de ondergrens", "in de bovengrens"},
     "na de grenzen",
     "voor de integraal"},
    {NodeKind::Sum,
     {{{When::BothEmpty, "som {van}"},
       {When::FirstEmpty, "som tot {1} {van}"},
       {When::SecondEmpty, "som vanaf {0} {van}"},
       {When::Always, "som van {0} tot {1} {van}"}}},
     {},
     "is",
     {"in de ondergrens", "in de bovengrens"},
     "na de grenzen",
     "voor de som"},
    {NodeKind::Log,
     {{{When::FirstEmpty, "logaritme {van}"},
       {When::FirstSimple, "{0}-logaritme {van}"},
       {When::Always, "logaritme met grondtal {0} , {van}"}}},
     {},
     {},
     {"in het grondtal"},
     "na het grondtal",
     "voor de logaritme"},
    // Underlining and colour are seen, not said: their text reads as if they were not there.
    {NodeKind::Underline, {{{When::Always, "{0}"}}}, {}, {}, {}, {}, {}},
    {NodeKind::Colour, {{{When::Always, "{0}"}}}, {}, {}, {}, {}, {}},
};

/// What a line says that says nothing else.
constexpr std::string_view EmptyLine = "lege regel";

} // namespace zelm::speech

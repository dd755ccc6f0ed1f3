// The Dutch spoken form of a formula line. Every reading is a row of a table below (characters,
// "Symbol" characters, names, signs, structures); the code only walks the tree and fills in
// the templates.
#include "formula/Speech.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "formula/DeclMath.h"
#include "formula/FormulaText.h"
#include "formula/WriterText.h"

namespace zelm {
namespace {

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
constexpr std::array<NameReading, 43> NameReadings = {{
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
};

struct Form {
    When when;
    /// Words separated by spaces; "," is a pause; "{0}" and "{1}" read a region, glued to
    /// other letters ("{0}-logaritme") only in forms where that region is simple; "{o0}" is
    /// the ordinal of region 0; "{van}" is "van" when an argument follows the structure.
    std::string_view words;
};

/// Everything said of one structure kind: how it reads, what closes a compound last region
/// when more follows, and the caret's context in and around it.
struct StructureRules {
    NodeKind kind;
    std::array<Form, 5> forms;
    std::string_view end;                   ///< said behind a compound last region
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
       {When::Always, "breuk , {0} , gedeeld door {1} , einde breuk ,"}}},
     {},
     {},
     {"in de teller", "in de noemer"},
     "na de breuk",
     "voor de breuk"},
    {NodeKind::Slanted,
     {{{When::Always, "breuk , {0} , gedeeld door {1} , einde breuk ,"}}},
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

const StructureRules* RulesOf(NodeKind kind) {
    for (const StructureRules& r : Structures)
        if (r.kind == kind) return &r;
    return nullptr;
}

using ByteTable = std::array<std::string, 256>;

ByteTable TableOf(const ByteWords* first, const ByteWords* last) {
    ByteTable t{};
    for (; first != last; ++first)
        t[first->byte] = first->words;
    return t;
}

/// What each Windows-1252 byte says outside a number: its words, or the character itself.
const ByteTable& CharTable() {
    static const ByteTable t = [] {
        ByteTable named = TableOf(std::begin(CharReadings), std::end(CharReadings));
        for (int b = 0; b < 256; ++b) {
            const char32_t u = writer::TextChar(static_cast<unsigned char>(b));
            if (named[b].empty() && u > ' ' && u != 0xA0 && u != 0xAD)
                writer::AppendUtf8(named[b], u);
        }
        return named;
    }();
    return t;
}

/// What each "Symbol" character says: its words, the Windows-1252 character it looks like,
/// or its Unicode character.
const ByteTable& SymbolTable() {
    static const ByteTable t = [] {
        ByteTable named = TableOf(std::begin(SymbolReadings), std::end(SymbolReadings));
        for (int b = 0; b < 256; ++b) {
            const char32_t u = writer::SymbolChar(static_cast<unsigned char>(b));
            if (!named[b].empty() || u <= ' ') continue;
            if (b < 0x80)
                named[b] = CharTable()[b];
            else
                writer::AppendUtf8(named[b], u);
        }
        return named;
    }();
    return t;
}

const ByteTable& SignTable() {
    static const ByteTable t = TableOf(std::begin(SignReadings), std::end(SignReadings));
    return t;
}

std::string Utf8Of1252(std::string_view bytes) {
    std::string out;
    for (unsigned char b : bytes)
        if (const char32_t u = writer::TextChar(b)) writer::AppendUtf8(out, u);
    return out;
}

bool IsDigit(unsigned char b) {
    return b >= '0' && b <= '9';
}

bool IsCharNode(const MathNode& n, bool (*test)(unsigned char)) {
    return n.kind == NodeKind::Char && test(n.value);
}

bool IsDecimalSeparator(unsigned char b) {
    return b == ',' || b == '.';
}

std::string_view NameWords(const MathNode& n) {
    const std::size_t i = n.value & 0x7F;
    return i < NameReadings.size() ? NameReadings[i].words : std::string_view();
}

/// Whether a node says anything at all.
bool Speaks(const MathNode& n) {
    switch (n.kind) {
    case NodeKind::Char:
        return !CharTable()[n.value].empty();
    case NodeKind::Name:
        return !NameWords(n).empty();
    case NodeKind::Reference:
        return !NameForCode(Code::Reference, n.value).empty();
    case NodeKind::Symbol:
        return !SymbolTable()[n.value].empty();
    case NodeKind::Sign:
        return !SignTable()[n.value].empty();
    case NodeKind::Switch:
        return false;
    case NodeKind::Row:
    case NodeKind::Underline:
    case NodeKind::Colour:
        for (const MathNode& c : n.children)
            if (Speaks(c)) return true;
        return false;
    case NodeKind::Power:
    case NodeKind::Index:
    case NodeKind::Fraction:
    case NodeKind::Slanted:
    case NodeKind::Root:
    case NodeKind::Bracket:
    case NodeKind::Integral:
    case NodeKind::Sum:
    case NodeKind::Log:
        return true;
    }
    return false;
}

/// The words of a region that is one number (digits with at most one decimal comma or point
/// between them), or one letter, symbol, pi, e or reference; nothing for any other region.
std::optional<std::string> SimpleWords(const MathNode& row) {
    std::string number;
    const MathNode* single = nullptr;
    int count = 0, separators = 0;
    bool digitsOnly = true;
    const MathNode* previous = nullptr;
    for (const MathNode& c : row.children) {
        if (!Speaks(c)) continue;
        ++count;
        single = &c;
        if (IsCharNode(c, IsDigit)) {
            number += char(c.value);
        } else if (c.kind == NodeKind::Char && IsDecimalSeparator(c.value) && previous &&
                   IsCharNode(*previous, IsDigit)) {
            number += " komma ";
            ++separators;
        } else {
            digitsOnly = false;
        }
        previous = &c;
    }
    if (count == 0) return std::nullopt;
    if (digitsOnly && separators <= 1 && IsDigit(static_cast<unsigned char>(number.back())))
        return number;
    if (count != 1) return std::nullopt;
    const MathNode& c = *single;
    switch (c.kind) {
    case NodeKind::Char:
        if (writer::IsLetter(writer::TextChar(c.value))) return CharTable()[c.value];
        return std::nullopt;
    case NodeKind::Symbol:
        return SymbolTable()[c.value];
    case NodeKind::Reference:
        return Utf8Of1252(NameForCode(Code::Reference, c.value));
    case NodeKind::Sign:
        if (c.value == KindByte(StructKind::Pi) || c.value == KindByte(StructKind::BoldE))
            return SignTable()[c.value];
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

bool StartsWithSign(const MathNode& row, StructKind k) {
    for (const MathNode& c : row.children) {
        if (!Speaks(c)) continue;
        return c.kind == NodeKind::Sign && c.value == KindByte(k);
    }
    return false;
}

/// What the forms of a structure ask of its regions, worked out once.
struct RegionFacts {
    explicit RegionFacts(const MathNode& n)
        : firstEmpty(n.children.empty() || !Speaks(n.children[0])),
          secondEmpty(n.children.size() < 2 || !Speaks(n.children[1])),
          simple(n.children.empty() ? std::nullopt : SimpleWords(n.children[0])),
          derivative(n.children.size() == 2 &&
                     StartsWithSign(n.children[0], StructKind::NumeratorD) &&
                     StartsWithSign(n.children[1], StructKind::DenominatorD)) {
        for (std::size_t i = 3; i < Ordinals.size() && simple; ++i)
            if (*simple == std::to_string(i)) ordinal = Ordinals[i];
    }
    bool firstEmpty, secondEmpty;
    std::optional<std::string> simple;
    bool derivative;
    std::string_view ordinal;

    bool Hold(When when) const {
        switch (when) {
        case When::Always:
            return true;
        case When::FirstEmpty:
            return firstEmpty;
        case When::SecondEmpty:
            return secondEmpty;
        case When::BothEmpty:
            return firstEmpty && secondEmpty;
        case When::FirstIsTwo:
            return simple == "2";
        case When::FirstOrdinal:
            return !ordinal.empty();
        case When::FirstSimple:
            return simple.has_value();
        case When::Derivative:
            return derivative;
        }
        return false;
    }
};

/// Words joined by spaces, with pauses (a comma) between phrases; no pause at either end.
class Words {
public:
    void Word(std::string_view w) {
        if (w == ",") return Pause();
        if (w.empty()) return;
        if (!out_.empty()) out_ += pause_ ? ", " : " ";
        out_ += w;
        pause_ = false;
    }
    void Pause() { pause_ = !out_.empty(); }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
    bool pause_ = false;
};

/// Reads a tree into words.
class Speaker {
public:
    std::string Take() { return words_.Take(); }

    /// `atEnd`: nothing is said after this row, so its last structure needs no end word.
    void Row(const MathNode& row, bool atEnd, std::string_view equals) {
        const auto& items = row.children;
        std::size_t last = items.size();
        for (std::size_t i = items.size(); i-- > 0;)
            if (Speaks(items[i])) {
                last = i;
                break;
            }
        for (std::size_t i = 0; i < items.size(); ++i) {
            const MathNode& n = items[i];
            const bool followed = last != items.size() && i < last;
            if (IsCharNode(n, IsDigit)) {
                i = Number(items, i);
                continue;
            }
            Item(n, atEnd && !followed, followed, equals);
        }
    }

private:
    /// Reads the number that starts at `i`; returns the index of its last item.
    std::size_t Number(const std::vector<MathNode>& items, std::size_t i) {
        std::string digits;
        for (;; ++i) {
            digits += char(items[i].value);
            const bool more = i + 1 < items.size() && IsCharNode(items[i + 1], IsDigit);
            const bool decimal = i + 2 < items.size() &&
                                 IsCharNode(items[i + 1], IsDecimalSeparator) &&
                                 IsCharNode(items[i + 2], IsDigit);
            if (more) continue;
            if (!decimal) break;
            words_.Word(digits);
            words_.Word("komma");
            digits.clear();
            ++i;
        }
        words_.Word(digits);
        return i;
    }

    void Item(const MathNode& n, bool atEnd, bool followed, std::string_view equals) {
        switch (n.kind) {
        case NodeKind::Char:
            if (n.value == '=' && !equals.empty())
                words_.Word(equals);
            else
                words_.Word(CharTable()[n.value]);
            return;
        case NodeKind::Name: {
            words_.Word(NameWords(n));
            const std::size_t i = n.value & 0x7F;
            if (followed && i < NameReadings.size() && NameReadings[i].van) words_.Word("van");
            return;
        }
        case NodeKind::Reference:
            words_.Word(Utf8Of1252(NameForCode(Code::Reference, n.value)));
            return;
        case NodeKind::Symbol:
            words_.Word(SymbolTable()[n.value]);
            return;
        case NodeKind::Sign:
            words_.Word(SignTable()[n.value]);
            return;
        case NodeKind::Switch:
            return;
        case NodeKind::Row:
            Row(n, atEnd, equals);
            return;
        case NodeKind::Power:
        case NodeKind::Index:
        case NodeKind::Fraction:
        case NodeKind::Slanted:
        case NodeKind::Root:
        case NodeKind::Bracket:
        case NodeKind::Integral:
        case NodeKind::Sum:
        case NodeKind::Log:
        case NodeKind::Underline:
        case NodeKind::Colour:
            Structure(n, *RulesOf(n.kind), atEnd, followed, equals);
            return;
        }
    }

    void Structure(const MathNode& n, const StructureRules& rules, bool atEnd, bool followed,
                   std::string_view equals) {
        const RegionFacts facts(n);
        std::string_view form;
        for (const Form& f : rules.forms)
            if (!f.words.empty() && facts.Hold(f.when)) {
                form = f.words;
                break;
            }
        if (!rules.equals.empty()) equals = rules.equals;
        while (!form.empty()) {
            const std::size_t space = form.find(' ');
            const std::string_view token = form.substr(0, space);
            form = space == std::string_view::npos ? std::string_view() : form.substr(space + 1);
            Token(n, facts, rules, token, form.empty(), {atEnd, followed, equals});
        }
    }

    struct Place {
        bool atEnd, followed;
        std::string_view equals;
    };

    void Token(const MathNode& n, const RegionFacts& facts, const StructureRules& rules,
               std::string_view token, bool lastToken, Place place) {
        if (token == ",") {
            words_.Pause();
            return;
        }
        const std::size_t open = token.find('{');
        if (open == std::string_view::npos) {
            words_.Word(token);
            return;
        }
        const std::size_t close = token.find('}', open);
        const std::string_view key = token.substr(open + 1, close - open - 1);
        const std::string_view before = token.substr(0, open), after = token.substr(close + 1);
        if (key == "van") {
            if (place.followed) words_.Word("van");
            return;
        }
        if (key == "o0" || !before.empty() || !after.empty()) {
            // Glued words: the forms that glue ask for a simple region 0.
            const std::string_view glued = key == "o0" ? facts.ordinal : *facts.simple;
            words_.Word(std::string(before) + std::string(glued) + std::string(after));
            return;
        }
        const std::size_t region = key == "1" ? 1 : 0;
        if (region >= n.children.size()) return;
        const MathNode& row = n.children[region];
        Row(row, lastToken && place.atEnd, place.equals);
        if (lastToken && !place.atEnd && !rules.end.empty() && Speaks(row) &&
            !(region == 0 ? facts.simple : SimpleWords(row))) {
            words_.Pause();
            words_.Word(rules.end);
            words_.Pause();
        }
    }

    Words words_;
};

/// A plain-text line: its characters, with every run of blanks one space.
void PlainReading(const MathNode& n, std::string& out) {
    for (const MathNode& c : n.children) {
        if (c.kind == NodeKind::Char) {
            const char32_t u = writer::TextChar(c.value);
            if (u > ' ' && u != 0xA0 && u != 0xAD) {
                writer::AppendUtf8(out, u);
            } else if (!out.empty() && out.back() != ' ') {
                out += ' ';
            }
        }
        PlainReading(c, out);
    }
}

/// One step of the way from the line down to a caret: a structure and the region it is in.
struct Step {
    const MathNode* node;
    std::size_t region;
    bool operator==(const Step&) const = default;
};

void FindPath(const MathNode& row, int caret, std::vector<Step>& path) {
    for (const MathNode& item : row.children) {
        if (item.kind == NodeKind::Underline || item.kind == NodeKind::Colour) {
            for (const MathNode& content : item.children) {
                const std::size_t before = path.size();
                FindPath(content, caret, path);
                if (path.size() != before) return;
            }
            continue;
        }
        const StructureRules* rules = RulesOf(item.kind);
        if (!rules || caret <= item.begin) continue;
        for (std::size_t r = 0; r < item.children.size() && r < rules->inside.size(); ++r) {
            const MathNode& region = item.children[r];
            if (region.begin <= caret && caret <= region.end) {
                path.push_back({&item, r});
                FindPath(region, caret, path);
                return;
            }
        }
    }
}

std::vector<Step> PathTo(const MathTree& tree, int caret) {
    std::vector<Step> path;
    if (!tree.plainText) FindPath(tree.root, caret, path);
    return path;
}

std::string_view Inside(const Step& s) {
    return RulesOf(s.node->kind)->inside[s.region];
}

} // namespace

std::string SpeakLine(const MathTree& tree) {
    std::string out;
    if (tree.plainText) {
        PlainReading(tree.root, out);
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
    } else {
        Speaker speaker;
        speaker.Row(tree.root, true, {});
        out = speaker.Take();
    }
    return out.empty() ? std::string(EmptyLine) : out;
}

std::string SpeakCaretContext(const MathTree& tree, int caret) {
    const std::vector<Step> path = PathTo(tree, caret);
    Words words;
    for (auto s = path.rbegin(); s != path.rend(); ++s) {
        words.Word(Inside(*s));
        words.Pause();
    }
    return words.Take();
}

std::string SpeakContextChange(const MathTree& tree, int from, int to) {
    const std::vector<Step> was = PathTo(tree, from), is = PathTo(tree, to);
    std::size_t same = 0;
    while (same < was.size() && same < is.size() && was[same] == is[same])
        ++same;
    Words words;
    const bool otherRegion =
        same < was.size() && same < is.size() && was[same].node == is[same].node;
    if (same < was.size() && !otherRegion) {
        // The outermost structure left is what matters: the caret is out of all inside it.
        const MathNode& left = *was[same].node;
        const StructureRules& rules = *RulesOf(left.kind);
        words.Word(to >= left.end ? rules.leaveForward : rules.leaveBackward);
        words.Pause();
    }
    for (std::size_t i = same; i < is.size(); ++i) {
        words.Word(Inside(is[i]));
        words.Pause();
    }
    return words.Take();
}

} // namespace zelm

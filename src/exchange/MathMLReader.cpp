// The MathML reader: the presentation elements the writer makes, and those its peers write,
// read into the structure model. Nesting is bounded both in the XML and in the structures;
// anything the line cannot hold comes in as its nearest faithful form, with a note.
#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "exchange/LatexCommands.h"
#include "exchange/MathMLXml.h"
#include "exchange/MathReaders.h"
#include "exchange/ReaderNodes.h"
#include "formula/Charset.h"
#include "formula/DeclMath.h"

namespace zelm {

namespace {

using namespace reading;
using namespace mathml;

class MathMLConverter {
public:
    std::optional<ReadResult> Convert(const XmlNode& math) {
        MathNode row = Node(NodeKind::Row, {});
        textOnly_ = OnlyText(math);
        Children(math, row, DPlace::Elsewhere);
        if (refused_) return std::nullopt;
        ReadResult result{std::move(row), lossy_, {}, textOnly_ && textLetters_};
        for (std::string& change : changes_)
            NoteChange(result, std::move(change));
        return result;
    }

private:
    /// One level of structure for as long as it lives; too deep refuses the whole input.
    struct Level {
        explicit Level(MathMLConverter& c) : c(c) {
            if (++c.depth_ > DeepestPastedNesting) c.refused_ = true;
        }
        ~Level() {
            --c.depth_;
            c.wordRow_ = nullptr; // a row of its own ends here
        }
        MathMLConverter& c;
    };

    void Children(const XmlNode& e, MathNode& row, DPlace d) {
        const std::vector<const XmlNode*> items = Elements(e);
        for (std::size_t i = 0; i < items.size() && !refused_; ++i) {
            const std::size_t before = row.children.size();
            if (const std::string letters = UprightRun(items, i); !letters.empty()) {
                Word(row, letters, false);
                i += letters.size() - 1;
            } else {
                Item(*items[i], row, d);
            }
            if (IsListComma(*items[i], row, i + 1 < items.size() ? items[i + 1] : nullptr))
                row.children.push_back(Leaf(NodeKind::Char, ' '));
            SpaceAfterWord(row, before);
        }
    }

    /// Whether the formula is text alone (`mtext` and spaces), as a plain-text line holds it.
    static bool OnlyText(const XmlNode& e) {
        if (e.name == "mtext" || e.name == "ms" || e.name == "mspace") return true;
        const std::vector<const XmlNode*> c = Elements(e);
        if (e.name == "semantics") return !c.empty() && OnlyText(*c[0]);
        const bool row = e.name == "math" || e.name == "mrow" || e.name == "mpadded" ||
                         (e.name == "mstyle" && e.Attribute("mathcolor").empty());
        return row && !c.empty() &&
               std::all_of(c.begin(), c.end(), [](const XmlNode* x) { return OnlyText(*x); });
    }

    /// Letters set upright one by one, as KaTeX writes `\bmod`: two or more make a word (an
    /// upright "d" or "e" on its own, or the two together, are the line's signs).
    static std::string UprightRun(const std::vector<const XmlNode*>& items, std::size_t at) {
        std::string letters;
        bool lossy = false;
        for (; at < items.size(); ++at) {
            const XmlNode& e = *items[at];
            const std::u32string t = TokenText(e, lossy);
            if (e.name != "mi" || e.Attribute("mathvariant") != "normal" || t.size() != 1 ||
                t[0] > 0x7F || !IsAsciiLetter(char(t[0])))
                break;
            letters += char(t[0]);
        }
        const bool signs = letters.find_first_not_of("de") == std::string::npos;
        return letters.size() < 2 || signs ? std::string() : letters;
    }

    /// The letters of an operator word the name table lacks (`lim`, `max`, KaTeX's
    /// `\operatorname`), in a token or alone in a row beside the invisible function
    /// application; "" for anything else.
    static std::string WordOf(const XmlNode& e) {
        bool lossy = false;
        if (e.name == "mrow") {
            const XmlNode* only = nullptr;
            for (const XmlNode* c : Elements(e)) {
                if (c->name == "mo" && TokenText(*c, lossy) == U"\u2061") continue;
                if (only) return {};
                only = c;
            }
            return only ? WordOf(*only) : std::string();
        }
        if (e.name != "mi" && e.name != "mo") return {};
        const std::u32string t = TokenText(e, lossy);
        std::string letters;
        for (const char32_t u : t) { // "lim inf", "arg min": spaced as they stood
            if (u == ' ' || u == 0xA0 || (u >= 0x2000 && u <= 0x200A)) {
                letters += ' ';
                continue;
            }
            if (u > 0x7F || !IsAsciiLetter(char(u))) return {};
            letters += char(u);
        }
        const auto index = NameIndexOf(letters);
        if (letters.size() < 2 || (index && *index >= FirstRecognisedName)) return {};
        return letters;
    }

    /// An operator word the name table lacks: its letters, none of them read as one of the
    /// line's names; under a script the word in brackets, so that the script belongs to the
    /// whole word and not to its last letter.
    void Word(MathNode& row, const std::string& letters, bool scripted) {
        MathNode word = Node(NodeKind::Row, {});
        for (const char c : letters)
            word.children.push_back(Leaf(NodeKind::Char, static_cast<unsigned char>(c)));
        latex::ShieldNames(word);
        if (scripted) {
            row.children.push_back(Node(NodeKind::Bracket, {std::move(word)}));
            return Note(letters + " als (" + letters + ")");
        }
        Splice(row, std::move(word));
        wordRow_ = &row;
        wordEnd_ = row.children.size();
        Note(letters + " als letters");
    }

    /// A space keeps a word apart from what follows it right after, as the operator did,
    /// unless that is a bracket, a digit or a sign.
    void SpaceAfterWord(MathNode& row, std::size_t before) {
        if (wordRow_ != &row || before != wordEnd_ || row.children.size() <= before) return;
        wordRow_ = nullptr;
        const MathNode& next = row.children[before];
        const bool apart = next.kind == NodeKind::Char ? IsAsciiLetter(char(next.value))
                                                       : next.kind != NodeKind::Bracket;
        if (apart)
            row.children.insert(row.children.begin() + std::ptrdiff_t(before),
                                Leaf(NodeKind::Char, ' '));
    }

    /// A comma operator between numbers separates them (`1, 2, 3`): a comma between digits
    /// would join them into one number with a decimal comma.
    static bool IsListComma(const XmlNode& e, const MathNode& row, const XmlNode* next) {
        bool lossy = false;
        if (e.name != "mo" || !next || next->name != "mn" || row.children.empty()) return false;
        const MathNode& last = row.children.back();
        return TokenText(e, lossy) == U"," && last.kind == NodeKind::Char && last.value == ',' &&
               row.children.size() >= 2 &&
               row.children[row.children.size() - 2].kind == NodeKind::Char &&
               row.children[row.children.size() - 2].value >= '0' &&
               row.children[row.children.size() - 2].value <= '9';
    }

    /// `e` as a row of its own (a script, a limit, a numerator).
    MathNode RowOf(const XmlNode* e, DPlace d) {
        Level level(*this);
        MathNode row = Node(NodeKind::Row, {});
        if (e && !refused_) Item(*e, row, d);
        return row;
    }

    /// The integral or sum an operator stands for, if it is one.
    static std::optional<NodeKind> BigOperator(const XmlNode& e, bool& lossy) {
        if (e.name != "mo" && e.name != "mi") return std::nullopt;
        const std::u32string t = TokenText(e, lossy);
        if (t == U"\u222B") return NodeKind::Integral;
        if (t == U"\u2211") return NodeKind::Sum;
        return std::nullopt;
    }

    /// How many primes an operator of nothing but primes (′ ″ ‴ ⁗) holds.
    static int Primes(const XmlNode& e, bool& lossy) {
        if (e.name != "mo") return 0;
        int n = 0;
        for (const char32_t u : TokenText(e, lossy)) {
            const int primes = u == U'\u2032'   ? 1
                               : u == U'\u2033' ? 2
                               : u == U'\u2034' ? 3
                               : u == U'\u2057' ? 4
                                                : 0;
            if (primes == 0) return 0;
            n += primes;
        }
        return n;
    }

    /// `^{\\circ}` and `^{\\degree}`: the degree sign the font has.
    static bool IsDegree(const XmlNode& e) {
        bool lossy = false;
        const std::u32string t = e.name == "mo" || e.name == "mi" ? TokenText(e, lossy) : U"";
        return t == U"\u00B0" || t == U"\u2218";
    }

    /// "log", also as KaTeX writes it under a script: in a row with its function application.
    static bool IsLog(const XmlNode& e, bool& lossy) {
        if (e.name == "mrow") {
            const std::vector<const XmlNode*> items = Elements(e);
            return items.size() == 2 && IsLog(*items[0], lossy) && items[1]->name == "mo" &&
                   TokenText(*items[1], lossy) == U"\u2061";
        }
        return e.name == "mi" && TokenText(e, lossy) == U"log";
    }

    /// Reads the text of an element the line cannot hold.
    void PlainText(const XmlNode& e, MathNode& row) {
        lossy_ = true;
        for (const XmlNode& c : e.children) {
            if (c.isText) {
                AppendText(row, Utf8(Decode(c.text)), lossy_);
            } else {
                Level level(*this);
                if (refused_) return;
                PlainText(c, row);
            }
        }
    }

    void Note(std::string change) {
        lossy_ = true;
        changes_.push_back(std::move(change));
    }

    /// Appends `u` as the line holds what a peer writes it for: a styled letter as its plain
    /// letter, a thin space as nothing, the differential signs as the line's own; in maths
    /// (`symbolFirst`) a character of both fonts as the "Symbol" one, as LaTeX's command for it
    /// reads, and in text as the typed one.
    void Character(MathNode& row, char32_t u, bool symbolFirst, DPlace d) {
        bool styled = false;
        if (const char32_t plain = PlainLetterOf(u, styled)) {
            if (styled) Note("letterstijl genegeerd");
            u = plain;
        }
        if (IsThinSpace(u)) return;
        if (u == 0xA0) u = ' ';
        if (u >= 0x2000 && u <= 0x2007) u = ' ';
        if (u == 0x2146) return row.children.push_back(DSign(d));
        if (u == 0x2147)
            return row.children.push_back(
                Leaf(NodeKind::Sign, static_cast<unsigned char>(StructKind::BoldE)));
        if (u == 0x2148) u = 'i';
        if (u == 0x2212) u = '-'; // the minus a writer puts for the typed hyphen
        if (u >= 0x22EE && u <= 0x22F1) {
            Note(Utf8(std::u32string(1, u)) + " als \u2026");
            u = 0x2026;
        }
        const bool invisible = (u >= 0x2061 && u <= 0x2064) || u == 0x200B;
        if (!invisible && !IsControlCharacter(u) && !LineHolds(u))
            Note(u == 0xFFFD ? std::string("onbekend teken als ?")
                             : Utf8(std::u32string(1, u)) + " als ?");
        if (!symbolFirst) return AppendCharacter(row, u, lossy_);
        AppendMathCharacter(row, u, lossy_);
        const bool inBoth = UnicodeToCp1252(u) && SymbolByteOf(u);
        if (inBoth && row.children.back().kind == NodeKind::Char)
            row.children.back() = Leaf(NodeKind::Symbol, *SymbolByteOf(u));
    }

    void Token(const XmlNode& e, MathNode& row, DPlace d) {
        const std::u32string text = TokenText(e, lossy_);
        const std::string_view variant = e.Attribute("mathvariant");
        if (e.name == "mi" || e.name == "mo") {
            if (variant == "normal" && text == U"d") return row.children.push_back(DSign(d));
            if (variant == "normal" && text == U"e")
                return row.children.push_back(
                    Leaf(NodeKind::Sign, static_cast<unsigned char>(StructKind::BoldE)));
            const std::string utf8 = Utf8(text);
            if (const auto index = NameIndexOf(utf8); index && *index >= FirstRecognisedName)
                return row.children.push_back(NameNode(*index));
            if (const std::string word = WordOf(e); !word.empty()) return Word(row, word, false);
            if (e.name == "mi" && !variant.empty() && variant != "normal" && variant != "italic")
                lossy_ = true;
        }
        if (e.name == "mtext" || e.name == "ms") {
            // Text keeps its spaces, as a plain-text line holds them; among maths its letters
            // become the formula's italic letters, none read as a name.
            std::string raw;
            for (const XmlNode& c : e.children)
                if (c.isText) raw += c.text;
            MathNode text = Node(NodeKind::Row, {});
            for (char32_t u : Decode(raw))
                if (u != '\n' && u != '\r' && u != '\t') Character(text, u, false, d);
            const bool letters = HasAsciiLetter(text);
            textLetters_ = textLetters_ || letters;
            if (!variant.empty() && variant != "normal") Note("letterstijl genegeerd");
            if (letters && !textOnly_) {
                Note("tekst als formuleletters");
                latex::ShieldNames(text);
            }
            return Splice(row, std::move(text));
        }
        // A bar that does not grow is the typed character; one that may is the line's bar.
        if (text == U"|" && e.Attribute("stretchy") == "false")
            return row.children.push_back(Leaf(NodeKind::Char, '|'));
        for (char32_t u : text)
            Character(row, u, true, d);
    }

    /// Whether `e` is an operator with `shape`: the opening one of a growing bracket says it
    /// is a fence or stretches (a bracket as it is stays a character), the closing one only
    /// must not refuse to stretch.
    static bool IsFence(const XmlNode* e, char32_t shape, bool opening, bool& lossy) {
        if (!e || e->name != "mo" || e->Attribute("stretchy") == "false") return false;
        const bool says = e->Attribute("stretchy") == "true" || e->Attribute("fence") == "true";
        return (says || !opening) && TokenText(*e, lossy) == std::u32string(1, shape);
    }

    void Row(const XmlNode& e, MathNode& row, DPlace d) {
        const std::vector<const XmlNode*> items = Elements(e);
        if (items.size() >= 2 && IsFence(items.front(), '(', true, lossy_) &&
            IsFence(items.back(), ')', false, lossy_)) {
            Level level(*this);
            MathNode content = Node(NodeKind::Row, {});
            for (std::size_t i = 1; i + 1 < items.size() && !refused_; ++i)
                Item(*items[i], content, DPlace::Elsewhere);
            row.children.push_back(Node(NodeKind::Bracket, {std::move(content)}));
            return;
        }
        Children(e, row, d);
    }

    /// msub, msup, msubsup, munder, mover, munderover: a base with its scripts.
    void Scripts(const XmlNode& e, MathNode& row, DPlace d, const std::vector<const XmlNode*>& c) {
        const bool under = e.name == "munder" || e.name == "munderover";
        const bool over = e.name == "mover" || e.name == "munderover";
        const bool sub = e.name == "msub" || e.name == "msubsup" || under;
        const bool sup = e.name == "msup" || e.name == "msubsup" || over;
        const std::size_t needed = 1 + std::size_t(sub) + std::size_t(sup);
        if (c.size() != needed) return PlainText(e, row);
        const XmlNode* lower = sub ? c[1] : nullptr;
        const XmlNode* upper = sup ? c[sub ? 2 : 1] : nullptr;
        if (const int primes = upper ? Primes(*upper, lossy_) : 0; primes > 0 && !over) {
            Item(*c[0], row, d);
            if (lower)
                row.children.push_back(Node(NodeKind::Index, {RowOf(lower, DPlace::Elsewhere)}));
            row.children.insert(row.children.end(), std::size_t(primes),
                                Leaf(NodeKind::Char, '\''));
            return;
        }
        if (e.name == "msup" && IsDegree(*upper)) {
            Item(*c[0], row, d);
            if (bool lossy = false; TokenText(*upper, lossy) == U"\u2218")
                Note("\u2218 als \u00B0"); // the ring operator, where the line has the degree
            return row.children.push_back(Leaf(NodeKind::Symbol, 0xB0));
        }
        if (const auto big = BigOperator(*c[0], lossy_)) {
            MathNode low = RowOf(lower, DPlace::Elsewhere);
            MathNode high = RowOf(upper, DPlace::Elsewhere);
            row.children.push_back(Node(*big, {std::move(low), std::move(high)}));
            return;
        }
        if (e.name == "msub" && IsLog(*c[0], lossy_)) {
            row.children.push_back(LogNode(RowOf(lower, DPlace::Elsewhere)));
            return;
        }
        if (e.name == "munder" && lower && lower->name == "mo") {
            const std::u32string mark = TokenText(*lower, lossy_);
            if (mark == U"_" || mark == U"\u0332" || mark == U"\u203E") {
                row.children.push_back(Node(NodeKind::Underline, {RowOf(c[0], d)}));
                return;
            }
        }
        if (under || over) lossy_ = true; // limits under or over anything else: as scripts
        // Scripts on nothing follow an item whose script of one kind was taken: that kind
        // came first, or it would have gone there.
        const bool powerFirst = Elements(*c[0]).empty() && c[0]->name == "mrow" &&
                                !row.children.empty() &&
                                row.children.back().kind == NodeKind::Power;
        if (const std::string word = WordOf(*c[0]); !word.empty())
            Word(row, word, true);
        else
            Item(*c[0], row, d);
        if (upper && powerFirst)
            row.children.push_back(Node(NodeKind::Power, {RowOf(upper, DPlace::Elsewhere)}));
        if (lower) row.children.push_back(Node(NodeKind::Index, {RowOf(lower, DPlace::Elsewhere)}));
        if (upper && !powerFirst)
            row.children.push_back(Node(NodeKind::Power, {RowOf(upper, DPlace::Elsewhere)}));
    }

    /// `mfenced`: its items between its brackets (parentheses unless it says otherwise),
    /// separated by its separators (commas unless it says otherwise); parentheses grow.
    void Fenced(const XmlNode& e, MathNode& row, const std::vector<const XmlNode*>& c) {
        const auto attribute = [&](std::string_view key, std::u32string fallback) {
            for (const auto& [k, v] : e.attributes)
                if (k == key) fallback = Decode(v);
            std::erase(fallback, U' ');
            return fallback;
        };
        const std::u32string open = attribute("open", U"("), close = attribute("close", U")");
        const std::u32string separators = attribute("separators", U",");
        const bool grows = open == U"(" && close == U")";
        Level level(*this);
        MathNode content = Node(NodeKind::Row, {});
        MathNode& inside = grows ? content : row;
        if (!grows)
            for (char32_t u : open)
                Character(row, u, true, DPlace::Elsewhere);
        for (std::size_t i = 0; i < c.size() && !refused_; ++i) {
            if (i > 0 && !separators.empty())
                Character(inside, separators[std::min(i - 1, separators.size() - 1)], true,
                          DPlace::Elsewhere);
            Item(*c[i], inside, DPlace::Elsewhere);
        }
        if (grows) return row.children.push_back(Node(NodeKind::Bracket, {std::move(content)}));
        for (char32_t u : close)
            Character(row, u, true, DPlace::Elsewhere);
    }

    /// `mstyle mathcolor`: the line shows one colour, so only that colour comes in coloured,
    /// over exactly what it covers; the others are left out, with a note.
    void Coloured(const XmlNode& e, MathNode& row, DPlace d) {
        const std::string_view value = e.Attribute("mathcolor");
        const latex::ColourFit fit = latex::FitColour({}, value);
        const bool colours = fit == latex::ColourFit::Line && !inColour_;
        const bool outer = inColour_;
        Level level(*this);
        MathNode content = Node(NodeKind::Row, {});
        inColour_ = outer || colours;
        Row(e, content, d);
        inColour_ = outer;
        if (colours) return row.children.push_back(Node(NodeKind::Colour, {std::move(content)}));
        if (fit == latex::ColourFit::Other || (fit == latex::ColourFit::None && outer))
            Note("kleur " + std::string(value) + " genegeerd");
        Splice(row, std::move(content));
    }

    /// Whether a length is zero ("0", "0px", "0.0em"): a box that others overlap.
    static bool IsZero(std::string_view length) {
        const std::size_t unit = length.find_first_not_of("0.");
        return unit != 0 && !length.empty() &&
               length.find_first_not_of("abcdefghijklmnopqrstuvwxyz%", unit) == length.npos;
    }

    void Item(const XmlNode& e, MathNode& row, DPlace d) {
        if (refused_) return;
        const std::string& n = e.name;
        const std::vector<const XmlNode*> c = Elements(e);
        if (n == "mi" || n == "mn" || n == "mo" || n == "mtext" || n == "ms")
            return Token(e, row, d);
        if (n == "mpadded" && IsZero(e.Attribute("width"))) Note("overlap genegeerd");
        if (n == "mpadded" && !e.Attribute("voffset").empty()) Note("verschuiving genegeerd");
        if (!e.Attribute("mathbackground").empty()) Note("achtergrondkleur genegeerd");
        if (n == "mrow" || n == "math" || n == "mpadded") return Row(e, row, d);
        if (n == "mspace" && IsWordSpace(e.Attribute("width")))
            return row.children.push_back(Leaf(NodeKind::Char, ' '));
        if (n == "mspace" || n == "annotation" || n == "annotation-xml" || n == "none" ||
            n == "mprescripts")
            return;
        if (n == "semantics") {
            if (!c.empty()) Item(*c[0], row, d);
            return;
        }
        if (n == "mstyle") {
            if (e.Attribute("mathcolor").empty()) return Row(e, row, d);
            return Coloured(e, row, d);
        }
        if (n == "msub" || n == "msup" || n == "msubsup" || n == "munder" || n == "mover" ||
            n == "munderover")
            return Scripts(e, row, d, c);
        if (n == "mfrac" && c.size() == 2) {
            const bool bevelled = e.Attribute("bevelled") == "true";
            if (e.Attribute("linethickness") == "0") lossy_ = true;
            MathNode top = RowOf(c[0], bevelled ? DPlace::Elsewhere : DPlace::Numerator);
            MathNode bottom = RowOf(c[1], bevelled ? DPlace::Elsewhere : DPlace::Denominator);
            const NodeKind kind = bevelled ? NodeKind::Slanted : NodeKind::Fraction;
            row.children.push_back(Node(kind, {std::move(top), std::move(bottom)}));
            return;
        }
        if (n == "msqrt") {
            Level level(*this);
            MathNode radicand = Node(NodeKind::Row, {});
            Row(e, radicand, DPlace::Elsewhere);
            row.children.push_back(
                Node(NodeKind::Root, {Node(NodeKind::Row, {}), std::move(radicand)}));
            return;
        }
        if (n == "mroot" && c.size() == 2) {
            MathNode index = RowOf(c[1], DPlace::Elsewhere);
            MathNode radicand = RowOf(c[0], DPlace::Elsewhere);
            row.children.push_back(Node(NodeKind::Root, {std::move(index), std::move(radicand)}));
            return;
        }
        if (n == "mfenced") return Fenced(e, row, c);
        if (n == "mtable" || n == "mtr" || n == "mtd" || n == "mlabeledtr" || n == "menclose" ||
            n == "merror" || n == "maction" || n == "mphantom" || n == "mmultiscripts") {
            // Tables, boxes and the like: their content in the row.
            lossy_ = true;
            Level level(*this);
            for (std::size_t i = 0; i < c.size() && !refused_; ++i) {
                if (i > 0 && (n == "mtr" || n == "mtable"))
                    row.children.push_back(Leaf(NodeKind::Char, ' '));
                Item(*c[i], row, d);
            }
            return;
        }
        PlainText(e, row);
    }

    int depth_ = 0;
    MathNode* wordRow_ = nullptr; ///< the row whose last items are a word just read
    std::size_t wordEnd_ = 0;     ///< where that word ends
    bool textOnly_ = false;       ///< the formula is text alone
    bool textLetters_ = false;    ///< a text of it has letters
    bool inColour_ = false;       ///< within a coloured part: the line's colour does not nest
    std::vector<std::string> changes_;
    bool lossy_ = false;
    bool refused_ = false;
};

} // namespace

std::optional<ReadResult> ReadMathML(std::string_view mathml) {
    if (mathml.size() > LongestPastedFormula) return std::nullopt;
    const std::optional<XmlNode> math = ReadMathElement(mathml);
    if (!math) return std::nullopt;
    return reading::Finished(MathMLConverter().Convert(*math));
}

} // namespace zelm

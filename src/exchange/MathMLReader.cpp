// The MathML reader: the presentation elements the writer makes, and those its peers write,
// read into the structure model. Nesting is bounded both in the XML and in the structures;
// anything the line cannot hold comes in as its nearest faithful form, with a note.
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
        Children(math, row, DPlace::Elsewhere);
        if (refused_) return std::nullopt;
        ReadResult result{std::move(row), lossy_, {}};
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
        ~Level() { --c.depth_; }
        MathMLConverter& c;
    };

    void Children(const XmlNode& e, MathNode& row, DPlace d) {
        for (const XmlNode* c : Elements(e))
            Item(*c, row, d);
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

    static bool IsLog(const XmlNode& e, bool& lossy) {
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
        if (e.name == "mi") {
            if (variant == "normal" && text == U"d") return row.children.push_back(DSign(d));
            if (variant == "normal" && text == U"e")
                return row.children.push_back(
                    Leaf(NodeKind::Sign, static_cast<unsigned char>(StructKind::BoldE)));
            const std::string utf8 = Utf8(text);
            if (const auto index = NameIndexOf(utf8); index && *index >= FirstRecognisedName)
                return row.children.push_back(NameNode(*index));
            if (!variant.empty() && variant != "normal" && variant != "italic") lossy_ = true;
        }
        if (e.name == "mtext" || e.name == "ms") {
            // Text keeps its spaces, as a plain-text line holds them.
            std::string raw;
            for (const XmlNode& c : e.children)
                if (c.isText) raw += c.text;
            for (char32_t u : Decode(raw))
                if (u != '\n' && u != '\r' && u != '\t') Character(row, u, false, d);
            return;
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

    void Item(const XmlNode& e, MathNode& row, DPlace d) {
        if (refused_) return;
        const std::string& n = e.name;
        const std::vector<const XmlNode*> c = Elements(e);
        if (n == "mi" || n == "mn" || n == "mo" || n == "mtext" || n == "ms")
            return Token(e, row, d);
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
            Level level(*this);
            MathNode content = Node(NodeKind::Row, {});
            Row(e, content, d);
            row.children.push_back(Node(NodeKind::Colour, {std::move(content)}));
            return;
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
    std::vector<std::string> changes_;
    bool lossy_ = false;
    bool refused_ = false;
};

} // namespace

std::optional<ReadResult> ReadMathML(std::string_view mathml) {
    if (mathml.size() > LongestPastedFormula) return std::nullopt;
    const std::optional<XmlNode> math = ReadMathElement(mathml);
    if (!math) return std::nullopt;
    return MathMLConverter().Convert(*math);
}

} // namespace zelm

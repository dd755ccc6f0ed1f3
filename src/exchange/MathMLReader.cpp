// The MathML reader: a small XML reader of its own (elements, attributes, text, character and
// the common named entities; declarations, comments and processing instructions skipped),
// then the presentation elements the writer makes, read into the structure model. Nesting is
// bounded both in the XML and in the structures; anything the line cannot hold comes in as
// its plain text, marked lossy.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "exchange/MathReaders.h"
#include "exchange/ReaderNodes.h"
#include "formula/Charset.h"
#include "formula/DeclMath.h"

namespace zelm {

namespace {

using namespace reading;

/// A presentation element holds a few levels of XML per structure (a script, its row).
constexpr int DeepestXml = 4 * DeepestPastedNesting;

struct XmlNode {
    bool isText = false;
    std::string name; ///< local name, without a namespace prefix
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text; ///< text nodes: the raw text, entities not yet replaced
    std::vector<XmlNode> children;

    std::string_view Attribute(std::string_view key) const {
        for (const auto& [k, v] : attributes)
            if (k == key) return v;
        return {};
    }
};

struct NamedEntity {
    std::string_view name;
    char32_t u;
};

constexpr NamedEntity Entities[] = {
    {"lt", '<'},
    {"gt", '>'},
    {"amp", '&'},
    {"quot", '"'},
    {"apos", '\''},
    {"nbsp", 0xA0},
    {"times", 0xD7},
    {"sdot", 0x22C5},
    {"middot", 0xB7},
    {"minus", 0x2212},
    {"pm", 0xB1},
    {"plusmn", 0xB1},
    {"le", 0x2264},
    {"leq", 0x2264},
    {"ge", 0x2265},
    {"geq", 0x2265},
    {"ne", 0x2260},
    {"infin", 0x221E},
    {"pi", 0x3C0},
    {"int", 0x222B},
    {"sum", 0x2211},
    {"prod", 0x220F},
    {"part", 0x2202},
    {"rarr", 0x2192},
    {"larr", 0x2190},
    {"divide", 0xF7},
    {"ApplyFunction", 0x2061},
    {"af", 0x2061},
    {"InvisibleTimes", 0x2062},
    {"it", 0x2062},
    {"alpha", 0x3B1},
    {"beta", 0x3B2},
    {"gamma", 0x3B3},
    {"delta", 0x3B4},
    {"lambda", 0x3BB},
    {"mu", 0x3BC},
    {"sigma", 0x3C3},
    {"theta", 0x3B8},
    {"phi", 0x3C6},
    {"omega", 0x3C9},
    {"VerticalBar", '|'},
    {"verbar", '|'},
    {"lpar", '('},
    {"rpar", ')'},
    {"UnderBar", '_'},
    {"lowbar", '_'},
    {"OverBar", 0x203E},
    {"deg", 0xB0},
};

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c) {
    return c == ':' || c == '_' || c == '-' || c == '.' || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           static_cast<unsigned char>(c) >= 0x80;
}

/// Reads one element tree; every failure leaves `failed` set.
class XmlReader {
public:
    explicit XmlReader(std::string_view s) : s_(s) {}

    std::optional<XmlNode> ReadMath() {
        if (!FindMath()) return std::nullopt;
        XmlNode root = Element(0);
        if (failed_ || root.name != "math") return std::nullopt;
        return root;
    }

private:
    bool AtEnd() const { return pos_ >= s_.size(); }
    bool At(std::string_view p) const { return !AtEnd() && s_.substr(pos_, p.size()) == p; }

    /// Moves to the start tag of the first `math` element (with or without a prefix), so
    /// that a declaration, a document type or an HTML page around it does not matter.
    bool FindMath() {
        for (std::size_t at = s_.find('<'); at != std::string_view::npos;
             at = s_.find('<', at + 1)) {
            std::size_t end = at + 1;
            while (end < s_.size() && IsNameChar(s_[end]))
                ++end;
            std::string_view name = s_.substr(at + 1, end - at - 1);
            if (const auto colon = name.rfind(':'); colon != std::string_view::npos)
                name.remove_prefix(colon + 1);
            if (name == "math") {
                pos_ = at;
                return true;
            }
        }
        return false;
    }

    std::string Name() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameChar(s_[pos_]))
            ++pos_;
        std::string_view name = s_.substr(start, pos_ - start);
        if (name.empty()) failed_ = true;
        if (const auto colon = name.rfind(':'); colon != std::string_view::npos)
            name.remove_prefix(colon + 1);
        return std::string(name);
    }

    void SkipSpace() {
        while (!AtEnd() && IsXmlSpace(s_[pos_]))
            ++pos_;
    }

    /// Skips up to and past `end`; fails when it never comes.
    void SkipPast(std::string_view end) {
        const std::size_t at = s_.find(end, pos_);
        if (at == std::string_view::npos) {
            failed_ = true;
            pos_ = s_.size();
        } else {
            pos_ = at + end.size();
        }
    }

    /// The element whose start tag is at pos_.
    XmlNode Element(int depth) {
        XmlNode e;
        if (depth > DeepestXml) {
            failed_ = true;
            return e;
        }
        ++pos_; // '<'
        e.name = Name();
        while (!failed_) {
            SkipSpace();
            if (AtEnd()) {
                failed_ = true;
            } else if (At("/>")) {
                pos_ += 2;
                return e;
            } else if (s_[pos_] == '>') {
                ++pos_;
                break;
            } else {
                std::string key = Name();
                SkipSpace();
                if (AtEnd() || s_[pos_] != '=') {
                    failed_ = true;
                    break;
                }
                ++pos_;
                SkipSpace();
                const char quote = AtEnd() ? '\0' : s_[pos_];
                if (quote != '"' && quote != '\'') {
                    failed_ = true;
                    break;
                }
                const std::size_t end = s_.find(quote, pos_ + 1);
                if (end == std::string_view::npos) {
                    failed_ = true;
                    break;
                }
                e.attributes.emplace_back(std::move(key),
                                          std::string(s_.substr(pos_ + 1, end - pos_ - 1)));
                pos_ = end + 1;
            }
        }
        Content(e, depth);
        return e;
    }

    /// The content of `e` up to and including its end tag.
    void Content(XmlNode& e, int depth) {
        while (!failed_) {
            if (AtEnd()) {
                failed_ = true;
            } else if (At("</")) {
                pos_ += 2;
                const std::string name = Name();
                SkipSpace();
                if (name != e.name || AtEnd() || s_[pos_] != '>')
                    failed_ = true;
                else
                    ++pos_;
                return;
            } else if (At("<!--")) {
                SkipPast("-->");
            } else if (At("<![CDATA[")) {
                pos_ += 9;
                const std::size_t start = pos_;
                SkipPast("]]>");
                XmlNode t;
                t.isText = true;
                // Raw text with its "&" and "<" kept as they are.
                for (char c : s_.substr(start, pos_ - start - 3))
                    t.text += c == '&' ? std::string("&amp;") : std::string(1, c);
                e.children.push_back(std::move(t));
            } else if (At("<?")) {
                SkipPast("?>");
            } else if (At("<")) {
                e.children.push_back(Element(depth + 1));
            } else {
                const std::size_t end = std::min(s_.find('<', pos_), s_.size());
                XmlNode t;
                t.isText = true;
                t.text = std::string(s_.substr(pos_, end - pos_));
                e.children.push_back(std::move(t));
                pos_ = end;
            }
        }
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

/// Raw text with its references replaced, as UTF-8 code points; an unknown entity becomes
/// U+FFFD (and so "?").
std::u32string Decode(std::string_view raw) {
    std::u32string out;
    std::size_t i = 0;
    while (i < raw.size()) {
        if (raw[i] != '&') {
            out += NextCodePoint(raw, i);
            continue;
        }
        const std::size_t semi = raw.find(';', i);
        if (semi == std::string_view::npos || semi - i > 32) {
            out += U'&';
            ++i;
            continue;
        }
        const std::string_view ref = raw.substr(i + 1, semi - i - 1);
        char32_t u = 0xFFFD;
        if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            unsigned long v = 0;
            bool digits = ref.size() > (hex ? 2u : 1u);
            for (char c : ref.substr(hex ? 2 : 1)) {
                int digit = -1;
                if (c >= '0' && c <= '9') digit = c - '0';
                if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
                if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
                if (digit < 0) digits = false;
                v = v * (hex ? 16 : 10) + unsigned(digit < 0 ? 0 : digit);
                if (v > 0x10FFFF) digits = false;
            }
            if (digits) u = char32_t(v);
        } else {
            for (const NamedEntity& n : Entities)
                if (n.name == ref) u = n.u;
        }
        out += u;
        i = semi + 1;
    }
    return out;
}

/// The text of a token element as MathML reads it: white space trimmed and collapsed, then
/// the references replaced (so that a referenced space stays).
std::u32string TokenText(const XmlNode& e, bool& lossy) {
    std::string raw;
    for (const XmlNode& c : e.children) {
        if (c.isText)
            raw += c.text;
        else
            lossy = true; // mglyph, malignmark and the like
    }
    std::string collapsed;
    for (char c : raw) {
        if (IsXmlSpace(c)) {
            if (!collapsed.empty() && collapsed.back() != ' ') collapsed += ' ';
        } else {
            collapsed += c;
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
    return Decode(collapsed);
}

std::string Utf8(const std::u32string& text) {
    std::string out;
    for (char32_t u : text)
        AppendUtf8(out, u);
    return out;
}

/// The element children of `e`.
std::vector<const XmlNode*> Elements(const XmlNode& e) {
    std::vector<const XmlNode*> out;
    for (const XmlNode& c : e.children)
        if (!c.isText) out.push_back(&c);
    return out;
}

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
    const std::optional<XmlNode> math = XmlReader(mathml).ReadMath();
    if (!math) return std::nullopt;
    return MathMLConverter().Convert(*math);
}

} // namespace zelm

// The LaTeX reader: the LaTeX the writer makes and the usual variants, read into the structure
// model. A recursive descent whose every level counts against DeepestPastedNesting, so no
// input reaches deeper; what a line cannot hold comes in as its plain text, marked lossy.
#include <array>
#include <string>

#include "formula/DeclMath.h"
#include "formula/MathReaders.h"
#include "formula/MathReading.h"

namespace zelm {

namespace {

using namespace reading;

/// What a command does; the table below gives each command its action and value.
enum class Act : unsigned char {
    Symbol,     ///< a "Symbol" character (value: its code)
    Char,       ///< a Windows-1252 character (value)
    Sign,       ///< a sign of the line (value: the structure kind)
    Name,       ///< a function name (value: the name-table index)
    Drop,       ///< spacing and style switches that the line has no use for
    DropArg,    ///< the same with one argument
    Fraction,   ///< value 1: slanted
    Root,       ///< with its optional index
    Limits,     ///< integral or sum (value: the structure kind)
    Upright,    ///< \mathrm: the line's upright "d" and "e", else its content
    Text,       ///< text mode: its characters as they are
    Operator,   ///< \operatorname: a name of the table, else its letters
    Content,    ///< a style the line shows anyway: its content
    Lossy,      ///< a style or accent the line cannot show: its content, lossy
    Underline,  ///< the underline switches around the content
    Colour,     ///< \textcolor: the colour switches around the content
    ColourRest, ///< \color: the colour switches around the rest of the group
    Binomial,   ///< its two arguments in brackets, lossy
    Over,       ///< \over: what came before over what follows
};

struct Command {
    std::string_view name;
    Act act;
    unsigned char value = 0;
};

constexpr unsigned char K(StructKind k) {
    return static_cast<unsigned char>(k);
}

constexpr Command Commands[] = {
    // Greek letters of the "Symbol" font.
    {"alpha", Act::Symbol, 'a'},
    {"beta", Act::Symbol, 'b'},
    {"gamma", Act::Symbol, 'g'},
    {"delta", Act::Symbol, 'd'},
    {"epsilon", Act::Symbol, 'e'},
    {"varepsilon", Act::Symbol, 'e'},
    {"zeta", Act::Symbol, 'z'},
    {"eta", Act::Symbol, 'h'},
    {"theta", Act::Symbol, 'q'},
    {"vartheta", Act::Symbol, 'J'},
    {"iota", Act::Symbol, 'i'},
    {"kappa", Act::Symbol, 'k'},
    {"lambda", Act::Symbol, 'l'},
    {"mu", Act::Symbol, 'm'},
    {"nu", Act::Symbol, 'n'},
    {"xi", Act::Symbol, 'x'},
    {"omicron", Act::Symbol, 'o'},
    {"varpi", Act::Symbol, 'v'},
    {"rho", Act::Symbol, 'r'},
    {"varrho", Act::Symbol, 'r'},
    {"sigma", Act::Symbol, 's'},
    {"varsigma", Act::Symbol, 'V'},
    {"tau", Act::Symbol, 't'},
    {"upsilon", Act::Symbol, 'u'},
    {"phi", Act::Symbol, 'j'},
    {"varphi", Act::Symbol, 'f'},
    {"chi", Act::Symbol, 'c'},
    {"psi", Act::Symbol, 'y'},
    {"omega", Act::Symbol, 'w'},
    {"Alpha", Act::Symbol, 'A'},
    {"Beta", Act::Symbol, 'B'},
    {"Gamma", Act::Symbol, 'G'},
    {"Delta", Act::Symbol, 'D'},
    {"Epsilon", Act::Symbol, 'E'},
    {"Zeta", Act::Symbol, 'Z'},
    {"Eta", Act::Symbol, 'H'},
    {"Theta", Act::Symbol, 'Q'},
    {"Iota", Act::Symbol, 'I'},
    {"Kappa", Act::Symbol, 'K'},
    {"Lambda", Act::Symbol, 'L'},
    {"Mu", Act::Symbol, 'M'},
    {"Nu", Act::Symbol, 'N'},
    {"Xi", Act::Symbol, 'X'},
    {"Omicron", Act::Symbol, 'O'},
    {"Pi", Act::Symbol, 'P'},
    {"Rho", Act::Symbol, 'R'},
    {"Sigma", Act::Symbol, 'S'},
    {"Tau", Act::Symbol, 'T'},
    {"Upsilon", Act::Symbol, 'U'},
    {"Phi", Act::Symbol, 'F'},
    {"Chi", Act::Symbol, 'C'},
    {"Psi", Act::Symbol, 'Y'},
    {"Omega", Act::Symbol, 'W'},
    // Other characters of the "Symbol" font.
    {"infty", Act::Symbol, 0xA5},
    {"leq", Act::Symbol, 0xA3},
    {"le", Act::Symbol, 0xA3},
    {"geq", Act::Symbol, 0xB3},
    {"ge", Act::Symbol, 0xB3},
    {"neq", Act::Symbol, 0xB9},
    {"ne", Act::Symbol, 0xB9},
    {"approx", Act::Symbol, 0xBB},
    {"equiv", Act::Symbol, 0xBA},
    {"partial", Act::Symbol, 0xB6},
    {"nabla", Act::Symbol, 0xD1},
    {"forall", Act::Symbol, 0x22},
    {"exists", Act::Symbol, 0x24},
    {"in", Act::Symbol, 0xCE},
    {"notin", Act::Symbol, 0xCF},
    {"ni", Act::Symbol, 0x27},
    {"owns", Act::Symbol, 0x27},
    {"subset", Act::Symbol, 0xCC},
    {"subseteq", Act::Symbol, 0xCD},
    {"supset", Act::Symbol, 0xC9},
    {"supseteq", Act::Symbol, 0xCA},
    {"cap", Act::Symbol, 0xC7},
    {"cup", Act::Symbol, 0xC8},
    {"emptyset", Act::Symbol, 0xC6},
    {"varnothing", Act::Symbol, 0xC6},
    {"otimes", Act::Symbol, 0xC4},
    {"oplus", Act::Symbol, 0xC5},
    {"wedge", Act::Symbol, 0xD9},
    {"land", Act::Symbol, 0xD9},
    {"vee", Act::Symbol, 0xDA},
    {"lor", Act::Symbol, 0xDA},
    {"rightarrow", Act::Symbol, 0xAE},
    {"to", Act::Symbol, 0xAE},
    {"leftarrow", Act::Symbol, 0xAC},
    {"gets", Act::Symbol, 0xAC},
    {"uparrow", Act::Symbol, 0xAD},
    {"downarrow", Act::Symbol, 0xAF},
    {"leftrightarrow", Act::Symbol, 0xAB},
    {"Rightarrow", Act::Symbol, 0xDE},
    {"implies", Act::Symbol, 0xDE},
    {"Leftarrow", Act::Symbol, 0xDC},
    {"impliedby", Act::Symbol, 0xDC},
    {"Leftrightarrow", Act::Symbol, 0xDB},
    {"iff", Act::Symbol, 0xDB},
    {"Uparrow", Act::Symbol, 0xDD},
    {"Downarrow", Act::Symbol, 0xDF},
    {"propto", Act::Symbol, 0xB5},
    {"sim", Act::Symbol, 0x7E},
    {"cong", Act::Symbol, 0x40},
    {"perp", Act::Symbol, 0x5E},
    {"bot", Act::Symbol, 0x5E},
    {"therefore", Act::Symbol, 0x5C},
    {"angle", Act::Symbol, 0xD0},
    {"aleph", Act::Symbol, 0xC0},
    {"Im", Act::Symbol, 0xC1},
    {"Re", Act::Symbol, 0xC2},
    {"wp", Act::Symbol, 0xC3},
    {"prod", Act::Symbol, 0xD5},
    {"surd", Act::Symbol, 0xD6},
    {"prime", Act::Symbol, 0xA2},
    {"lozenge", Act::Symbol, 0xE0},
    {"diamond", Act::Symbol, 0xE0},
    {"langle", Act::Symbol, 0xE1},
    {"rangle", Act::Symbol, 0xF1},
    {"clubsuit", Act::Symbol, 0xA7},
    {"diamondsuit", Act::Symbol, 0xA8},
    {"heartsuit", Act::Symbol, 0xA9},
    {"spadesuit", Act::Symbol, 0xAA},
    {"ast", Act::Symbol, 0x2A},
    // Windows-1252 characters.
    {"pm", Act::Char, 0xB1},
    {"div", Act::Char, 0xF7},
    {"neg", Act::Char, 0xAC},
    {"lnot", Act::Char, 0xAC},
    {"ldots", Act::Char, 0x85},
    {"dots", Act::Char, 0x85},
    {"cdots", Act::Char, 0x85},
    {"dotsc", Act::Char, 0x85},
    {"dotsb", Act::Char, 0x85},
    {"bullet", Act::Char, 0x95},
    {"circ", Act::Char, 0xB0},
    {"degree", Act::Char, 0xB0},
    {"euro", Act::Char, 0x80},
    {"backslash", Act::Char, '\\'},
    {"setminus", Act::Char, '\\'},
    {"textbackslash", Act::Char, '\\'},
    {"colon", Act::Char, ':'},
    {"lbrace", Act::Char, '{'},
    {"rbrace", Act::Char, '}'},
    {"lbrack", Act::Char, '['},
    {"rbrack", Act::Char, ']'},
    {"lt", Act::Char, '<'},
    {"gt", Act::Char, '>'},
    {"{", Act::Char, '{'},
    {"}", Act::Char, '}'},
    {"%", Act::Char, '%'},
    {"&", Act::Char, '&'},
    {"#", Act::Char, '#'},
    {"$", Act::Char, '$'},
    {"_", Act::Char, '_'},
    {" ", Act::Char, ' '},
    {"space", Act::Char, ' '},
    // The line's signs.
    {"pi", Act::Sign, K(StructKind::Pi)},
    {"times", Act::Sign, K(StructKind::BoldX)},
    {"cdot", Act::Sign, K(StructKind::Dot)},
    {"cdotp", Act::Sign, K(StructKind::Dot)},
    {"vert", Act::Sign, K(StructKind::Bar)},
    {"lvert", Act::Sign, K(StructKind::Bar)},
    {"rvert", Act::Sign, K(StructKind::Bar)},
    {"mid", Act::Sign, K(StructKind::Bar)},
    // Function names of the table.
    {"sin", Act::Name, 19},
    {"cos", Act::Name, 16},
    {"tan", Act::Name, 20},
    {"arcsin", Act::Name, 17},
    {"arctan", Act::Name, 18},
    {"ln", Act::Name, 21},
    {"log", Act::Name, NameLog},
    {"exp", Act::Name, 14},
    // Spacing and style.
    {",", Act::Drop},
    {":", Act::Drop},
    {";", Act::Drop},
    {"!", Act::Drop},
    {">", Act::Drop},
    {"quad", Act::Drop},
    {"qquad", Act::Drop},
    {"enspace", Act::Drop},
    {"thinspace", Act::Drop},
    {"medspace", Act::Drop},
    {"thickspace", Act::Drop},
    {"negthinspace", Act::Drop},
    {"negmedspace", Act::Drop},
    {"negthickspace", Act::Drop},
    {"displaystyle", Act::Drop},
    {"textstyle", Act::Drop},
    {"scriptstyle", Act::Drop},
    {"scriptscriptstyle", Act::Drop},
    {"limits", Act::Drop},
    {"nolimits", Act::Drop},
    {"big", Act::Drop},
    {"Big", Act::Drop},
    {"bigg", Act::Drop},
    {"Bigg", Act::Drop},
    {"bigl", Act::Drop},
    {"bigr", Act::Drop},
    {"Bigl", Act::Drop},
    {"Bigr", Act::Drop},
    {"biggl", Act::Drop},
    {"biggr", Act::Drop},
    {"Biggl", Act::Drop},
    {"Biggr", Act::Drop},
    {"nonumber", Act::Drop},
    {"notag", Act::Drop},
    {"hspace", Act::DropArg},
    {"label", Act::DropArg},
    {"phantom", Act::DropArg},
    // Structures.
    {"frac", Act::Fraction},
    {"dfrac", Act::Fraction},
    {"tfrac", Act::Fraction},
    {"cfrac", Act::Fraction},
    {"sfrac", Act::Fraction, 1},
    {"nicefrac", Act::Fraction, 1},
    {"sqrt", Act::Root},
    {"int", Act::Limits, K(StructKind::Integral)},
    {"intop", Act::Limits, K(StructKind::Integral)},
    {"sum", Act::Limits, K(StructKind::Sum)},
    {"mathrm", Act::Upright},
    {"text", Act::Text},
    {"textrm", Act::Text},
    {"textnormal", Act::Text},
    {"textup", Act::Text},
    {"mbox", Act::Text},
    {"operatorname", Act::Operator},
    {"mathit", Act::Content},
    {"mathnormal", Act::Content},
    {"textit", Act::Content},
    {"mathbf", Act::Lossy},
    {"textbf", Act::Lossy},
    {"boldsymbol", Act::Lossy},
    {"bm", Act::Lossy},
    {"pmb", Act::Lossy},
    {"mathbb", Act::Lossy},
    {"mathcal", Act::Lossy},
    {"mathfrak", Act::Lossy},
    {"mathscr", Act::Lossy},
    {"mathsf", Act::Lossy},
    {"mathtt", Act::Lossy},
    {"hat", Act::Lossy},
    {"widehat", Act::Lossy},
    {"bar", Act::Lossy},
    {"overline", Act::Lossy},
    {"vec", Act::Lossy},
    {"tilde", Act::Lossy},
    {"widetilde", Act::Lossy},
    {"dot", Act::Lossy},
    {"ddot", Act::Lossy},
    {"check", Act::Lossy},
    {"breve", Act::Lossy},
    {"acute", Act::Lossy},
    {"grave", Act::Lossy},
    {"mathring", Act::Lossy},
    {"overrightarrow", Act::Lossy},
    {"overleftarrow", Act::Lossy},
    {"overbrace", Act::Lossy},
    {"underbrace", Act::Lossy},
    {"boxed", Act::Lossy},
    {"cancel", Act::Lossy},
    {"underline", Act::Underline},
    {"textcolor", Act::Colour},
    {"color", Act::ColourRest},
    {"binom", Act::Binomial},
    {"dbinom", Act::Binomial},
    {"tbinom", Act::Binomial},
    {"over", Act::Over},
};

const Command* FindCommand(std::string_view name) {
    for (const Command& c : Commands)
        if (c.name == name) return &c;
    return nullptr;
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

/// Environments that hold one formula, perhaps aligned over several rows.
bool IsFormulaEnvironment(std::string_view env) {
    static constexpr std::array<std::string_view, 16> names = {
        "equation",  "equation*", "displaymath", "math",     "align", "align*",
        "aligned",   "gather",    "gather*",     "gathered", "split", "multline",
        "multline*", "flalign",   "flalign*",    "alignat"};
    for (std::string_view n : names)
        if (n == env) return true;
    return false;
}

class LatexParser {
public:
    explicit LatexParser(std::string_view s) : s_(s) {}

    std::optional<ReadResult> Read() {
        // Closers of nothing end no row at the top level, so this reads the whole input.
        MathNode row = ParseRow(DPlace::Elsewhere);
        if (refused_) return std::nullopt;
        return ReadResult{std::move(row), lossy_};
    }

private:
    /// One level of nesting for as long as it lives; too deep refuses the whole input.
    struct Level {
        explicit Level(LatexParser& p) : p(p) {
            if (++p.depth_ > DeepestPastedNesting) p.refused_ = true;
        }
        ~Level() { --p.depth_; }
        LatexParser& p;
    };

    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

    /// Skips white space and comments.
    void SkipSpace() {
        while (!AtEnd()) {
            if (IsSpace(s_[pos_])) {
                ++pos_;
            } else if (s_[pos_] == '%') {
                while (!AtEnd() && s_[pos_] != '\n')
                    ++pos_;
            } else {
                return;
            }
        }
    }

    /// The name of the command at the backslash at pos_, without moving.
    std::string_view CommandAt(std::size_t at) const {
        if (at >= s_.size() || s_[at] != '\\' || at + 1 >= s_.size()) return {};
        std::size_t end = at + 1;
        while (end < s_.size() && IsLetter(s_[end]))
            ++end;
        if (end == at + 1) ++end; // a one-character command such as \, or \{
        return s_.substr(at + 1, end - at - 1);
    }

    /// Whether the row being read ends here: a closer of a group, \left or environment that
    /// is open, or the "]" of a root's index.
    bool AtTerminator() const {
        const char c = Peek();
        if (c == '}') return braces_ > 0;
        if (c == ']') return brackets_ > 0 && bracketDepth_ == depth_;
        if (c != '\\') return false;
        const std::string_view cmd = CommandAt(pos_);
        return (cmd == "right" && lefts_ > 0) || (cmd == "end" && envs_ > 0);
    }

    MathNode ParseRow(DPlace d) {
        Level level(*this);
        MathNode row = Node(NodeKind::Row, {});
        while (!refused_) {
            SkipSpace();
            if (AtEnd() || AtTerminator()) break;
            ParseItem(row, d);
        }
        return row;
    }

    /// A group `{...}` at pos_, its closing brace consumed when it is there.
    MathNode ParseGroup(DPlace d) {
        ++pos_;
        ++braces_;
        MathNode row = ParseRow(d);
        --braces_;
        if (Peek() == '}') ++pos_;
        return row;
    }

    /// A command's argument: a group, or a single character or command.
    MathNode ParseArg(DPlace d) {
        SkipSpace();
        if (Peek() == '{') return ParseGroup(d);
        Level level(*this);
        MathNode row = Node(NodeKind::Row, {});
        if (!refused_ && !AtEnd() && !AtTerminator()) ParseItem(row, d);
        return row;
    }

    /// The raw text of a group `{...}` (nested braces kept) or of one character.
    std::string_view ReadRaw() {
        SkipSpace();
        if (AtEnd()) return {};
        if (Peek() != '{') {
            std::size_t at = pos_;
            NextCodePoint(s_, pos_);
            return s_.substr(at, pos_ - at);
        }
        const std::size_t start = ++pos_;
        int open = 1;
        for (; !AtEnd(); ++pos_) {
            if (s_[pos_] == '\\') {
                ++pos_;
                continue;
            }
            if (s_[pos_] == '{') ++open;
            if (s_[pos_] == '}' && --open == 0) break;
        }
        const std::size_t end = std::min(pos_, s_.size());
        if (!AtEnd()) ++pos_;
        return s_.substr(start, end - start);
    }

    /// Text-mode characters of `raw`: spaces kept, the escaped specials as themselves.
    void AppendTextMode(MathNode& row, std::string_view raw) {
        std::size_t i = 0;
        while (i < raw.size()) {
            const char c = raw[i];
            if (c == '{' || c == '}') {
                ++i;
            } else if (c == '\\' && i + 1 < raw.size()) {
                std::size_t end = i + 1;
                while (end < raw.size() && IsLetter(raw[end]))
                    ++end;
                if (end == i + 1) ++end;
                const Command* cmd = FindCommand(raw.substr(i + 1, end - i - 1));
                if (cmd && cmd->act == Act::Char)
                    row.children.push_back(Leaf(NodeKind::Char, cmd->value));
                else if (!cmd || cmd->act != Act::Drop)
                    lossy_ = true;
                i = end;
            } else if (c == '$' || c == '~') {
                if (c == '~') row.children.push_back(Leaf(NodeKind::Char, ' '));
                ++i;
            } else {
                const char32_t u = NextCodePoint(raw, i);
                AppendCharacter(row, u < 0x80 && IsSpace(char(u)) ? U' ' : u, lossy_);
            }
        }
    }

    /// An optional argument `[...]`; empty when there is none.
    MathNode ParseOptional(DPlace d) {
        SkipSpace();
        if (Peek() != '[') return Node(NodeKind::Row, {});
        ++pos_;
        ++brackets_;
        const int outer = bracketDepth_;
        bracketDepth_ = depth_ + 1;
        MathNode row = ParseRow(d);
        bracketDepth_ = outer;
        --brackets_;
        if (Peek() == ']') ++pos_;
        return row;
    }

    /// The delimiter after \left, \right or \middle: its character, 0 for ".".
    char32_t ReadDelimiter() {
        SkipSpace();
        if (AtEnd()) return 0;
        if (Peek() != '\\') {
            const char32_t u = NextCodePoint(s_, pos_);
            return u == '.' ? 0 : u;
        }
        const std::string_view cmd = CommandAt(pos_);
        pos_ += cmd.size() + 1;
        if (cmd == "{" || cmd == "lbrace") return '{';
        if (cmd == "}" || cmd == "rbrace") return '}';
        if (cmd == "vert" || cmd == "lvert" || cmd == "rvert") return '|';
        if (cmd == "langle") return 0x27E8;
        if (cmd == "rangle") return 0x27E9;
        if (cmd == "lbrack") return '[';
        if (cmd == "rbrack") return ']';
        return '?';
    }

    void ParseLeft(MathNode& row, DPlace d) {
        const char32_t open = ReadDelimiter();
        ++lefts_;
        MathNode content = ParseRow(d);
        --lefts_;
        char32_t close = ')';
        if (CommandAt(pos_) == "right") {
            pos_ += 6;
            close = ReadDelimiter();
        }
        if (open == '(' && close == ')') {
            row.children.push_back(Node(NodeKind::Bracket, {std::move(content)}));
            return;
        }
        // A growing bracket of another shape: its characters around the content.
        lossy_ = true;
        if (open) AppendCharacter(row, open, lossy_);
        Splice(row, std::move(content));
        if (close) AppendCharacter(row, close, lossy_);
    }

    /// An integral or sum with its limits, in either order, \limits between them.
    void ParseLimits(MathNode& row, StructKind kind) {
        MathNode lower = Node(NodeKind::Row, {}), upper = Node(NodeKind::Row, {});
        bool haveLower = false, haveUpper = false;
        while (true) {
            SkipSpace();
            const std::string_view cmd = CommandAt(pos_);
            if (cmd == "limits" || cmd == "nolimits" || cmd == "," || cmd == "!") {
                pos_ += cmd.size() + 1;
            } else if (Peek() == '_' && !haveLower) {
                ++pos_;
                lower = ParseArg(DPlace::Elsewhere);
                haveLower = true;
            } else if (Peek() == '^' && !haveUpper) {
                ++pos_;
                upper = ParseArg(DPlace::Elsewhere);
                haveUpper = true;
            } else {
                break;
            }
        }
        const NodeKind node = kind == StructKind::Integral ? NodeKind::Integral : NodeKind::Sum;
        row.children.push_back(Node(node, {std::move(lower), std::move(upper)}));
    }

    /// "log" with its base, as `\log_{b}` writes it.
    void ParseLog(MathNode& row) {
        SkipSpace();
        MathNode base = Node(NodeKind::Row, {});
        if (Peek() == '_') {
            ++pos_;
            base = ParseArg(DPlace::Elsewhere);
        }
        row.children.push_back(Node(NodeKind::Log, {std::move(base)}));
    }

    void AppendName(MathNode& row, unsigned char index) {
        if (index == NameLog)
            ParseLog(row);
        else
            row.children.push_back(NameNode(index));
    }

    /// After an empty group: `{}^{a}\!/_{b}`, the writer's slanted fraction, or else the
    /// power that `{}^{a}` is. Nothing is read twice, so nested tries cost no more than one.
    bool PowerOrSlanted(MathNode& row) {
        SkipSpace();
        if (Peek() != '^') return false;
        ++pos_;
        MathNode numerator = ParseArg(DPlace::Elsewhere);
        const std::size_t afterPower = pos_;
        SkipSpace();
        while (CommandAt(pos_) == "!" || CommandAt(pos_) == ",") {
            pos_ += 2;
            SkipSpace();
        }
        if (Peek() == '/') {
            ++pos_;
            SkipSpace();
            if (Peek() == '_') {
                ++pos_;
                MathNode denominator = ParseArg(DPlace::Elsewhere);
                row.children.push_back(
                    Node(NodeKind::Slanted, {std::move(numerator), std::move(denominator)}));
                return true;
            }
        }
        pos_ = afterPower;
        row.children.push_back(Node(NodeKind::Power, {std::move(numerator)}));
        return true;
    }

    void ParseEnvironment(MathNode& row, DPlace d) {
        const std::string_view env = ReadRaw();
        const bool formula = IsFormulaEnvironment(env);
        if (!formula) lossy_ = true; // matrices, cases and the like: their cells in a row
        if (env == "array") ReadRaw();
        ++envs_;
        Splice(row, ParseRow(d));
        --envs_;
        if (CommandAt(pos_) == "end") {
            pos_ += 4;
            ReadRaw();
        }
    }

    void ParseCommand(MathNode& row, DPlace d) {
        const std::string_view name = CommandAt(pos_);
        if (name.empty()) { // a backslash at the very end
            ++pos_;
            lossy_ = true;
            return;
        }
        pos_ += name.size() + 1;
        if (name == "left") return ParseLeft(row, d);
        if (name == "begin") return ParseEnvironment(row, d);
        if (name == "\\" || name == "right" || name == "end" || name == "middle") {
            // A row break, or a closer of nothing: the line has one row.
            if (name == "right" || name == "middle") ReadDelimiter();
            if (name == "end") ReadRaw();
            if (name == "\\") row.children.push_back(Leaf(NodeKind::Char, ' '));
            lossy_ = true;
            return;
        }
        const Command* cmd = FindCommand(name);
        if (!cmd) {
            // An unknown command: its name as letters.
            lossy_ = true;
            AppendText(row, name, lossy_);
            return;
        }
        switch (cmd->act) {
        case Act::Symbol:
            row.children.push_back(Leaf(NodeKind::Symbol, cmd->value));
            return;
        case Act::Char:
            row.children.push_back(Leaf(NodeKind::Char, cmd->value));
            return;
        case Act::Sign:
            row.children.push_back(Leaf(NodeKind::Sign, cmd->value));
            return;
        case Act::Name:
            return AppendName(row, cmd->value);
        case Act::Drop:
            return;
        case Act::DropArg:
            ReadRaw();
            return;
        case Act::Fraction: {
            MathNode numerator = ParseArg(cmd->value ? DPlace::Elsewhere : DPlace::Numerator);
            MathNode denominator = ParseArg(cmd->value ? DPlace::Elsewhere : DPlace::Denominator);
            const NodeKind kind = cmd->value ? NodeKind::Slanted : NodeKind::Fraction;
            row.children.push_back(Node(kind, {std::move(numerator), std::move(denominator)}));
            return;
        }
        case Act::Root: {
            MathNode index = ParseOptional(DPlace::Elsewhere);
            MathNode radicand = ParseArg(DPlace::Elsewhere);
            row.children.push_back(Node(NodeKind::Root, {std::move(index), std::move(radicand)}));
            return;
        }
        case Act::Limits:
            return ParseLimits(row, static_cast<StructKind>(cmd->value));
        case Act::Upright: {
            MathNode content = ParseArg(d);
            if (content.children.size() == 1 && content.children[0].kind == NodeKind::Char) {
                const unsigned char c = content.children[0].value;
                if (c == 'd') return row.children.push_back(DSign(d));
                if (c == 'e')
                    return row.children.push_back(Leaf(NodeKind::Sign, K(StructKind::BoldE)));
            }
            return Splice(row, std::move(content));
        }
        case Act::Text:
            return AppendTextMode(row, ReadRaw());
        case Act::Operator: {
            if (Peek() == '*') ++pos_;
            const std::string_view text = ReadRaw();
            if (const auto index = NameIndexOf(text); index && *index >= FirstRecognisedName)
                return AppendName(row, *index);
            lossy_ = true;
            return AppendTextMode(row, text);
        }
        case Act::Content:
            return Splice(row, ParseArg(d));
        case Act::Lossy:
            lossy_ = true;
            return Splice(row, ParseArg(d));
        case Act::Underline:
            row.children.push_back(Node(NodeKind::Underline, {ParseArg(d)}));
            return;
        case Act::Colour:
            SkipSpace();
            if (Peek() == '[') ReadBracketRaw();
            ReadRaw();
            row.children.push_back(Node(NodeKind::Colour, {ParseArg(d)}));
            return;
        case Act::ColourRest:
            ReadRaw();
            row.children.push_back(Node(NodeKind::Colour, {ParseRow(d)}));
            return;
        case Act::Binomial: {
            lossy_ = true;
            MathNode top = ParseArg(DPlace::Elsewhere);
            MathNode bottom = ParseArg(DPlace::Elsewhere);
            row.children.push_back(Leaf(NodeKind::Char, '('));
            Splice(row, std::move(top));
            row.children.push_back(Leaf(NodeKind::Char, ','));
            Splice(row, std::move(bottom));
            row.children.push_back(Leaf(NodeKind::Char, ')'));
            return;
        }
        case Act::Over: {
            MathNode numerator = std::move(row);
            MathNode denominator = ParseRow(DPlace::Denominator);
            row = Node(NodeKind::Row,
                       {Node(NodeKind::Fraction, {std::move(numerator), std::move(denominator)})});
            return;
        }
        }
    }

    /// Skips `[...]` without reading it (the colour model of \textcolor).
    void ReadBracketRaw() {
        while (!AtEnd() && s_[pos_] != ']')
            ++pos_;
        if (!AtEnd()) ++pos_;
    }

    void ParseItem(MathNode& row, DPlace d) {
        const char c = Peek();
        switch (c) {
        case '{': {
            MathNode group = ParseGroup(d);
            if (group.children.empty() && PowerOrSlanted(row)) return;
            return Splice(row, std::move(group));
        }
        case '}':
        case ']':
            // Only when it closes nothing (a terminator ends the row before this).
            if (c == '}') lossy_ = true;
            if (c == ']') row.children.push_back(Leaf(NodeKind::Char, ']'));
            ++pos_;
            return;
        case '^':
        case '_': {
            ++pos_;
            MathNode script = ParseArg(DPlace::Elsewhere);
            const NodeKind kind = c == '^' ? NodeKind::Power : NodeKind::Index;
            row.children.push_back(Node(kind, {std::move(script)}));
            return;
        }
        case '\\':
            return ParseCommand(row, d);
        case '~':
            ++pos_;
            row.children.push_back(Leaf(NodeKind::Char, ' '));
            return;
        case '&':
            // A cell boundary: within a formula's alignment nothing, between cells a space.
            ++pos_;
            row.children.push_back(Leaf(NodeKind::Char, ' '));
            lossy_ = true;
            return;
        case '$': // math shifts inside the formula: the formula goes on
            ++pos_;
            return;
        default:
            break;
        }
        const char32_t u = NextCodePoint(s_, pos_);
        if (u == 0x222B) return ParseLimits(row, StructKind::Integral);
        if (u == 0x2211) return ParseLimits(row, StructKind::Sum);
        AppendMathCharacter(row, u, lossy_);
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    int braces_ = 0, lefts_ = 0, envs_ = 0, brackets_ = 0, bracketDepth_ = -1;
    bool lossy_ = false;
    bool refused_ = false;
};

bool StartsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

bool EndsWith(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && s.substr(s.size() - p.size()) == p;
}

/// The formula without the math delimiters around it.
std::string_view WithoutDelimiters(std::string_view s) {
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    constexpr std::array<std::pair<std::string_view, std::string_view>, 4> pairs = {
        {{"$$", "$$"}, {"\\[", "\\]"}, {"\\(", "\\)"}, {"$", "$"}}};
    for (const auto& [open, close] : pairs)
        if (s.size() >= open.size() + close.size() && StartsWith(s, open) && EndsWith(s, close))
            return s.substr(open.size(), s.size() - open.size() - close.size());
    return s;
}

} // namespace

std::optional<ReadResult> ReadLatex(std::string_view latex) {
    if (latex.size() > LongestPastedFormula) return std::nullopt;
    return LatexParser(WithoutDelimiters(latex)).Read();
}

} // namespace zelm

// The LaTeX reader: the LaTeX the writer makes and the usual variants, read into the structure
// model. A recursive descent whose every level counts against DeepestPastedNesting, so no
// input reaches deeper; what a line cannot hold comes in as its plain text, marked lossy.
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "exchange/LatexCommands.h"
#include "exchange/MathReaders.h"
#include "exchange/ReaderNodes.h"
#include "formula/Charset.h"
#include "formula/DeclMath.h"

namespace zelm {

namespace {

using namespace reading;
using namespace latex;

bool IsDegree(const MathNode& n) {
    return n.kind == NodeKind::Symbol && n.value == 0xB0;
}

class LatexParser {
public:
    /// `depth`: the levels around `s` when it is mathematics inside text inside mathematics.
    explicit LatexParser(std::string_view s, int depth = 0) : s_(s), depth_(depth) {}

    std::optional<ReadResult> Read() {
        // Closers of nothing end no row at the top level, so this reads the whole input.
        MathNode row = ParseRow(DPlace::Elsewhere);
        if (refused_) return std::nullopt;
        return ReadResult{std::move(row), lossy_, std::move(changes_), onlyText_};
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

    /// Names what came in otherwise than it stood, once.
    void Note(std::string change) {
        lossy_ = true;
        for (const std::string& known : changes_)
            if (known == change) return;
        changes_.push_back(std::move(change));
    }

    bool AtEnd() const { return pos_ >= s_.size(); }
    char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

    void SkipSpace() { pos_ = AfterTexSpace(s_, pos_); }
    std::string_view CommandAt(std::size_t at) const { return latex::CommandAt(s_, at); }

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

    /// The rest of the row being read, as a row of its own that ends where that row ends.
    MathNode RestOfRow(DPlace d) {
        const int outer = bracketDepth_;
        if (bracketDepth_ == depth_) ++bracketDepth_; // a root's index goes on to its "]"
        MathNode rest = ParseRow(d);
        bracketDepth_ = outer;
        return rest;
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
                while (end < raw.size() && IsAsciiLetter(raw[end]))
                    ++end;
                if (end == i + 1) ++end;
                const Command* cmd = FindCommand(raw.substr(i + 1, end - i - 1));
                if (cmd && cmd->act == Act::Char)
                    row.children.push_back(Leaf(NodeKind::Char, cmd->value));
                else if (!cmd || cmd->act != Act::Drop)
                    Note("\\" + std::string(raw.substr(i + 1, end - i - 1)) + " genegeerd");
                i = end;
            } else if (c == '$') {
                // Mathematics inside the text, as far as the next "$".
                const std::size_t end = std::min(raw.find('$', i + 1), raw.size());
                LatexParser inner(raw.substr(i + 1, end - i - 1), depth_ + 1);
                inner.inText_ = true;
                inner.inColour_ = inColour_;
                std::optional<ReadResult> math = inner.Read();
                if (!math) {
                    refused_ = true;
                    return;
                }
                lossy_ = lossy_ || math->lossy;
                for (std::string& change : math->changes)
                    Note(std::move(change));
                Splice(row, std::move(math->row));
                i = end + 1;
            } else if (c == '~') {
                row.children.push_back(Leaf(NodeKind::Char, ' '));
                ++i;
            } else {
                const char32_t u = NextCodePoint(raw, i);
                AppendCharacter(row, u < 0x80 && IsTexSpace(char(u)) ? U' ' : u, lossy_);
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
        if (const auto u = DelimiterOf(cmd)) return *u;
        Note("\\" + std::string(cmd) + " als ?");
        return '?';
    }

    /// `\middle` within `\left...\right`: its delimiter as the line's character or bar.
    void ParseMiddle(MathNode& row) {
        if (const char32_t u = ReadDelimiter()) AppendMathCharacter(row, u, lossy_);
    }

    void ParseLeft(MathNode& row) {
        const char32_t open = ReadDelimiter();
        ++lefts_;
        MathNode content = ParseRow(DPlace::Elsewhere);
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
        Note("groeiende haakjes als vaste tekens");
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
        if (!haveLower && !haveUpper) {
            // Without limits the writer's sign is the font's character.
            row.children.push_back(
                Leaf(NodeKind::Symbol, kind == StructKind::Integral ? 0xF2 : 0xE5));
            return;
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
        row.children.push_back(LogNode(std::move(base)));
    }

    void AppendName(MathNode& row, unsigned char index) {
        if (index == NameLog)
            ParseLog(row);
        else
            row.children.push_back(NameNode(index));
    }

    /// An operator the name table lacks (`what` names it for the user): its letters, none of
    /// them read as one of the line's names; with a limit or power the word in brackets, so
    /// that the scripts that follow belong to the whole word and not to its last letter.
    void ParseWord(MathNode& row, std::string_view letters, const std::string& what,
                   unsigned char form = 0) {
        if (form == 2) { // \pmod{n}: (mod n)
            AppendTextMode(row, "(mod ");
            Splice(row, ParseArg(DPlace::Elsewhere));
            AppendTextMode(row, ")");
            return Note(what + " als letters");
        }
        MathNode word = Node(NodeKind::Row, {});
        AppendTextMode(word, letters);
        ShieldNames(word);
        SkipSpace();
        for (std::string_view cmd = CommandAt(pos_); cmd == "limits" || cmd == "nolimits";
             cmd = CommandAt(pos_)) {
            pos_ += cmd.size() + 1;
            SkipSpace();
        }
        if (Peek() == '_' || Peek() == '^') {
            row.children.push_back(Node(NodeKind::Bracket, {std::move(word)}));
            return Note(what + " als (" + std::string(letters) + ")");
        }
        if (form == 1) row.children.push_back(Leaf(NodeKind::Char, ' '));
        Splice(row, std::move(word));
        // A space keeps the word apart from a letter that follows, as the operator did.
        const std::string_view next = CommandAt(pos_);
        if (form == 1 || IsAsciiLetter(Peek()) ||
            (!next.empty() && IsAsciiLetter(next[0]) && next != "left"))
            row.children.push_back(Leaf(NodeKind::Char, ' '));
        Note(what + " als letters");
    }

    /// `\not` and the relation it strikes: the font's struck sign where it has one, else
    /// the logical not in front of the relation.
    void ParseNot(MathNode& row, DPlace d) {
        MathNode relation = ParseArg(d);
        if (const auto struck = StruckSign(relation))
            return row.children.push_back(Leaf(NodeKind::Symbol, *struck));
        row.children.push_back(Leaf(NodeKind::Symbol, 0xD8));
        Splice(row, std::move(relation));
        Note("\\not als \xc2\xac");
    }

    /// `\textcolor` (or the rest of the group after `\color`): the line shows one colour, so
    /// only that colour comes in coloured, over exactly what it covers.
    void ParseColour(MathNode& row, DPlace d, std::string_view name, bool rest) {
        SkipSpace();
        std::string_view model;
        if (Peek() == '[') model = ReadBracketRaw();
        const std::string_view value = ReadRaw();
        const ColourFit fit = FitColour(model, value);
        const bool colours = fit == ColourFit::Line && !inColour_;
        const bool outer = inColour_;
        inColour_ = outer || colours;
        MathNode content = rest ? RestOfRow(d) : ParseArg(d);
        inColour_ = outer;
        if (colours) return row.children.push_back(Node(NodeKind::Colour, {std::move(content)}));
        if (fit == ColourFit::Other || (fit == ColourFit::None && outer))
            Note("\\" + std::string(name) + "{" + std::string(value) + "} genegeerd");
        Splice(row, std::move(content));
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
        if (CommandAt(pos_) == "!") {
            pos_ += 2;
            SkipSpace();
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
        }
        pos_ = afterPower;
        if (numerator.children.size() == 1 && IsDegree(numerator.children[0])) {
            // `{}^{\degree}`: the degree sign after an atom that has a power already.
            row.children.push_back(std::move(numerator.children[0]));
            return true;
        }
        row.children.push_back(Node(NodeKind::Power, {std::move(numerator)}));
        return true;
    }

    void ParseEnvironment(MathNode& row, DPlace d) {
        const std::string_view env = ReadRaw();
        const bool formula = IsFormulaEnvironment(env);
        if (!formula) Note(std::string(env) + " als één rij"); // matrices, cases: cells in a row
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
            return Note("losse \\ genegeerd");
        }
        pos_ += name.size() + 1;
        if (name == "left") return ParseLeft(row);
        if (name == "begin") return ParseEnvironment(row, d);
        if (name == "middle" && lefts_ > 0) return ParseMiddle(row);
        if (name == "\\" || name == "right" || name == "end" || name == "middle") {
            // A row break, or a closer of nothing: the line has one row.
            if (name == "right" || name == "middle") ReadDelimiter();
            if (name == "end") ReadRaw();
            if (name == "\\") row.children.push_back(Leaf(NodeKind::Char, ' '));
            return Note("\\" + std::string(name) + (name == "\\" ? " als spatie" : " genegeerd"));
        }
        if (name == "not") return ParseNot(row, d);
        const Command* cmd = FindCommand(name);
        if (!cmd) {
            // An unknown command: its name as letters.
            Note("\\" + std::string(name) + " als letters");
            AppendText(row, name, lossy_);
            return;
        }
        switch (cmd->act) {
        case Act::Nearest: {
            std::string nearest;
            AppendUtf8(nearest, SymbolToUnicode(cmd->value));
            Note("\\" + std::string(name) + " als " + nearest);
            [[fallthrough]];
        }
        case Act::Symbol:
            row.children.push_back(Leaf(NodeKind::Symbol, cmd->value));
            return;
        case Act::Char:
            // Within a text the tilde as typed is \textasciitilde; in its mathematics \sim is
            // the font's character.
            if (inText_ && name == "sim")
                return row.children.push_back(Leaf(NodeKind::Symbol, 0x7E));
            row.children.push_back(Leaf(NodeKind::Char, cmd->value));
            return;
        case Act::Sign:
            row.children.push_back(Leaf(NodeKind::Sign, cmd->value));
            return;
        case Act::Name:
            return AppendName(row, NameIndexOf(cmd->name).value());
        case Act::Word:
            return ParseWord(row, cmd->value ? "mod" : name, "\\" + std::string(name), cmd->value);
        case Act::Space:
            if (cmd->value && Peek() == '*') ++pos_;
            if (cmd->value && ReadRaw().starts_with('-')) return; // a negative skip
            return row.children.push_back(Leaf(NodeKind::Char, ' '));
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
                    return row.children.push_back(
                        Leaf(NodeKind::Sign, static_cast<unsigned char>(StructKind::BoldE)));
            }
            return Splice(row, std::move(content));
        }
        case Act::Text:
            if (cmd->value) Note("\\" + std::string(name) + " genegeerd");
            return ParseText(row, pos_ - name.size() - 1);
        case Act::Operator: {
            if (Peek() == '*') ++pos_;
            const std::string_view text = ReadRaw();
            if (const auto index = NameIndexOf(text); index && *index >= FirstRecognisedName)
                return AppendName(row, *index);
            return ParseWord(row, text, "\\operatorname{" + std::string(text) + "}");
        }
        case Act::Content:
            return Splice(row, ParseArg(d));
        case Act::Lossy:
            Note("\\" + std::string(name) + " genegeerd");
            return Splice(row, ParseArg(d));
        case Act::Underline:
            row.children.push_back(Node(NodeKind::Underline, {ParseArg(d)}));
            return;
        case Act::Colour:
            return ParseColour(row, d, name, false);
        case Act::ColourRest:
            return ParseColour(row, d, name, true);
        case Act::Binomial: {
            Note("\\" + std::string(name) + " als (a,b)");
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
            MathNode denominator = RestOfRow(DPlace::Denominator);
            row = Node(NodeKind::Row,
                       {Node(NodeKind::Fraction, {std::move(numerator), std::move(denominator)})});
            return;
        }
        }
    }

    /// The raw text of `[...]` at pos_ (the colour model of \textcolor).
    std::string_view ReadBracketRaw() {
        const std::size_t start = ++pos_;
        while (!AtEnd() && s_[pos_] != ']')
            ++pos_;
        const std::string_view raw = s_.substr(start, pos_ - start);
        if (!AtEnd()) ++pos_;
        return raw;
    }

    /// `\text{...}` at `at`. A formula that is only a text is a text line's; among maths its
    /// letters become the formula's italic letters, none read as a name.
    void ParseText(MathNode& row, std::size_t at) {
        std::size_t first = 0;
        while (first < s_.size() && IsTexSpace(s_[first]))
            ++first;
        MathNode text = Node(NodeKind::Row, {});
        AppendTextMode(text, ReadRaw());
        SkipSpace();
        const bool letters = HasAsciiLetter(text);
        if (first == at && AtEnd() && depth_ == 1)
            onlyText_ = letters;
        else if (letters) {
            Note("\\text als formuleletters");
            ShieldNames(text);
        }
        Splice(row, std::move(text));
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
            if (c == '}') Note("losse } genegeerd");
            if (c == ']') row.children.push_back(Leaf(NodeKind::Char, ']'));
            ++pos_;
            return;
        case '^':
        case '_': {
            ++pos_;
            MathNode script = ParseArg(DPlace::Elsewhere);
            if (c == '^' && script.children.size() == 1 && IsDegree(script.children[0])) {
                // `^{\degree}`: the degree sign the font has.
                row.children.push_back(std::move(script.children[0]));
                return;
            }
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
            Note("& als spatie");
            return;
        case '$': // math shifts inside the formula: the formula goes on
            ++pos_;
            return;
        case '|': // the bar sign is \vert; a bar as it is stays a character
            ++pos_;
            row.children.push_back(Leaf(NodeKind::Char, '|'));
            return;
        default:
            break;
        }
        const char32_t u = NextCodePoint(s_, pos_);
        if (u == 0x222B) return ParseLimits(row, StructKind::Integral);
        if (u == 0x2211) return ParseLimits(row, StructKind::Sum);
        AppendMathCharacter(row, u, lossy_);
        // Numbers listed with a space after the comma: the space keeps it from being a
        // decimal comma.
        if (u == ',' && IsListComma(row, s_, pos_))
            row.children.push_back(Leaf(NodeKind::Char, ' '));
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int depth_;
    int braces_ = 0, lefts_ = 0, envs_ = 0, brackets_ = 0, bracketDepth_ = -1;
    bool lossy_ = false;
    bool refused_ = false;
    bool inText_ = false;   ///< mathematics inside a text
    bool onlyText_ = false; ///< the formula is a text with letters
    bool inColour_ = false; ///< within a coloured part: the line's colour does not nest
    std::vector<std::string> changes_;
};

} // namespace

std::optional<ReadResult> ReadLatex(std::string_view latex) {
    if (latex.size() > LongestPastedFormula) return std::nullopt;
    return reading::Finished(LatexParser(WithoutDelimiters(latex)).Read());
}

} // namespace zelm

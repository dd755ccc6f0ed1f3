#include "exchange/LatexCommands.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "exchange/ReaderNodes.h"
#include "formula/Charset.h"
#include "formula/DeclMath.h"

namespace zelm::latex {

namespace {

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
    {"sim", Act::Char, '~'}, // as typed; the font's tilde operator is written alike
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
    // Characters that Windows-1252 has too: the font's, since a Text byte beyond ASCII is
    // written in text mode.
    {"pm", Act::Symbol, 0xB1},
    {"div", Act::Symbol, 0xB8},
    {"neg", Act::Symbol, 0xD8},
    {"lnot", Act::Symbol, 0xD8},
    {"ldots", Act::Symbol, 0xBC},
    {"dots", Act::Symbol, 0xBC},
    {"cdots", Act::Nearest, 0xBC},
    {"dotsc", Act::Symbol, 0xBC},
    {"dotsb", Act::Nearest, 0xBC},
    {"bullet", Act::Symbol, 0xB7},
    {"circ", Act::Nearest, 0xB0}, // the ring of composition
    {"degree", Act::Symbol, 0xB0},
    {"hookleftarrow", Act::Symbol, 0xBF},
    // Windows-1252 characters.
    {"euro", Act::Char, 0x80},
    {"backslash", Act::Char, '\\'},
    {"setminus", Act::Char, '\\'},
    {"textbackslash", Act::Char, '\\'},
    {"S", Act::Char, 0xA7},
    {"textasciicircum", Act::Char, '^'},
    {"textasciitilde", Act::Char, '~'},
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
    // Function names of the table (the reader looks up their index by name).
    {"sin", Act::Name},
    {"cos", Act::Name},
    {"tan", Act::Name},
    {"arcsin", Act::Name},
    {"arctan", Act::Name},
    {"ln", Act::Name},
    {"log", Act::Name},
    {"exp", Act::Name},
    // Operators the name table lacks.
    {"arccos", Act::Word},
    {"arg", Act::Word},
    {"cosh", Act::Word},
    {"cot", Act::Word},
    {"coth", Act::Word},
    {"csc", Act::Word},
    {"deg", Act::Word},
    {"det", Act::Word},
    {"dim", Act::Word},
    {"gcd", Act::Word},
    {"hom", Act::Word},
    {"inf", Act::Word},
    {"ker", Act::Word},
    {"lg", Act::Word},
    {"lim", Act::Word},
    {"liminf", Act::Word},
    {"limsup", Act::Word},
    {"max", Act::Word},
    {"min", Act::Word},
    {"Pr", Act::Word},
    {"sec", Act::Word},
    {"sinh", Act::Word},
    {"sup", Act::Word},
    {"tanh", Act::Word},
    {"bmod", Act::Word, 1},
    {"mod", Act::Word, 1},
    {"pmod", Act::Word, 2},
    // Spacing and style.
    {",", Act::Drop},
    {":", Act::Drop},
    {";", Act::Drop},
    {"!", Act::Drop},
    {">", Act::Drop},
    {"quad", Act::Space},
    {"qquad", Act::Space},
    {"enspace", Act::Space},
    {"hspace", Act::Space, 1},
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
    {"hbox", Act::Text},
    {"textit", Act::Text, 1},
    {"operatorname", Act::Operator},
    {"mathit", Act::Content},
    {"mathnormal", Act::Content},
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

} // namespace

const Command* FindCommand(std::string_view name) {
    // The table by name, sorted once: a formula looks up a command every few characters.
    static const std::vector<const Command*> byName = [] {
        std::vector<const Command*> sorted;
        for (const Command& c : Commands)
            sorted.push_back(&c);
        std::sort(sorted.begin(), sorted.end(),
                  [](const Command* a, const Command* b) { return a->name < b->name; });
        return sorted;
    }();
    const auto at =
        std::lower_bound(byName.begin(), byName.end(), name,
                         [](const Command* c, std::string_view n) { return c->name < n; });
    return at != byName.end() && (*at)->name == name ? *at : nullptr;
}

namespace {

std::string Normalised(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

} // namespace

bool IsTexSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::size_t AfterTexSpace(std::string_view s, std::size_t at) {
    while (at < s.size()) {
        if (IsTexSpace(s[at])) {
            ++at;
        } else if (s[at] == '%') {
            while (at < s.size() && s[at] != '\n')
                ++at;
        } else {
            break;
        }
    }
    return at;
}

std::string_view CommandAt(std::string_view s, std::size_t at) {
    if (at >= s.size() || s[at] != '\\' || at + 1 >= s.size()) return {};
    std::size_t end = at + 1;
    while (end < s.size() && IsAsciiLetter(s[end]))
        ++end;
    if (end == at + 1) ++end; // a one-character command such as \, or \{
    return s.substr(at + 1, end - at - 1);
}

bool IsListComma(const MathNode& row, std::string_view s, std::size_t at) {
    const auto digit = [](const MathNode& n) {
        return n.kind == NodeKind::Char && n.value >= '0' && n.value <= '9';
    };
    const std::size_t next = AfterTexSpace(s, at);
    return row.children.size() >= 2 && digit(row.children.end()[-2]) && next > at &&
           next < s.size() && s[next] >= '0' && s[next] <= '9';
}

bool IsFormulaEnvironment(std::string_view env) {
    static constexpr std::array<std::string_view, 16> names = {
        "equation",  "equation*", "displaymath", "math",     "align", "align*",
        "aligned",   "gather",    "gather*",     "gathered", "split", "multline",
        "multline*", "flalign",   "flalign*",    "alignat"};
    return std::find(names.begin(), names.end(), env) != names.end();
}

std::string_view WithoutDelimiters(std::string_view s) {
    while (!s.empty() && IsTexSpace(s.front()))
        s.remove_prefix(1);
    // A space behind a backslash is the formula's own.
    while (!s.empty() && IsTexSpace(s.back()) && !(s.size() > 1 && s[s.size() - 2] == '\\'))
        s.remove_suffix(1);
    constexpr std::array<std::pair<std::string_view, std::string_view>, 4> pairs = {
        {{"$$", "$$"}, {"\\[", "\\]"}, {"\\(", "\\)"}, {"$", "$"}}};
    for (const auto& [open, close] : pairs)
        if (s.size() >= open.size() + close.size() && s.starts_with(open) && s.ends_with(close))
            return s.substr(open.size(), s.size() - open.size() - close.size());
    return s;
}

std::optional<char32_t> DelimiterOf(std::string_view command) {
    const Command* c = FindCommand(command);
    if (!c) return std::nullopt;
    if (c->act == Act::Char) return c->value;
    if (c->act == Act::Symbol) return SymbolToUnicode(c->value);
    if (c->act == Act::Sign && c->value == K(StructKind::Bar)) return U'|';
    return std::nullopt;
}

std::optional<unsigned char> StruckSign(const MathNode& relation) {
    if (relation.children.size() != 1) return std::nullopt;
    const MathNode& r = relation.children[0];
    if (r.kind == NodeKind::Char && r.value == '=') return 0xB9;
    if (r.kind == NodeKind::Symbol && r.value == 0xCE) return 0xCF; // in
    if (r.kind == NodeKind::Symbol && r.value == 0xCC) return 0xCB; // subset
    return std::nullopt;
}

ColourFit FitColour(std::string_view model, std::string_view value) {
    const std::string m = Normalised(model), c = Normalised(value);
    // The writer's red, the line's own red (200, 0, 0) and pure red in each model; black.
    static constexpr std::array<std::array<std::string_view, 5>, 3> forms = {{
        {"red", "#ff0000", "#c80000", "", ""},
        {"rgb:255,0,0", "rgb:200,0,0", "rgb:1,0,0", "html:ff0000", "html:c80000"},
        {"black", "#000000", "rgb:0,0,0", "html:000000", "gray:0"},
    }};
    const std::string key = m.empty() ? c : m + ":" + c;
    for (std::size_t row = 0; row < forms.size(); ++row)
        for (std::string_view form : forms[row])
            if (!form.empty() && form == key) return row < 2 ? ColourFit::Line : ColourFit::None;
    return ColourFit::Other;
}

void ShieldNames(MathNode& row) {
    std::vector<MathNode>& items = row.children;
    const auto spells = [&](std::size_t at, std::string_view name) {
        if (at + name.size() > items.size()) return false;
        for (std::size_t k = 0; k < name.size(); ++k)
            if (items[at + k].kind != NodeKind::Char ||
                items[at + k].value != static_cast<unsigned char>(name[k]))
                return false;
        return true;
    };
    for (std::size_t at = 0; at < items.size(); ++at)
        for (int i = FirstRecognisedName; i <= LastRecognisedName; ++i) {
            const std::string_view name = NameTable[std::size_t(i)];
            if (!spells(at, name)) continue;
            if (at == 0 || items[at - 1].kind != NodeKind::Char || items[at - 1].value != '"')
                items.insert(items.begin() + std::ptrdiff_t(at++),
                             reading::Leaf(NodeKind::Char, '"'));
            at += name.size() - 1;
            break;
        }
}

} // namespace zelm::latex

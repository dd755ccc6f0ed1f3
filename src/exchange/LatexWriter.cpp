// LaTeX (amsmath) of the structure model, as KaTeX, pandoc and pdflatex read it.
#include <array>
#include <utility>

#include "exchange/MathWriters.h"
#include "exchange/WriterText.h"

namespace zelm {
namespace {

using writer::Child;

/// The command of each character of the Symbol font that LaTeX has one for.
constexpr std::array<std::pair<char32_t, const char*>, 123> SymbolCommands = {{
    {U'\u0391', "A"},
    {U'\u0392', "B"},
    {U'\u0393', "\\Gamma"},
    {U'\u0394', "\\Delta"},
    {U'\u0395', "E"},
    {U'\u0396', "Z"},
    {U'\u0397', "H"},
    {U'\u0398', "\\Theta"},
    {U'\u0399', "I"},
    {U'\u039A', "K"},
    {U'\u039B', "\\Lambda"},
    {U'\u039C', "M"},
    {U'\u039D', "N"},
    {U'\u039E', "\\Xi"},
    {U'\u039F', "O"},
    {U'\u03A0', "\\Pi"},
    {U'\u03A1', "P"},
    {U'\u03A3', "\\Sigma"},
    {U'\u03A4', "T"},
    {U'\u03A5', "\\Upsilon"},
    {U'\u03A6', "\\Phi"},
    {U'\u03A7', "X"},
    {U'\u03A8', "\\Psi"},
    {U'\u03A9', "\\Omega"},
    {U'\u03B1', "\\alpha"},
    {U'\u03B2', "\\beta"},
    {U'\u03B3', "\\gamma"},
    {U'\u03B4', "\\delta"},
    {U'\u03B5', "\\varepsilon"},
    {U'\u03B6', "\\zeta"},
    {U'\u03B7', "\\eta"},
    {U'\u03B8', "\\theta"},
    {U'\u03B9', "\\iota"},
    {U'\u03BA', "\\kappa"},
    {U'\u03BB', "\\lambda"},
    {U'\u03BC', "\\mu"},
    {U'\u03BD', "\\nu"},
    {U'\u03BE', "\\xi"},
    {U'\u03BF', "\\omicron"},
    {U'\u03C0', "\\pi"},
    {U'\u03C1', "\\rho"},
    {U'\u03C2', "\\varsigma"},
    {U'\u03C3', "\\sigma"},
    {U'\u03C4', "\\tau"},
    {U'\u03C5', "\\upsilon"},
    {U'\u03C6', "\\varphi"},
    {U'\u03C7', "\\chi"},
    {U'\u03C8', "\\psi"},
    {U'\u03C9', "\\omega"},
    {U'\u03D1', "\\vartheta"},
    {U'\u03D2', "\\Upsilon"},
    {U'\u03D5', "\\phi"},
    {U'\u03D6', "\\varpi"},
    {U'\u00AC', "\\neg"},
    {U'\u00B0', "^{\\degree}"}, // ^{\circ} is read as the ring operator
    {U'\u00B1', "\\pm"},
    {U'\u00D7', "\\times"},
    {U'\u00F7', "\\div"},
    {U'\u2022', "\\bullet"},
    {U'\u2026', "\\ldots"},
    {U'\u2032', "\\prime"},
    {U'\u2033', "\\prime\\prime"},
    {U'\u2044', "/"},
    {U'\u2111', "\\Im"},
    {U'\u2118', "\\wp"},
    {U'\u211C', "\\Re"},
    {U'\u2135', "\\aleph"},
    {U'\u2190', "\\leftarrow"},
    {U'\u2191', "\\uparrow"},
    {U'\u2192', "\\rightarrow"},
    {U'\u2193', "\\downarrow"},
    {U'\u2194', "\\leftrightarrow"},
    {U'\u21B5', "\\hookleftarrow"},
    {U'\u21D0', "\\Leftarrow"},
    {U'\u21D1', "\\Uparrow"},
    {U'\u21D2', "\\Rightarrow"},
    {U'\u21D3', "\\Downarrow"},
    {U'\u21D4', "\\Leftrightarrow"},
    {U'\u2200', "\\forall"},
    {U'\u2202', "\\partial"},
    {U'\u2203', "\\exists"},
    {U'\u2205', "\\emptyset"},
    {U'\u2207', "\\nabla"},
    {U'\u2208', "\\in"},
    {U'\u2209', "\\notin"},
    {U'\u220B', "\\ni"},
    {U'\u220F', "\\prod"},
    {U'\u2211', "\\sum"},
    {U'\u2212', "-"},
    {U'\u2217', "\\ast"},
    {U'\u221A', "\\surd"},
    {U'\u221D', "\\propto"},
    {U'\u221E', "\\infty"},
    {U'\u2220', "\\angle"},
    {U'\u2227', "\\wedge"},
    {U'\u2228', "\\vee"},
    {U'\u2229', "\\cap"},
    {U'\u222A', "\\cup"},
    {U'\u222B', "\\int"},
    {U'\u2234', "\\therefore"},
    {U'\u223C', "\\sim"},
    {U'\u2245', "\\cong"},
    {U'\u2248', "\\approx"},
    {U'\u2260', "\\neq"},
    {U'\u2261', "\\equiv"},
    {U'\u2264', "\\leq"},
    {U'\u2265', "\\geq"},
    {U'\u2282', "\\subset"},
    {U'\u2283', "\\supset"},
    {U'\u2284', "\\not\\subset"},
    {U'\u2286', "\\subseteq"},
    {U'\u2287', "\\supseteq"},
    {U'\u2295', "\\oplus"},
    {U'\u2297', "\\otimes"},
    {U'\u22A5', "\\perp"},
    {U'\u22C5', "\\cdot"},
    {U'\u2329', "\\langle"},
    {U'\u232A', "\\rangle"},
    {U'\u25CA', "\\diamond"},
    {U'\u2660', "\\spadesuit"},
    {U'\u2663', "\\clubsuit"},
    {U'\u2665', "\\heartsuit"},
    {U'\u2666', "\\diamondsuit"},
}};

const char* SymbolCommand(char32_t u) {
    for (const auto& [c, command] : SymbolCommands)
        if (c == u) return command;
    return nullptr;
}

/// The names LaTeX has an operator of its own for.
const char* NameCommand(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, const char*>, 8> commands = {{
        {"sin", "\\sin"},
        {"cos", "\\cos"},
        {"tan", "\\tan"},
        {"arcsin", "\\arcsin"},
        {"arctan", "\\arctan"},
        {"ln", "\\ln"},
        {"log", "\\log"},
        {"exp", "\\exp"},
    }};
    for (const auto& [n, command] : commands)
        if (n == name) return command;
    return nullptr;
}

class LatexWriter {
public:
    std::string Write(const MathTree& tree) {
        out_.reserve(4 * std::size_t(tree.root.end) + 16);
        if (tree.plainText) {
            WritePlainText(ToPlainText(tree));
        } else {
            Row(tree.root, writer::FirstContent(tree.root));
        }
        return std::move(out_);
    }

private:
    /// What the last item of a row can still take: LaTeX refuses a second superscript or
    /// subscript on one atom, and a script needs an atom.
    struct Atom {
        bool base = false, sub = false, sup = false;
    };

    /// Appends `s`, with a space where a control word would otherwise run into a letter.
    void Put(std::string_view s) {
        if (s.empty()) return;
        if (afterControlWord_ && IsAsciiLetter(s[0])) out_ += ' ';
        out_ += s;
        afterControlWord_ = EndsWithControlWord(s);
        afterPrime_ = false;
    }
    void PutChar(char c) {
        if (afterControlWord_ && IsAsciiLetter(c)) out_ += ' ';
        out_ += c;
        afterControlWord_ = false;
        afterPrime_ = false;
    }

    static bool EndsWithControlWord(std::string_view s) {
        std::size_t i = s.size();
        while (i > 0 && IsAsciiLetter(s[i - 1]))
            --i;
        return i < s.size() && i > 0 && s[i - 1] == '\\';
    }

    void Row(const MathNode& row, std::size_t first = 0) {
        atom_ = {};
        for (std::size_t i = first; i < row.children.size(); ++i) {
            if (writer::IsDecimalComma(row, i)) {
                // Braced, a comma is no punctuation: no space after it.
                Put("{,}");
                Fresh();
            } else {
                Item(row.children[i]);
            }
        }
    }

    /// The item just written is an atom that takes both scripts.
    void Fresh() { atom_ = {true, false, false}; }

    void Item(const MathNode& n) {
        switch (n.kind) {
        case NodeKind::Row:
            Row(n);
            return;
        case NodeKind::Char:
            TextByte(n.value);
            return;
        case NodeKind::Name:
            Name(n);
            return;
        case NodeKind::Reference:
            Reference(n);
            return;
        case NodeKind::Symbol:
            if (const char32_t u = writer::SymbolChar(n.value)) {
                const char* command = SymbolCommand(u);
                if (command && command[0] == '^') {
                    DegreeSign(command);
                    return;
                }
                if (command)
                    Put(command);
                else
                    Character(u);
                Fresh();
            }
            return;
        case NodeKind::Sign:
            Sign(n.value);
            return;
        case NodeKind::Switch:
            return;
        case NodeKind::Power:
        case NodeKind::Index:
            Script(n);
            return;
        case NodeKind::Fraction:
            Put("\\frac{");
            Row(Child(n, 0));
            Put("}{");
            Row(Child(n, 1));
            Put("}");
            Fresh();
            return;
        case NodeKind::Slanted:
            Put("{}^{");
            Row(Child(n, 0));
            Put("}\\!/_{");
            Row(Child(n, 1));
            Put("}");
            atom_ = {true, true, false};
            return;
        case NodeKind::Root:
            Root(n);
            return;
        case NodeKind::Bracket:
            Put("\\left(");
            Row(Child(n, 0));
            Put("\\right)");
            Fresh();
            return;
        case NodeKind::Integral:
        case NodeKind::Sum:
            Put(n.kind == NodeKind::Integral ? "\\int_{" : "\\sum_{");
            Row(Child(n, 0));
            Put("}^{");
            Row(Child(n, 1));
            Put("}");
            atom_ = {true, true, true};
            return;
        case NodeKind::Log:
            if (Child(n, 0).children.empty()) {
                Put("\\log");
                Fresh();
                return;
            }
            Put("\\log_{");
            Row(Child(n, 0));
            Put("}");
            atom_ = {true, true, false};
            return;
        case NodeKind::Underline:
            Put("\\underline{");
            Row(Child(n, 0));
            Put("}");
            Fresh();
            return;
        case NodeKind::Colour:
            // The colour a line shows for coloured text in black: RGB 200, 0, 0.
            Put("\\textcolor{red}{");
            Row(Child(n, 0));
            Put("}");
            Fresh();
            return;
        }
    }

    /// The degree sign is a superscript of the atom before it, so that atom may not have one yet.
    void DegreeSign(const char* command) {
        if (!atom_.base || atom_.sup) Put("{}");
        Put(command);
        atom_.base = atom_.sup = true;
    }

    /// A power or an index on the atom before it; `{}` stands in for a missing or full atom. A
    /// power right after primes joins them: `x'^{2}` is x with the prime and the 2 over it.
    void Script(const MathNode& n) {
        const bool power = n.kind == NodeKind::Power;
        if (!atom_.base || (power ? atom_.sup && !afterPrime_ : atom_.sub)) {
            Put("{}");
            Fresh();
        }
        const Atom atom = atom_;
        Put(power ? "^{" : "_{");
        Row(Child(n, 0));
        Put("}");
        atom_ = atom;
        (power ? atom_.sup : atom_.sub) = true;
    }

    void Root(const MathNode& n) {
        const MathNode& index = Child(n, 0);
        if (index.children.empty()) {
            Put("\\sqrt{");
        } else {
            Put("\\sqrt[");
            const std::size_t start = out_.size();
            Row(index);
            // A "]" of the index would end the optional argument, and KaTeX takes a "{" at its
            // start for braces around the whole of it.
            if (out_.find(']', start) != std::string::npos ||
                (start < out_.size() && out_[start] == '{')) {
                out_.insert(start, 1, '{');
                out_ += '}';
            }
            Put("]{");
        }
        Row(Child(n, 1));
        Put("}");
        Fresh();
    }

    void Name(const MathNode& n) {
        const std::string_view name = NameOfNode(n);
        if (name.empty()) return;
        if ((n.value & 0x7F) < FirstRecognisedName) {
            // The operator signs of the name table are written as themselves.
            for (char c : name)
                TextByte(static_cast<unsigned char>(c));
        } else if (const char* command = NameCommand(name)) {
            Put(command);
        } else {
            Put("\\operatorname{");
            Put(name);
            Put("}");
        }
        Fresh();
    }

    void Reference(const MathNode& n) {
        const std::string name = writer::NodeName(n);
        if (name.empty()) return;
        Put("\\mathbf{");
        for (char c : name)
            TextByte(static_cast<unsigned char>(c));
        Put("}");
        Fresh();
    }

    // The command of a sign; none for a kind that is no sign.
    static const char* SignCommand(unsigned char kind) {
        switch (StructKind(kind)) {
        case StructKind::NumeratorD:
        case StructKind::DenominatorD:
        case StructKind::IntegralD:
            return "\\mathrm{d}";
        case StructKind::Pi:
            return "\\pi";
        case StructKind::BoldE:
            return "\\mathrm{e}";
        case StructKind::BoldX:
            return "\\times";
        case StructKind::Dot:
            return "\\cdot";
        case StructKind::Bar:
            return "\\vert";
        case StructKind::Power:
        case StructKind::PowerEnd:
        case StructKind::Root:
        case StructKind::RootEnd:
        case StructKind::Fraction:
        case StructKind::FractionBar:
        case StructKind::FractionEnd:
        case StructKind::Integral:
        case StructKind::Sum:
        case StructKind::Bracket:
        case StructKind::BracketEnd:
        case StructKind::Separator:
        case StructKind::Slanted:
        case StructKind::Slash:
        case StructKind::SlantedEnd:
        case StructKind::Index:
        case StructKind::IndexEnd:
        case StructKind::Underline:
        case StructKind::Colour:
            return nullptr;
        }
        return nullptr;
    }

    void Sign(unsigned char kind) {
        const char* command = SignCommand(kind);
        if (!command) return;
        Put(command);
        Fresh();
    }

    /// One Text byte in maths; a control character writes nothing.
    void TextByte(unsigned char b) {
        if (const char32_t u = writer::TextChar(b)) Character(u);
    }

    /// One character as an atom of its own; a prime is a superscript of the atom before it.
    void Character(char32_t u) {
        if (u == '\'') {
            const bool more = afterPrime_;
            if (!more && (!atom_.base || atom_.sup)) Put("{}");
            PutChar('\'');
            afterPrime_ = true;
            atom_.base = atom_.sup = true;
            return;
        }
        Fresh();
        switch (u) {
        case ' ':
            Put("\\ ");
            return;
        case '#':
        case '$':
        case '%':
        case '&':
        case '_':
        case '{':
        case '}':
            out_ += '\\';
            out_ += char(u);
            afterControlWord_ = afterPrime_ = false;
            return;
        case '~':
            Put("\\sim");
            return;
        case '^':
            Put("\\text{\\textasciicircum}");
            return;
        case '\\':
            Put("\\backslash");
            return;
        default:
            break;
        }
        if (u < 0x80) {
            PutChar(char(u));
            return;
        }
        if (u == 0xA7) return Put("\\S"); // a sign in maths, as typed in a formula
        // Maths takes no characters beyond ASCII: text mode sets them as they are.
        Put("\\text{");
        AppendUtf8(out_, u);
        Put("}");
    }

    /// A plain-text line: its text in text mode.
    void WritePlainText(const std::string& utf8) {
        Put("\\text{");
        for (std::size_t i = 0; i < utf8.size();) {
            const unsigned char lead = static_cast<unsigned char>(utf8[i]);
            if (lead >= 0x80) {
                // Text mode sets letters beyond ASCII; signs of maths go in maths.
                const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
                char32_t u = lead & (0x3F >> (length - 1));
                for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
                    u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
                const char* command = SymbolCommand(u);
                if (command && (u >= 0x100 || !writer::IsLetter(u))) {
                    out_ += '$';
                    out_ += command;
                    out_ += '$';
                } else {
                    out_.append(utf8, i, length);
                }
                i += length;
                continue;
            }
            const char c = utf8[i++];
            // Every space kept: TeX would merge a run of them into one.
            if (c == ' ')
                out_ += "\\ ";
            else
                writer::AppendLatexText(out_, c);
        }
        out_ += '}';
    }

    std::string out_;
    Atom atom_;
    bool afterControlWord_ = false;
    bool afterPrime_ = false;
};

} // namespace

std::string ToLatex(const MathTree& tree) {
    return LatexWriter().Write(tree);
}

} // namespace zelm

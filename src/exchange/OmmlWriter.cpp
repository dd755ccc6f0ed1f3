// Office Math (OMML, the equations of Word documents) of the structure model.
#include <string_view>
#include <vector>

#include "exchange/MathWriters.h"
#include "exchange/WriterText.h"

namespace zelm {
namespace omml {
namespace {

using writer::Child;

/// How a run is set: as a variable (italic), upright (function names, the differential d and
/// the number e), or as ordinary text (a plain-text line).
enum class RunStyle { Maths, Upright, Text };

/// True for the signs that end an n-ary operator's operand: relations and the operators
/// between terms.
bool EndsOperand(const MathNode& n) {
    char32_t u = 0;
    if (n.kind == NodeKind::Char) u = writer::TextChar(n.value);
    if (n.kind == NodeKind::Symbol) u = writer::SymbolChar(n.value);
    switch (u) {
    case '=':
    case '<':
    case '>':
    case '+':
    case '-':
    case ',':
    case ';':
    case U'\u00B1':
    case U'\u2260':
    case U'\u2264':
    case U'\u2265':
    case U'\u2248':
    case U'\u2261':
    case U'\u21D2':
    case U'\u21D4':
        return true;
    default:
        return false;
    }
}

bool IsScript(const MathNode& n) {
    return n.kind == NodeKind::Power || n.kind == NodeKind::Index;
}

class OmmlWriter {
public:
    std::string Write(const MathTree& tree) {
        out_.reserve(48 * std::size_t(tree.root.end) + 32);
        out_ = "<m:oMath>";
        if (tree.plainText) {
            Run(ToPlainText(tree), RunStyle::Text);
        } else {
            Row(tree.root, writer::FirstContent(tree.root), tree.root.children.size());
        }
        Flush();
        out_ += "</m:oMath>";
        return std::move(out_);
    }

private:
    static constexpr std::size_t None = std::string::npos;

    /// The item that scripts attach to, written last: where it starts in the output, and the
    /// scripts met so far, put around it when the next item begins.
    struct Atom {
        std::size_t start = None;
        std::string sub, sup;
        bool hasSub = false, hasSup = false;
        bool full = false;   ///< takes no scripts (an n-ary operator has its own limits)
        bool number = false; ///< a run of digits that further digits join
        bool primes = false; ///< a superscript of primes that further primes and a power join
    };

    /// Items `first` up to `last` of `row`.
    void Row(const MathNode& row, std::size_t first, std::size_t last) {
        const std::vector<int> partners = writer::FencePartners(row);
        for (std::size_t i = first; i < last; ++i) {
            const MathNode& item = row.children[i];
            if (atom_.number && writer::IsDecimalComma(row, i)) {
                Join(",");
            } else if (item.kind == NodeKind::Name || item.kind == NodeKind::Log) {
                i = Function(row, i, last, partners) - 1;
            } else if (item.kind == NodeKind::Integral || item.kind == NodeKind::Sum) {
                i = NAry(row, i, last, partners) - 1;
            } else if (const std::size_t partner = PartnerWithin(partners, i, last)) {
                // A bracket pair and what it holds is one delimiter, which scripts after it go
                // on; the line's bar sign is one that may grow, typed brackets do not.
                const MathNode& close = row.children[partner];
                Delimited(writer::FenceOf(item), writer::FenceOf(close),
                          item.kind == NodeKind::Sign || close.kind == NodeKind::Sign,
                          Rendered(row, i + 1, partner));
                i = partner;
            } else {
                Item(item);
            }
        }
    }

    /// `row` (items `first` to `last`) as the content of an element of its own.
    std::string Rendered(const MathNode& row, std::size_t first, std::size_t last) {
        std::string saved = std::move(out_);
        Atom outer = std::move(atom_);
        out_.clear();
        atom_ = {};
        Row(row, first, last);
        Flush();
        std::string content = std::move(out_);
        out_ = std::move(saved);
        atom_ = std::move(outer);
        return content;
    }

    std::string Rendered(const MathNode& row) { return Rendered(row, 0, row.children.size()); }

    /// Appends `<m:tag>content</m:tag>`.
    void Element(std::string_view tag, const std::string& content) {
        out_ += "<m:";
        out_ += tag;
        out_ += '>';
        out_ += content;
        out_ += "</m:";
        out_ += tag;
        out_ += '>';
    }

    /// Puts the script element around the pending atom.
    void Flush() {
        if (atom_.start == None) return;
        if (atom_.hasSub || atom_.hasSup) {
            const std::string_view element = atom_.hasSub && atom_.hasSup ? "sSubSup"
                                             : atom_.hasSub               ? "sSub"
                                                                          : "sSup";
            std::string open = "<m:";
            open += element;
            open += "><m:e>";
            out_.insert(atom_.start, open);
            out_ += "</m:e>";
            if (atom_.hasSub) Element("sub", atom_.sub);
            if (atom_.hasSup) Element("sup", atom_.sup);
            out_ += "</m:";
            out_ += element;
            out_ += '>';
        }
        atom_ = {};
    }

    /// A new item, whose elements the caller writes: the one before it is complete.
    void Begin() {
        Flush();
        atom_.start = out_.size();
    }

    /// One run of `utf8` text as a new item.
    void Run(std::string_view utf8, RunStyle style) {
        Begin();
        out_ += "<m:r>";
        if (style == RunStyle::Upright) out_ += "<m:rPr><m:sty m:val=\"p\"/></m:rPr>";
        if (style == RunStyle::Text) out_ += "<m:rPr><m:nor/></m:rPr>";
        if (coloured_) out_ += "<w:rPr><w:color w:val=\"C80000\"/></w:rPr>";
        out_ += utf8.find(' ') == std::string_view::npos ? "<m:t>" : "<m:t xml:space=\"preserve\">";
        out_ += writer::XmlEscaped(utf8);
        out_ += "</m:t></m:r>";
    }

    /// Appends `utf8` to the text of the run just written.
    void Join(std::string_view utf8) { out_.insert(out_.size() - 12, utf8); } // "</m:t></m:r>"

    void Character(char32_t u, RunStyle style = RunStyle::Maths) {
        if (u == '\'') return Prime();
        const bool digit = u >= '0' && u <= '9';
        std::string text;
        AppendUtf8(text, u == '-' ? U'\u2212' : u);
        if (digit && atom_.number && !atom_.hasSub && !atom_.hasSup) return Join(text);
        Run(text, style);
        atom_.number = digit;
    }

    /// A prime is a superscript \u2032 of the item before it; primes in a row make one run,
    /// and a power right after them joins them, as in LaTeX.
    void Prime() {
        if (atom_.primes) {
            atom_.sup.insert(atom_.sup.size() - 12, "\u2032");
            return;
        }
        if (atom_.start == None || atom_.full || atom_.hasSup) Begin();
        atom_.sup = "<m:r><m:t>\u2032</m:t></m:r>";
        atom_.hasSup = atom_.primes = true;
        atom_.number = false;
    }

    void Item(const MathNode& n) {
        switch (n.kind) {
        case NodeKind::Row:
            Row(n, 0, n.children.size());
            return;
        case NodeKind::Char:
            if (const char32_t u = writer::TextChar(n.value)) Character(u);
            return;
        case NodeKind::Reference:
            // Bold is how the line shows a reference, not what it means.
            if (const std::string name = writer::NodeName(n); !name.empty())
                Run(writer::TextUtf8(name), RunStyle::Upright);
            return;
        case NodeKind::Symbol:
            if (const char32_t u = writer::SymbolChar(n.value)) Character(u);
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
        case NodeKind::Slanted:
            Begin();
            out_ += "<m:f>";
            if (n.kind == NodeKind::Slanted) out_ += "<m:fPr><m:type m:val=\"skw\"/></m:fPr>";
            Element("num", Rendered(Child(n, 0)));
            Element("den", Rendered(Child(n, 1)));
            out_ += "</m:f>";
            return;
        case NodeKind::Root:
            Begin();
            out_ += "<m:rad>";
            if (Child(n, 0).children.empty())
                out_ += "<m:radPr><m:degHide m:val=\"1\"/></m:radPr><m:deg/>";
            else
                Element("deg", Rendered(Child(n, 0)));
            Element("e", Rendered(Child(n, 1)));
            out_ += "</m:rad>";
            return;
        case NodeKind::Bracket:
            Delimited('(', ')', true, Rendered(Child(n, 0)));
            return;
        case NodeKind::Underline:
            Begin();
            out_ += "<m:bar><m:barPr><m:pos m:val=\"bot\"/></m:barPr>";
            Element("e", Rendered(Child(n, 0)));
            out_ += "</m:bar>";
            return;
        case NodeKind::Colour: {
            // Office Math has no coloured box: the colour goes on each run inside, the
            // line's red for coloured text in black (RGB 200, 0, 0).
            const bool outer = coloured_;
            coloured_ = true;
            Flush();
            Row(Child(n, 0), 0, Child(n, 0).children.size());
            Flush();
            coloured_ = outer;
            return;
        }
        case NodeKind::Name:
        case NodeKind::Log:
        case NodeKind::Integral:
        case NodeKind::Sum:
            // Written with their operand by Row.
            return;
        }
    }

    /// The closing partner of an opening bracket at `i` that lies before `last`; 0 for none.
    static std::size_t PartnerWithin(const std::vector<int>& partners, std::size_t i,
                                     std::size_t last) {
        if (partners.empty() || partners[i] <= int(i) || std::size_t(partners[i]) >= last) return 0;
        return std::size_t(partners[i]);
    }

    /// Brackets `open` and `close` around `content`, as one item.
    void Delimited(char open, char close, bool grow, const std::string& content) {
        Begin();
        out_ += "<m:d><m:dPr><m:begChr m:val=\"";
        out_ += open;
        out_ += "\"/><m:endChr m:val=\"";
        out_ += close;
        out_ += grow ? "\"/><m:grow m:val=\"1\"/></m:dPr>" : "\"/><m:grow m:val=\"0\"/></m:dPr>";
        Element("e", content);
        out_ += "</m:d>";
    }

    /// A sign as the character it stands for: the differential d and the exponential e
    /// upright, the others as maths characters; the structure codes draw nothing.
    void Sign(unsigned char kind) {
        const char32_t c = writer::SignChar(kind);
        if (c == U'd' || c == U'e')
            Run(c == U'e' ? "e" : "d", RunStyle::Upright);
        else if (c)
            Character(c);
    }

    /// A power or an index on the item before it; an empty base stands in for a missing or
    /// full one, as LaTeX's `{}` does.
    void Script(const MathNode& n) {
        const bool power = n.kind == NodeKind::Power;
        const bool joined = power && atom_.primes;
        if (atom_.start == None || atom_.full || (power ? atom_.hasSup && !joined : atom_.hasSub))
            Begin();
        std::string content = Rendered(Child(n, 0));
        if (joined)
            atom_.sup += content;
        else
            (power ? atom_.sup : atom_.sub) = std::move(content);
        (power ? atom_.hasSup : atom_.hasSub) = true;
        atom_.number = atom_.primes = false;
    }

    /// Where the operand of a function starts at `i` ends: one item, a bracket pair whole,
    /// with the scripts on it.
    static std::size_t FunctionOperandEnd(const MathNode& row, std::size_t i, std::size_t last,
                                          const std::vector<int>& partners) {
        if (i >= last) return last;
        std::size_t end = i + 1;
        if (const std::size_t partner = PartnerWithin(partners, i, last)) end = partner + 1;
        while (end < last && IsScript(row.children[end]))
            ++end;
        return end;
    }

    /// A function name (or log with its base) with the scripts on the name and its operand
    /// as one function; a sign of the name table as itself. Returns the item after it.
    std::size_t Function(const MathNode& row, std::size_t i, std::size_t last,
                         const std::vector<int>& partners) {
        const MathNode& n = row.children[i];
        const bool log = n.kind == NodeKind::Log;
        const std::string_view name = log ? "log" : NameOfNode(n);
        if (name.empty()) return i + 1;
        if (!log && (n.value & 0x7F) < FirstRecognisedName) {
            for (const char c : name)
                if (const char32_t u = writer::TextChar(static_cast<unsigned char>(c)))
                    Character(u);
            return i + 1;
        }
        Flush();
        const std::size_t start = out_.size();
        Run(writer::TextUtf8(name), RunStyle::Upright);
        if (log && !Child(n, 0).children.empty()) {
            atom_.sub = Rendered(Child(n, 0));
            atom_.hasSub = true;
        }
        std::size_t next = i + 1;
        while (next < last && IsScript(row.children[next]))
            Item(row.children[next++]);
        Flush();
        const std::size_t end = FunctionOperandEnd(row, next, last, partners);
        const std::string operand = Rendered(row, next, end);
        out_.insert(start, "<m:func><m:fName>");
        out_ += "</m:fName>";
        Element("e", operand);
        out_ += "</m:func>";
        atom_.start = start;
        return end;
    }

    /// Where the operand of an n-ary operator at `i` ends: an integral's behind the variable
    /// of its d, else at the first relation or operator between terms outside brackets.
    static std::size_t NAryOperandEnd(const MathNode& row, std::size_t i, std::size_t last,
                                      const std::vector<int>& partners) {
        const bool integral = row.children[i].kind == NodeKind::Integral;
        for (std::size_t k = i + 1; k < last; ++k) {
            const MathNode& item = row.children[k];
            if (const std::size_t partner = PartnerWithin(partners, k, last)) {
                k = partner;
                continue;
            }
            if (integral && item.kind == NodeKind::Sign &&
                StructKind(item.value) == StructKind::IntegralD)
                return std::min(k + 2, last);
            if (EndsOperand(item) && k > i + 1) return k;
        }
        return last;
    }

    /// An integral or sum with its limits and its operand. Returns the item after it.
    std::size_t NAry(const MathNode& row, std::size_t i, std::size_t last,
                     const std::vector<int>& partners) {
        const MathNode& n = row.children[i];
        const bool sum = n.kind == NodeKind::Sum;
        const std::size_t end = NAryOperandEnd(row, i, last, partners);
        Begin();
        out_ += sum ? "<m:nary><m:naryPr><m:chr m:val=\"\u2211\"/><m:limLoc m:val=\"undOvr\"/>"
                    : "<m:nary><m:naryPr><m:chr m:val=\"\u222B\"/><m:limLoc m:val=\"subSup\"/>";
        out_ += "</m:naryPr>";
        Element("sub", Rendered(Child(n, 0)));
        Element("sup", Rendered(Child(n, 1)));
        Element("e", Rendered(row, i + 1, end));
        out_ += "</m:nary>";
        atom_.full = true;
        return end;
    }

    std::string out_;
    Atom atom_;
    bool coloured_ = false;
};

} // namespace
} // namespace omml

std::string ToOmml(const MathTree& tree) {
    return omml::OmmlWriter().Write(tree);
}

} // namespace zelm

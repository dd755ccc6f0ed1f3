// Presentation MathML (MathML Core elements) of the structure model.
#include <algorithm>
#include <string_view>
#include <vector>

#include "exchange/MathWriters.h"
#include "exchange/WriterText.h"

namespace zelm {
namespace {

using writer::Child;

class MathMLWriter {
public:
    /// The tree's elements between `start` and `end` (a `<math>` element's tags, or nothing).
    std::string Write(const MathTree& tree, std::string_view start, std::string_view end) {
        out_.reserve(24 * std::size_t(tree.root.end) + 64);
        out_ = start;
        // One row: importers that meet several elements here set each on a line of its own.
        out_ += "<mrow>";
        if (tree.plainText) {
            out_ += "<mtext>";
            out_ += writer::XmlEscaped(ToPlainText(tree));
            out_ += "</mtext>";
        } else {
            Row(tree.root, writer::FirstContent(tree.root));
        }
        out_ += "</mrow>";
        out_ += end;
        return std::move(out_);
    }

private:
    static constexpr std::size_t None = std::string::npos;

    /// The item that scripts attach to, written last: where its element starts in the output
    /// and where its scripts do. Its script element is put around it when the next item
    /// begins; `after` follows the whole (the function application of a name).
    struct Atom {
        std::size_t start = None, sub = None, sup = None;
        std::string_view after;
        bool underOver = false; ///< limits below and above (a sum)
        bool full = false;      ///< takes no further scripts
        bool number = false;    ///< an `mn` that further digits join
        int primes = 0;         ///< the primes of its superscript, which further primes join
    };

    /// The items of a row, wrapped in one `mrow`.
    void RowElement(const MathNode& row) {
        const Atom saved = atom_;
        atom_ = {};
        out_ += "<mrow>";
        Row(row);
        out_ += "</mrow>";
        atom_ = saved;
    }

    void Row(const MathNode& row, std::size_t first = 0) {
        const std::vector<int> partners = writer::FencePartners(row);
        for (std::size_t i = first; i < row.children.size(); ++i) {
            const MathNode& item = row.children[i];
            if (atom_.number && writer::IsDecimalComma(row, i)) {
                out_.insert(out_.size() - 5, 1, ','); // in front of "</mn>"
            } else if (const char fence = writer::FenceOf(item)) {
                Fence(fence,
                      partners[i] < 0        ? 0
                      : partners[i] > int(i) ? 1
                                             : -1,
                      item.kind == NodeKind::Sign);
            } else {
                Item(item);
            }
        }
        Flush();
    }

    /// A bracket that does not grow: a pair and what it holds is one `mrow` (side 1 opens it,
    /// -1 closes it; 0 is a bracket alone), and scripts after the pair go on the whole of it.
    /// The line's bar sign is set apart from a typed bar, which does not grow, as one that may.
    void Fence(char shape, int side, bool barSign) {
        std::string mo = shape != '|' ? "<mo" : side ? "<mo fence=\"true\"" : "<mo fence=\"false\"";
        mo += barSign ? " stretchy=\"true\">" : " stretchy=\"false\">";
        if (side > 0) {
            Flush();
            fenceStarts_.push_back(out_.size());
            out_ += "<mrow>";
        }
        if (side < 0) Flush();
        Begin(mo, {});
        writer::AppendXmlEscaped(out_, char32_t(shape));
        out_ += "</mo>";
        if (side < 0) {
            out_ += "</mrow>";
            atom_ = {};
            atom_.start = fenceStarts_.back();
            fenceStarts_.pop_back();
        }
    }

    /// Puts the script element around the pending atom.
    void Flush() {
        if (atom_.start == None) return;
        const bool sub = atom_.sub != None, sup = atom_.sup != None;
        const std::string_view element = sub && sup ? (atom_.underOver ? "munderover" : "msubsup")
                                         : sub      ? "msub"
                                         : sup      ? "msup"
                                                    : "";
        if (!element.empty()) {
            std::string open = "<";
            open += element;
            open += '>';
            out_.insert(atom_.start, open);
            out_ += "</";
            out_ += element;
            out_ += '>';
        }
        out_ += atom_.after;
        atom_ = {};
    }

    /// A new item, whose element the caller writes: the one before it is complete.
    void Begin(std::string_view element, std::string_view after) {
        Flush();
        atom_.start = out_.size();
        atom_.after = after;
        out_ += element;
    }

    void Token(std::string_view tag, char32_t u) {
        out_ += '<';
        out_ += tag;
        out_ += '>';
        writer::AppendXmlEscaped(out_, u);
        out_ += "</";
        out_ += tag;
        out_ += '>';
    }

    /// Letters are identifiers, digits numbers (digits in a row make one), the rest operators.
    void Character(char32_t u) {
        const bool digit = u >= '0' && u <= '9';
        if (digit && atom_.number && atom_.sub == None && atom_.sup == None) {
            out_.insert(out_.size() - 5, 1, char(u)); // in front of "</mn>"
            return;
        }
        if (u == '\'') return Prime();
        if (u == ' ') {
            Begin("<mspace width=\"0.25em\"/>", {});
        } else if (u == '-') {
            Begin("<mo>\u2212</mo>", {});
        } else {
            Begin({}, {});
            Token(digit ? "mn" : writer::IsLetter(u) ? "mi" : "mo", u);
        }
        atom_.number = digit;
    }

    /// A prime is a superscript ′ of the item before it; primes in a row make one operator,
    /// of the character for their number where there is one (importers keep only the first
    /// character of an operator).
    void Prime() {
        if (atom_.primes == 0) {
            if (atom_.start == None || atom_.full || atom_.sup != None) Begin("<mrow/>", {});
            atom_.sup = out_.size();
            atom_.full = true;
            atom_.number = false;
        }
        static constexpr char32_t marks[] = {U'\u2032', U'\u2033', U'\u2034', U'\u2057'};
        ++atom_.primes;
        out_.resize(atom_.sup);
        out_ += "<mo>";
        if (atom_.primes <= 4)
            AppendUtf8(out_, marks[atom_.primes - 1]);
        else
            for (int i = 0; i < atom_.primes; ++i)
                AppendUtf8(out_, U'\u2032');
        out_ += "</mo>";
    }

    /// A typed character that the "Symbol" font also has (±, °, the bar) is set apart from
    /// that font's sign, as LaTeX sets it apart: as text, the bar as one that does not grow.
    void TypedCharacter(char32_t u) {
        if (u == '|') {
            Begin("<mo stretchy=\"false\">|</mo>", {});
        } else if (u >= 0x80 &&
                   (UnicodeToSymbol(u) ||
                    (u <= 0xFF && SymbolToUnicode(static_cast<unsigned char>(u)) == u))) {
            Begin({}, {});
            Token("mtext", u);
        } else {
            return Character(u);
        }
        atom_.number = false;
    }

    void Item(const MathNode& n) {
        switch (n.kind) {
        case NodeKind::Row:
            Row(n);
            return;
        case NodeKind::Char:
            if (const char32_t u = writer::TextChar(n.value)) TypedCharacter(u);
            return;
        case NodeKind::Name:
            Name(n);
            return;
        case NodeKind::Reference:
            if (const std::string name = writer::NodeName(n); !name.empty()) {
                // Bold is how the line shows a reference, not what it means.
                Begin("<mi mathvariant=\"normal\">", {});
                Escaped(name);
                out_ += "</mi>";
            }
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
            Begin(n.kind == NodeKind::Fraction ? "<mfrac>" : "<mfrac bevelled=\"true\">", {});
            RowElement(Child(n, 0));
            RowElement(Child(n, 1));
            out_ += "</mfrac>";
            return;
        case NodeKind::Root:
            if (Child(n, 0).children.empty()) {
                Begin("<msqrt>", {});
                RowElement(Child(n, 1));
                out_ += "</msqrt>";
            } else {
                Begin("<mroot>", {});
                RowElement(Child(n, 1));
                RowElement(Child(n, 0));
                out_ += "</mroot>";
            }
            return;
        case NodeKind::Bracket:
            Begin("<mrow><mo fence=\"true\" stretchy=\"true\">(</mo>", {});
            RowElement(Child(n, 0));
            out_ += "<mo fence=\"true\" stretchy=\"true\">)</mo></mrow>";
            return;
        case NodeKind::Integral:
        case NodeKind::Sum: {
            const bool sum = n.kind == NodeKind::Sum;
            Begin(sum ? "<mo>\u2211</mo>" : "<mo>\u222B</mo>", {});
            Script(Child(n, 0), atom_.sub);
            Script(Child(n, 1), atom_.sup);
            atom_.underOver = sum;
            atom_.full = true;
            return;
        }
        case NodeKind::Log:
            Begin("<mi>log</mi>", "<mo>\u2061</mo>");
            if (!Child(n, 0).children.empty()) Script(Child(n, 0), atom_.sub);
            return;
        case NodeKind::Underline:
            Begin("<munder accentunder=\"true\">", {});
            RowElement(Child(n, 0));
            out_ += "<mo>_</mo></munder>";
            return;
        case NodeKind::Colour:
            // The colour a line shows for coloured text in black: RGB 200, 0, 0.
            Begin("<mstyle mathcolor=\"#C80000\">", {});
            RowElement(Child(n, 0));
            out_ += "</mstyle>";
            return;
        }
    }

    /// Windows-1252 bytes of a name, escaped.
    void Escaped(std::string_view bytes) { out_ += writer::XmlEscaped(writer::TextUtf8(bytes)); }

    void Name(const MathNode& n) {
        const std::string_view name = NameOfNode(n);
        if (name.empty()) return;
        const bool sign = (n.value & 0x7F) < FirstRecognisedName;
        Begin(sign ? "<mo>" : "<mi mathvariant=\"normal\">", sign ? "" : "<mo>\u2061</mo>");
        if (name == "-")
            AppendUtf8(out_, U'\u2212');
        else
            Escaped(name);
        out_ += sign ? "</mo>" : "</mi>";
    }

    void Sign(unsigned char kind) {
        switch (StructKind(kind)) {
        case StructKind::NumeratorD:
        case StructKind::DenominatorD:
        case StructKind::IntegralD:
            Begin("<mi mathvariant=\"normal\">d</mi>", {});
            return;
        case StructKind::Pi:
            Begin("<mi>\u03C0</mi>", {});
            return;
        case StructKind::BoldE:
            Begin("<mi mathvariant=\"normal\">e</mi>", {});
            return;
        case StructKind::BoldX:
            Begin("<mo>\u00D7</mo>", {});
            return;
        case StructKind::Dot:
            Begin("<mo>\u22C5</mo>", {});
            return;
        case StructKind::Bar:
            Fence('|', 0, true);
            return;
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
            return;
        }
    }

    /// A power or index on the item before it; an empty `mrow` stands in for a missing or
    /// full one.
    void Script(const MathNode& n) {
        const bool power = n.kind == NodeKind::Power;
        if (atom_.start == None || atom_.full || (power ? atom_.sup : atom_.sub) != None)
            Begin("<mrow/>", {});
        if (!power && atom_.sup != None) {
            // An index typed after the power goes on the raised item, keeping their order.
            const std::size_t start = atom_.start;
            const std::string_view after = atom_.after;
            atom_.after = {};
            Flush();
            atom_.start = start;
            atom_.after = after;
        }
        Script(Child(n, 0), power ? atom_.sup : atom_.sub);
    }

    /// Writes `row` as the script at `slot` of the pending atom; a subscript goes in front of
    /// a superscript written before it.
    void Script(const MathNode& row, std::size_t& slot) {
        slot = out_.size();
        RowElement(row);
        if (&slot == &atom_.sub && atom_.sup != None) {
            std::rotate(out_.begin() + std::ptrdiff_t(atom_.sup),
                        out_.begin() + std::ptrdiff_t(atom_.sub), out_.end());
            const std::size_t supLength = atom_.sub - atom_.sup;
            atom_.sub = atom_.sup;
            atom_.sup = out_.size() - supLength;
        }
        atom_.number = false;
    }

    std::string out_;
    Atom atom_;
    std::vector<std::size_t> fenceStarts_; ///< where the `mrow` of each open bracket pair starts
};

} // namespace

std::string ToMathML(const MathTree& tree) {
    return MathMLWriter().Write(tree, "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">",
                                "</math>");
}

std::string ToMathMLBlock(const MathTree& tree) {
    return MathMLWriter().Write(
        tree, "<math xmlns=\"http://www.w3.org/1998/Math/MathML\" display=\"block\">", "</math>");
}

std::string ToMathMLContent(const MathTree& tree) {
    return MathMLWriter().Write(tree, {}, {});
}

} // namespace zelm
